#include "platform/modal_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <algorithm>
#include <cstdint>

#include "platform/app_icon.h"
#include "platform/directory_list_box.h"
#include "platform/file_list_view.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace lw {

namespace {

// The template font's face names the system's dialog font, which only Windows has; here it is
// the platform's own user-interface family at the template's size.
QFont dialogFont(const res::DialogTemplate& dialog) {
    const QString face = QString::fromUtf8(dialog.fontFace);
    QFont font = QApplication::font();
    if (face != QLatin1String("MS Shell Dlg") && face != QLatin1String("MS Shell Dlg 2")) {
        font.setFamily(face);
    }
    font.setPointSize(dialog.fontPointSize);
    return font;
}

// Rounds like MulDiv, which the window system uses for dialog units.
int mulDiv(int value, int numerator, int denominator) {
    const std::int64_t product = static_cast<std::int64_t>(value) * numerator;
    const std::int64_t half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : -((-product + half) / denominator));
}

QString withoutMnemonics(const QString& caption) {
    QString plain;
    plain.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&') {
            if (i + 1 < caption.size() && caption[i + 1] == u'&') {
                plain += u'&';
                ++i;
            }
            continue;
        }
        plain += caption[i];
    }
    return plain;
}

bool has(const res::ControlTemplate& control, unsigned style) {
    return (control.style & style) != 0;
}

}  // namespace

QSize dialogBaseUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return QSize((width / 26 + 1) / 2, metrics.height());
}

QRect dialogUnitsToPixels(const QRect& dialogUnits, const QSize& baseUnits) {
    const int left = mulDiv(dialogUnits.x(), baseUnits.width(), 4);
    const int top = mulDiv(dialogUnits.y(), baseUnits.height(), 8);
    const int right = mulDiv(dialogUnits.x() + dialogUnits.width(), baseUnits.width(), 4);
    const int bottom = mulDiv(dialogUnits.y() + dialogUnits.height(), baseUnits.height(), 8);
    return QRect(left, top, right - left, bottom - top);
}

ModalDialog::ModalDialog(int templateId, QWidget* parent)
    : QDialog(parent), template_(res::dialogTemplate(templateId)) {
    const QFont font = dialogFont(template_);
    setFont(font);
    baseUnits_ = dialogBaseUnits(font);

    Qt::WindowFlags flags = template_.showInTaskbar ? Qt::Window : Qt::Dialog;
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
             Qt::WindowCloseButtonHint;
    if (template_.minimizeBox) {
        flags |= Qt::WindowMinimizeButtonHint;
    }
    if (template_.sizing == res::Sizing::Both) {
        flags |= Qt::WindowMaximizeButtonHint;
    }
    setWindowFlags(flags);
    setWindowTitle(QString::fromUtf8(template_.caption));
    setSizeGripEnabled(false);

    createControls();

    templateSize_ =
        dialogUnitsToPixels(QRect(0, 0, template_.width, template_.height), baseUnits_).size();
    switch (template_.sizing) {
        case res::Sizing::Fixed:
            setFixedSize(templateSize_);
            break;
        case res::Sizing::WidthOnly:
            setMinimumSize(templateSize_);
            setMaximumHeight(templateSize_.height());
            resize(templateSize_);
            break;
        case res::Sizing::Both:
            setMinimumSize(templateSize_);
            resize(templateSize_);
            break;
    }
}

ModalDialog::~ModalDialog() = default;

void ModalDialog::createControls() {
    if (created_) {
        return;
    }
    created_ = true;
    QLabel* pendingBuddyLabel = nullptr;
    QString pendingAccessibleName;
    int staticIndex = 0;

    for (const res::ControlTemplate& control : template_.controls) {
        const QString caption = QString::fromUtf8(control.caption);
        QWidget* widget = nullptr;
        QString accessibleName;

        switch (control.controlClass) {
            case res::ControlClass::PushButton: {
                auto* button = new QPushButton(caption, this);
                // While it has the focus, a push button is the one Enter presses; when the focus
                // leaves it, the template's default button is again.
                button->setAutoDefault(true);
                button->setDefault(has(control, res::kDefaultButton));
                if (control.id == res::IDOK) {
                    connect(button, &QPushButton::clicked, this, [this] { OnOK(); });
                } else if (control.id == res::IDCANCEL) {
                    connect(button, &QPushButton::clicked, this, [this] { OnCancel(); });
                }
                accessibleName = withoutMnemonics(caption);
                widget = button;
                break;
            }
            case res::ControlClass::CheckBox: {
                auto* box = new QCheckBox(caption, this);
                accessibleName = withoutMnemonics(caption);
                widget = box;
                break;
            }
            case res::ControlClass::Static: {
                auto* label = new QLabel(this);
                label->setTextFormat(Qt::PlainText);
                label->setText(caption);
                label->setAlignment(
                    (has(control, res::kCenteredText) ? Qt::AlignHCenter : Qt::AlignLeft) |
                    Qt::AlignTop);
                if (has(control, res::kStaticEdge)) {
                    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
                    label->setLineWidth(1);
                }
                if (has(control, res::kNoPrefix)) {
                    accessibleName = caption;
                } else {
                    accessibleName = withoutMnemonics(caption);
                    if (caption.contains(u'&')) {
                        pendingBuddyLabel = label;
                        pendingAccessibleName = accessibleName;
                    }
                }
                widget = label;
                break;
            }
            case res::ControlClass::StaticIcon: {
                auto* label = new QLabel(this);
                label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                label->setPixmap(applicationIcon().pixmap(QSize(32, 32)));
                widget = label;
                break;
            }
            case res::ControlClass::Edit: {
                auto* edit = new QLineEdit(caption, this);
                edit->setFrame(has(control, res::kBorder));
                widget = edit;
                break;
            }
            case res::ControlClass::ListBox:
                widget = new DirectoryListBox(this);
                break;
            case res::ControlClass::ListView:
                widget = new FileListView(this);
                break;
        }

        // A label's mnemonic moves the focus to the control that follows it in template order.
        if (pendingBuddyLabel != nullptr && widget != pendingBuddyLabel) {
            pendingBuddyLabel->setBuddy(widget);
            if (accessibleName.isEmpty() || control.controlClass == res::ControlClass::Edit ||
                control.controlClass == res::ControlClass::ListBox ||
                control.controlClass == res::ControlClass::ListView) {
                accessibleName = pendingAccessibleName;
            }
            pendingBuddyLabel = nullptr;
        }

        const bool isStatic = control.controlClass == res::ControlClass::Static ||
                              control.controlClass == res::ControlClass::StaticIcon;
        if (isStatic) {
            widget->setFocusPolicy(Qt::NoFocus);
        } else {
            widget->setFocusPolicy(has(control, res::kTabStop) ? Qt::StrongFocus : Qt::ClickFocus);
        }
        if (!accessibleName.isEmpty()) {
            widget->setAccessibleName(accessibleName);
        }
        widget->setObjectName(control.id == res::IDC_STATIC
                                  ? QStringLiteral("static%1").arg(staticIndex++)
                                  : QStringLiteral("control%1").arg(control.id));
        placed_.push_back(dialogUnitsToPixels(
            QRect(control.x, control.y, control.width, control.height), baseUnits_));
        widget->setGeometry(placed_.back());
        if (has(control, res::kHidden)) {
            widget->setHidden(true);
        }

        ordered_.push_back(widget);
        if (control.id != res::IDC_STATIC) {
            controls_.emplace(control.id, widget);
        }
    }
}

