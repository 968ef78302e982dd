#pragma once

// Helpers for driving the main dialog and the About box through their real modal runs.

#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QSettings>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>

#include "platform/profile.h"
#include "platform/qt/directory_list_box.h"
#include "platform/qt/file_list_view.h"
#include "platform/qt/modal_dialog.h"
#include "tests/support/gui_test_support.h"
#include "ui/cdialog_main.h"

namespace lw::test {

// The Qt backend's widgets behind the main dialog's lists.
inline FileListView* fileListView(const CdialogMain& dialog) {
    return static_cast<FileListView*>(dialog.m_fileList);
}
inline DirectoryListBox* directoryListBox(const CdialogMain& dialog) {
    return static_cast<DirectoryListBox*>(dialog.m_directoryList);
}

// The dialog of type T whose window is the active modal window, or nullptr.
template <class T>
T* runningDialog() {
    auto* window = dynamic_cast<ModalDialog::Native*>(QApplication::activeModalWidget());
    return window != nullptr ? dynamic_cast<T*>(&window->owner()) : nullptr;
}

// Once a modal widget other than `under` is up (a box over a running dialog), calls `act` with it.
inline void whenOtherModalShown(const QWidget* under, std::function<void(QWidget*)> act,
                                int attemptsLeft = 500) {
    QTimer::singleShot(10, [under, act = std::move(act), attemptsLeft]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal != under) {
            act(modal);
        } else if (attemptsLeft > 0) {
            whenOtherModalShown(under, std::move(act), attemptsLeft - 1);
        }
    });
}

// Once a pop-up menu is up, calls `act` with it.
inline void whenPopupShown(std::function<void(QMenu*)> act, int attemptsLeft = 500) {
    QTimer::singleShot(10, [act = std::move(act), attemptsLeft]() mutable {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            act(menu);
        } else if (attemptsLeft > 0) {
            whenPopupShown(std::move(act), attemptsLeft - 1);
        }
    });
}

// Runs the dialog modally with `script` played inside the run; the script ends the run. Should a
// failed check leave the dialog open, a safety timer ends it with -1 so the suite never hangs.
inline int runModal(ModalDialog& dialog, std::function<void()> script) {
    QTimer::singleShot(10, &dialog.native(), [script = std::move(script)] { script(); });
    QTimer::singleShot(10000, &dialog.native(), [&dialog] {
        if (dialog.native().isVisible()) {
            dialog.EndDialog(-1);
        }
    });
    return dialog.DoModal();
}

// The settings store the profile writes to, for removing or corrupting values behind its back.
inline QSettings rawProfile() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Ferrowick",
                     QCoreApplication::applicationName());
}

// Removes the store, corrupt or not, as if the program had never run.
inline void forgetProfile() {
    QFile::remove(rawProfile().fileName());
}

inline constexpr char kAbsent[] = "<absent>";

inline std::string storedExtensions() {
    return Profile::GetString("Settings", "Extensions", kAbsent);
}

// Runs `body` while the main dialog's modal run is up, then ends that run even if a check failed.
inline void withMainDialog(const std::function<void(CdialogMain&)>& body) {
    CdialogMain dialog;
    test::whenModalShown([&](QWidget*) {
        struct EndRun {
            CdialogMain& dialog;
            ~EndRun() { dialog.EndDialog(res::IDCANCEL); }
        } endRun{dialog};
        body(dialog);
    });
    dialog.DoModal();
}

}  // namespace lw::test
