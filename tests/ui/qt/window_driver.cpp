// The window driver on the Qt widgets: QTest's mouse and keys on the real widgets, offscreen.

#include "tests/ui/window_driver.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QSettings>
#include <QTimer>
#include <QtTest>

#include "platform/qt/directory_list_box.h"
#include "platform/qt/file_list_view.h"
#include "platform/qt/modal_dialog.h"
#include "platform/qt/text.h"
#include "ui/profile_keys.h"

namespace lw::test {

namespace {

constexpr int kWaitMs = 10000;

QPointer<QObject> pollingContext;

void schedulePoll(DialogScript* script) {
    if (pollingContext == nullptr) {
        return;
    }
    // The next poll is due before this one runs, so that a step that opens a dialog is answered
    // from the loop of that dialog.
    QTimer::singleShot(10, pollingContext, [script] {
        schedulePoll(script);
        script->poll();
    });
}

QWidget* widget(const ModalDialog& dialog, int id) {
    return dialog.native().control(id);
}

FileListView* fileListView(const ModalDialog& dialog, int id) {
    return dialog.native().item<FileListView>(id);
}

// The window active and the control focused, as a user's click or Tab leaves them.
void focus(ModalDialog& dialog, QWidget* control) {
    dialog.native().activateWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.native().isActiveWindow(); }, kWaitMs));
    control->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == control; }, kWaitMs));
}

Qt::Key qtKey(int virtualKey) {
    switch (virtualKey) {
        case kEnter:
            return Qt::Key_Return;
        case kEscape:
            return Qt::Key_Escape;
        case kDelete:
            return Qt::Key_Delete;
        case kF1:
            return Qt::Key_F1;
        default:
            return Qt::Key_unknown;
    }
}

QSettings store() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, kCompanyKey,
                     QCoreApplication::applicationName());
}

}  // namespace

ModalDialog* activeDialog() {
    auto* window = dynamic_cast<ModalDialog::Native*>(QApplication::activeModalWidget());
    if (window == nullptr || !window->isVisible()) {
        return nullptr;
    }
    return &window->owner();
}

void startPolling(DialogScript& script) {
    pollingContext = new QObject(qApp);
    schedulePoll(&script);
}

void stopPolling() {
    delete pollingContext.data();
}

void click(ModalDialog& dialog, int id) {
    auto* button = qobject_cast<QAbstractButton*>(widget(dialog, id));
    ASSERT_NE(button, nullptr) << "no button " << id;
    QTest::mouseClick(button, Qt::LeftButton);
}

void pressKey(ModalDialog& dialog, int id, int virtualKey) {
    QWidget* control = widget(dialog, id);
    ASSERT_NE(control, nullptr) << "no control " << id;
    focus(dialog, control);
    QTest::keyClick(control, qtKey(virtualKey));
}

void pressCtrlKey(ModalDialog& dialog, int id, char letter) {
    QWidget* control = widget(dialog, id);
    ASSERT_NE(control, nullptr) << "no control " << id;
    focus(dialog, control);
    QTest::keyClick(control, Qt::Key(Qt::Key_A + (letter - 'A')), Qt::ControlModifier);
}

void typeText(ModalDialog& dialog, int id, const std::string& text) {
    auto* edit = qobject_cast<QLineEdit*>(widget(dialog, id));
    ASSERT_NE(edit, nullptr) << "no edit " << id;
    edit->selectAll();
    QTest::keyClicks(edit, fromBytes(text));
}

void setChecked(ModalDialog& dialog, int id, bool checked) {
    auto* box = qobject_cast<QCheckBox*>(widget(dialog, id));
    ASSERT_NE(box, nullptr) << "no check box " << id;
    if (box->isChecked() != checked) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
    }
}

void clickHeading(ModalDialog& dialog, int listId, int column) {
    QHeaderView* header = fileListView(dialog, listId)->header();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

void selectOnly(ModalDialog& dialog, int listId, const std::vector<int>& rows) {
    FileListView* view = fileListView(dialog, listId);
    QItemSelection selection;
    for (int row : rows) {
        selection.select(view->model().index(row, 0),
                         view->model().index(row, view->model().columnCount() - 1));
    }
    view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void doubleClickRow(ModalDialog& dialog, int listId, int row) {
    FileListView* view = fileListView(dialog, listId);
    const QPoint at = view->visualRect(view->model().index(row, 0)).center();
    // What a real double-click delivers: press and release, then the double-click and release.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
}

void closeWindow(ModalDialog& dialog) {
    dialog.native().close();
}

void chooseSystemCommand(ModalDialog& dialog, unsigned id) {
    QTimer::singleShot(10, &dialog.native(), [id] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions()) {
            if (action->data().toUInt() == id) {
                menu->setActiveAction(action);
                QTest::keyClick(menu, Qt::Key_Return);
                return;
            }
        }
        ADD_FAILURE() << "no item " << id;
        menu->close();
    });
    QWidget& window = dialog.native();
    const QPoint background(window.width() / 2, 2);
    QContextMenuEvent event(QContextMenuEvent::Mouse, background, window.mapToGlobal(background));
    QApplication::sendEvent(&window, &event);
}