bool ModalDialog::AppendSystemMenuItem(unsigned id, const QString& text) {
#ifdef _WIN32
    HMENU menu = GetSystemMenu(reinterpret_cast<HWND>(winId()), FALSE);
    if (menu == nullptr) {
        return false;
    }
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, id, reinterpret_cast<LPCWSTR>(text.utf16()));
    systemMenuItems_.push_back(id & 0xFFF0u);
    return true;
#else
    // Qt gives no access to the menu that a window manager may show for the title bar.
    (void)id;
    (void)text;
    return false;
#endif
}

void ModalDialog::OnSysCommand(unsigned /*id*/, std::intptr_t /*lParam*/) {}

#ifdef _WIN32
bool ModalDialog::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    const auto* msg = static_cast<const MSG*>(message);
    if (msg->message == WM_SYSCOMMAND) {
        // The low four bits belong to the window system.
        const auto command = static_cast<unsigned>(msg->wParam) & 0xFFF0u;
        if (std::find(systemMenuItems_.begin(), systemMenuItems_.end(), command) !=
            systemMenuItems_.end()) {
            OnSysCommand(static_cast<unsigned>(msg->wParam), msg->lParam);
            *result = 0;
            return true;
        }
    }
    return QDialog::nativeEvent(eventType, message, result);
}
#endif

void ModalDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const int extraWidth = std::max(0, width() - templateSize_.width());
    const int extraHeight = std::max(0, height() - templateSize_.height());
    for (std::size_t i = 0; i < ordered_.size(); ++i) {
        const res::Anchors& a = template_.controls[i].anchors;
        const QRect& at = placed_[i];
        const int left = at.left() + extraWidth * a.left / 4;
        const int top = at.top() + extraHeight * a.top / 4;
        const int right = at.left() + at.width() + extraWidth * a.right / 4;
        const int bottom = at.top() + at.height() + extraHeight * a.bottom / 4;
        ordered_[i]->setGeometry(QRect(left, top, right - left, bottom - top));
    }
}

QWidget* ModalDialog::GetDlgItem(int id) const {
    if (id == res::IDC_STATIC) {
        return nullptr;
    }
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

void ModalDialog::focusFirstTabStop() {
    for (std::size_t i = 0; i < ordered_.size(); ++i) {
        const res::ControlTemplate& control = template_.controls[i];
        QWidget* widget = ordered_[i];
        if (has(control, res::kTabStop) && !has(control, res::kHidden) && widget->isEnabled()) {
            widget->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

int ModalDialog::DoModal() {
    endedEarly_.reset();
    initialising_ = true;
    const bool focusFirst = OnInitDialog();
    initialising_ = false;
    if (focusFirst) {
        focusFirstTabStop();
    }
    int result = 0;
    if (endedEarly_) {
        // Ended during initialisation: the window never opens, and the run does not wait.
        result = *endedEarly_;
    } else {
        result = exec();
    }
    OnDestroy();
    return result;
}

void ModalDialog::EndDialog(int result) {
    if (initialising_) {
        // done() on a window that is not shown yet would be forgotten by the exec() that
        // follows, which would then wait for an end that already happened.
        endedEarly_ = result;
        setResult(result);
        return;
    }
    QDialog::done(result);
}

bool ModalDialog::OnInitDialog() {
    ExchangeData(false);
    return true;
}

void ModalDialog::ExchangeData(bool /*fromControls*/) {}

void ModalDialog::OnOK() {
    ExchangeData(true);
    EndDialog(res::IDOK);
}

void ModalDialog::OnCancel() {
    EndDialog(res::IDCANCEL);
}

void ModalDialog::OnDestroy() {}

void ModalDialog::reject() {
    OnCancel();
}

// Enter reaches the default button through its click; anything that calls accept() directly
// must still run the confirm step with its data exchange.
void ModalDialog::accept() {
    OnOK();
}

}  // namespace lw
