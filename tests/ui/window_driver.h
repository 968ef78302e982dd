#pragma once

// What the window behaviour tests do to a window and read from it, as a user would and as the
// screen shows it, on whichever backend the test program is built for: tests/ui/qt/ drives the
// Qt widgets, tests/ui/win32/ the system's controls. The operations return once the window has
// handled what they delivered; a modal window that it opens meanwhile is answered by the
// DialogScript's next step, from that window's own loop.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/anchored_layout.h"
#include "platform/modal_dialog.h"

namespace lw::test {

// Steps run from the modal loops of the test's thread: each waits for the next modal dialog that
// it matches to be up and active, and runs with it, in order; a step may open a dialog that a
// later step answers. When a step waits too long, the test fails and every dialog is ended.
class DialogScript {
  public:
    DialogScript();
    ~DialogScript();
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    // A step for the next dialog of type T.
    template <class T>
    DialogScript& on(std::function<void(T&)> step) {
        steps_.push_back(
            {[](ModalDialog& dialog) { return dynamic_cast<T*>(&dialog) != nullptr; },
             [step = std::move(step)](ModalDialog& dialog) { step(dynamic_cast<T&>(dialog)); }});
        return *this;
    }
    bool done() const { return next_ == steps_.size(); }

    // Called by the backend's timer.
    void poll();

  private:
    struct Step {
        std::function<bool(ModalDialog&)> matches;
        std::function<void(ModalDialog&)> run;
    };
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    std::chrono::steady_clock::time_point waitingSince_;
    bool gaveUp_ = false;
};

// The backend's part of the script: the modal dialog the user would be answering, and a timer
// that calls the script's poll() from whatever modal loop runs.
ModalDialog* activeDialog();
void startPolling(DialogScript& script);
void stopPolling();

// Input, as the user gives it.
void click(ModalDialog& dialog, int id);                      // a push button or check box
void pressKey(ModalDialog& dialog, int id, int virtualKey);   // to the control, focused first
void pressCtrlKey(ModalDialog& dialog, int id, char letter);  // the same with Ctrl held: 'A' ...
void typeText(ModalDialog& dialog, int id, const std::string& text);  // replaces an edit's text
void setChecked(ModalDialog& dialog, int id, bool checked);
void clickHeading(ModalDialog& dialog, int listId, int column);
void selectOnly(ModalDialog& dialog, int listId, const std::vector<int>& rows);
void doubleClickRow(ModalDialog& dialog, int listId, int row);
// The window's close box (or Alt+F4).
void closeWindow(ModalDialog& dialog);
// The system command as the window system delivers it (on Qt: the background's context menu,
// which offers the items the window appended to its system menu).
void chooseSystemCommand(ModalDialog& dialog, unsigned id);

inline constexpr int kEnter = 0x0D;
inline constexpr int kEscape = 0x1B;
inline constexpr int kDelete = 0x2E;
inline constexpr int kF1 = 0x70;

// What the screen shows.
std::string shownText(const ModalDialog& dialog, int id);  // edit, label, button
bool shownEnabled(const ModalDialog& dialog, int id);
int focusedControl(const ModalDialog& dialog);  // its id, or 0
std::vector<std::string> headings(const ModalDialog& dialog, int listId);
int columnWidth(const ModalDialog& dialog, int listId, int column);
std::vector<std::vector<std::string>> shownRows(const ModalDialog& dialog, int listId);
std::vector<std::string> shownEntries(const ModalDialog& dialog, int listBoxId);
// The integer that each row keeps with it, in row order.
std::vector<std::intptr_t> rowTags(const ModalDialog& dialog, int listId);

// The window's client area, and every control's place in it in template order (statics too).
PixelSize clientSize(const ModalDialog& dialog);
void resizeClient(ModalDialog& dialog, PixelSize size);  // returns once the window has its size
std::vector<PixelRect> controlPlaces(const ModalDialog& dialog);
std::vector<bool> controlsShown(const ModalDialog& dialog);

// The profile's store as the system keeps it, read and removed behind the program's back.
std::string storedSetting(const std::string& key);  // "<absent>" when there is none
// Every value stored under the application's key, as "section/value".
std::vector<std::string> storedSettingNames();
void forgetSettings();

inline constexpr char kAbsent[] = "<absent>";

}  // namespace lw::test
