#include "platform/qt/modal_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>
#include <algorithm>
#include <cstdint>

#include "platform/qt/app_icon.h"
#include "platform/qt/directory_list_box.h"
#include "platform/qt/file_list_view.h"
#include "platform/qt/text.h"

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

// Standard system-menu commands that have a counterpart on every desktop.
constexpr unsigned kScMinimize = 0xF020;
constexpr unsigned kScClose = 0xF060;
constexpr unsigned kScRestore = 0xF120;

}  // namespace

QSize dialogBaseUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return QSize((width / 26 + 1) / 2, metrics.height());
}

QRect dialogUnitsToPixels(const QRect& dialogUnits, const QSize& baseUnits) {
    const PixelRect pixels = lw::dialogUnitsToPixels(
        dialogUnits.x(), dialogUnits.y(), dialogUnits.width(), dialogUnits.height(),
        PixelSize{baseUnits.width(), baseUnits.height()});
    return QRect(pixels.left, pixels.top, pixels.width(), pixels.height());
}

ModalDialog::Native::Native(ModalDialog& owner, const res::DialogTemplate& dialogTemplate,
                            ModalDialog* parent)
    : QDialog(parent != nullptr ? &parent->native() : nullptr),
      owner_(owner),
      template_(dialogTemplate) {
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
    nameFieldsFromTheirLabels();

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

ModalDialog::Native::~Native() = default;

void ModalDialog::Native::createControls() {
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
                const int id = control.id;
                if (id == res::IDOK) {
                    connect(button, &QPushButton::clicked, this, [this] { owner_.OnOK(); });
                } else if (id == res::IDCANCEL) {
                    connect(button, &QPushButton::clicked, this, [this] { owner_.OnCancel(); });
                } else {
                    connect(button, &QPushButton::clicked, this,
                            [this, id] { owner_.OnCommand(id); });
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
            case res::ControlClass::ListView: {
                auto* list = new FileListView(this);
                const int id = control.id;
                connect(list, &FileListView::headerItemClicked, this,
                        [this, id](int column) { owner_.OnHeaderItemClick(id, column); });
                connect(list, &FileListView::doubleClicked, this,
                        [this, id] { owner_.OnListDoubleClick(id); });
                connect(list, &FileListView::keyDown, this,
                        [this, id](int virtualKey) { owner_.OnListKeyDown(id, virtualKey); });
                widget = list;
                break;
            }
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
        const QRect at = dialogUnitsToPixels(
            QRect(control.x, control.y, control.width, control.height), baseUnits_);
        placed_.push_back(
            {PixelRect{at.left(), at.top(), at.left() + at.width(), at.top() + at.height()},
             control.anchors});
        widget->setGeometry(at);
        if (has(control, res::kHidden)) {
            widget->setHidden(true);
        }

        ordered_.push_back(widget);
        if (control.id != res::IDC_STATIC) {
            controls_.emplace(control.id, widget);
        }
    }
}

void ModalDialog::Native::nameFieldsFromTheirLabels() {
    // A field whose label comes after it in the tab order, or has no mnemonic, is not the label's
    // buddy; a screen reader still needs the field's name. The label is the static text on the
    // field's row, left of it.
    const auto& controls = template_.controls;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].controlClass != res::ControlClass::Edit ||
            !ordered_[i]->accessibleName().isEmpty()) {
            continue;
        }
        for (const res::ControlTemplate& label : controls) {
            if (label.controlClass == res::ControlClass::Static && label.y == controls[i].y &&
                label.x < controls[i].x) {
                ordered_[i]->setAccessibleName(withoutMnemonics(QString::fromUtf8(label.caption)));
                break;
            }
        }
    }
}

void ModalDialog::Native::defaultSysCommand(unsigned id, std::intptr_t /*lParam*/) {
    // The low four bits belong to the window system.
    switch (id & 0xFFF0u) {
        case kScClose:
            close();
            break;
        case kScMinimize:
            showMinimized();
            break;
        case kScRestore:
            showNormal();
            break;
        default:
            break;
    }
}