std::string shownText(const ModalDialog& dialog, int id) {
    QWidget* control = widget(dialog, id);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        return toBytes(edit->text());
    }
    if (auto* label = qobject_cast<QLabel*>(control)) {
        return toBytes(label->text());
    }
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        // A button shows its caption without the mnemonic's marker.
        return toBytes(button->text().remove(QLatin1Char('&')));
    }
    return {};
}

bool shownEnabled(const ModalDialog& dialog, int id) {
    const QWidget* control = widget(dialog, id);
    return control != nullptr && control->isEnabled();
}

int focusedControl(const ModalDialog& dialog) {
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.native().isActiveWindow(); }, kWaitMs));
    // The backend names each control with an id after it: "control1006".
    const QWidget* focused = dialog.native().focusWidget();
    const QString name = focused != nullptr ? focused->objectName() : QString();
    return name.startsWith(QLatin1String("control")) ? name.mid(7).toInt() : 0;
}

std::vector<std::string> headings(const ModalDialog& dialog, int listId) {
    const FileListModel& model = fileListView(dialog, listId)->model();
    std::vector<std::string> texts;
    for (int column = 0; column < model.columnCount(); ++column) {
        texts.push_back(
            toBytes(model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString()));
    }
    return texts;
}

int columnWidth(const ModalDialog& dialog, int listId, int column) {
    return fileListView(dialog, listId)->header()->sectionSize(column);
}

std::vector<std::vector<std::string>> shownRows(const ModalDialog& dialog, int listId) {
    const FileListModel& model = fileListView(dialog, listId)->model();
    std::vector<std::vector<std::string>> rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        std::vector<std::string> cells;
        for (int column = 0; column < model.columnCount(); ++column) {
            cells.push_back(
                toBytes(model.data(model.index(row, column), Qt::DisplayRole).toString()));
        }
        rows.push_back(cells);
    }
    return rows;
}

std::vector<std::string> shownEntries(const ModalDialog& dialog, int listBoxId) {
    const auto* box = dialog.native().item<DirectoryListBox>(listBoxId);
    std::vector<std::string> entries;
    for (int i = 0; box != nullptr && i < box->count(); ++i) {
        entries.push_back(toBytes(box->item(i)->text()));
    }
    return entries;
}

std::vector<std::intptr_t> rowTags(const ModalDialog& dialog, int listId) {
    const FileListView* view = fileListView(dialog, listId);
    std::vector<std::intptr_t> tags;
    for (int row = 0; row < view->rowCount(); ++row) {
        tags.push_back(view->tag(row));
    }
    return tags;
}

PixelSize clientSize(const ModalDialog& dialog) {
    return PixelSize{dialog.native().width(), dialog.native().height()};
}

void resizeClient(ModalDialog& dialog, PixelSize size) {
    QWidget& window = dialog.native();
    window.resize(size.width, size.height);
    // The window system may refuse part of it: done once the size stops changing.
    const QSize wanted = QSize(size.width, size.height)
                             .expandedTo(window.minimumSize())
                             .boundedTo(window.maximumSize());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.size() == wanted; }, kWaitMs));
}

std::vector<PixelRect> controlPlaces(const ModalDialog& dialog) {
    std::vector<PixelRect> places;
    for (const QWidget* control : dialog.native().controlsInTemplateOrder()) {
        const QRect at = control->geometry();
        places.push_back(
            PixelRect{at.left(), at.top(), at.left() + at.width(), at.top() + at.height()});
    }
    return places;
}

std::vector<bool> controlsShown(const ModalDialog& dialog) {
    std::vector<bool> shown;
    for (const QWidget* control : dialog.native().controlsInTemplateOrder()) {
        shown.push_back(control->isVisible());
    }
    return shown;
}

std::string storedSetting(const std::string& key) {
    const QVariant value = store().value(QString::fromStdString(kSettingsSection + ("/" + key)));
    return value.isValid() ? toBytes(value.toString()) : std::string(kAbsent);
}

std::vector<std::string> storedSettingNames() {
    std::vector<std::string> names;
    for (const QString& key : store().allKeys()) {
        names.push_back(key.toStdString());
    }
    return names;
}

void forgetSettings() {
    QFile::remove(store().fileName());
}

}  // namespace lw::test