void ModalDialog::Native::contextMenuEvent(QContextMenuEvent* event) {
    // Only the dialog's own background (and its labels) offer the menu; the controls keep theirs.
    if (event->reason() == QContextMenuEvent::Mouse) {
        QWidget* under = childAt(event->pos());
        if (under != nullptr && qobject_cast<QLabel*>(under) == nullptr) {
            event->ignore();
            return;
        }
    }
    if (menuItems_.empty()) {
        event->ignore();
        return;
    }
    QMenu menu(this);
    for (const auto& [id, text] : menuItems_) {
        menu.addAction(text)->setData(id);
    }
    event->accept();
    if (const QAction* chosen = menu.exec(event->globalPos())) {
        owner_.OnSysCommand(chosen->data().toUInt(), 0);
    }
}

void ModalDialog::Native::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        event->accept();
        owner_.OnHelp();
        return;
    }
    QDialog::keyPressEvent(event);
}

void ModalDialog::Native::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const std::vector<PixelRect> places =
        layOutControls(placed_, PixelSize{templateSize_.width(), templateSize_.height()},
                       PixelSize{width(), height()});
    for (std::size_t i = 0; i < places.size() && i < ordered_.size(); ++i) {
        const PixelRect& at = places[i];
        ordered_[i]->setGeometry(QRect(at.left, at.top, at.width(), at.height()));
    }
}

QWidget* ModalDialog::Native::control(int id) const {
    if (id == res::IDC_STATIC) {
        return nullptr;
    }
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

void ModalDialog::Native::focusFirstTabStop() {
    for (std::size_t i = 0; i < ordered_.size(); ++i) {
        const res::ControlTemplate& control = template_.controls[i];
        QWidget* widget = ordered_[i];
        if (has(control, res::kTabStop) && !has(control, res::kHidden) && widget->isEnabled()) {
            widget->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

int ModalDialog::Native::run() {
    endedEarly_.reset();
    initialising_ = true;
    const bool focusFirst = owner_.OnInitDialog();
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
    owner_.OnDestroy();
    return result;
}

void ModalDialog::Native::end(int result) {
    if (initialising_) {
        // done() on a window that is not shown yet would be forgotten by the exec() that
        // follows, which would then wait for an end that already happened.
        endedEarly_ = result;
        setResult(result);
        return;
    }
    QDialog::done(result);
}

void ModalDialog::Native::reject() {
    owner_.OnCancel();
}

// Enter reaches the default button through its click; anything that calls accept() directly
// must still run the confirm step with its data exchange.
void ModalDialog::Native::accept() {
    owner_.OnOK();
}

// The toolkit-neutral face's controls by id.

std::string ModalDialog::GetDlgItemText(int id) const {
    QWidget* control = native_->control(id);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        return toBytes(edit->text());
    }
    if (auto* label = qobject_cast<QLabel*>(control)) {
        return toBytes(label->text());
    }
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        return toBytes(button->text());
    }
    return {};
}

void ModalDialog::SetDlgItemText(int id, const std::string& text) {
    QWidget* control = native_->control(id);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(fromBytes(text));
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(fromBytes(text));
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(fromBytes(text));
    }
}

bool ModalDialog::IsDlgButtonChecked(int id) const {
    const auto* button = native_->item<QAbstractButton>(id);
    return button != nullptr && button->isChecked();
}

void ModalDialog::CheckDlgButton(int id, bool checked) {
    if (auto* button = native_->item<QAbstractButton>(id)) {
        button->setChecked(checked);
    }
}

void ModalDialog::EnableDlgItem(int id, bool enabled) {
    if (QWidget* control = native_->control(id)) {
        control->setEnabled(enabled);
    }
}

bool ModalDialog::IsDlgItemEnabled(int id) const {
    const QWidget* control = native_->control(id);
    return control != nullptr && control->isEnabled();
}

bool ModalDialog::HasDlgItemFocus(int id) const {
    const QWidget* control = native_->control(id);
    return control != nullptr && control->hasFocus();
}

void ModalDialog::SetDlgItemFocus(int id) {
    if (QWidget* control = native_->control(id)) {
        control->setFocus(Qt::OtherFocusReason);
    }
}

FileListView* ModalDialog::Native::fileList(int id) const {
    return item<FileListView>(id);
}

DirectoryListBox* ModalDialog::Native::directoryList(int id) const {
    return item<DirectoryListBox>(id);
}

void ModalDialog::Native::setIcon(int iconId) {
    if (iconId == res::IDI_MAIN) {
        setWindowIcon(applicationIcon());
    }
}

bool ModalDialog::Native::appendSystemMenuItem(unsigned id, const std::string& text) {
    menuItems_.emplace_back(id, QString::fromUtf8(text.data(), qsizetype(text.size())));
    return true;
}

}  // namespace lw
