#pragma once

// Helpers for the Win32 window tests: find the modal window a human would be answering, read it,
// press its buttons from inside the modal loops of the test's thread, and pump messages until a
// condition holds. Nothing here waits on a human, and nothing sleeps in place of a condition.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lw::win32::test {

// The profile's company key while the tests run, and its registry key below HKEY_CURRENT_USER.
inline constexpr const char* kTestCompany = "Linewright Tests";
inline constexpr const char* kTestCompanyKey = "Software\\Linewright Tests";

// The enabled, visible dialog window of this thread on top of the modal stack (a dialog, a
// message box, the folder browser), or nullptr.
HWND activeModalWindow();

std::string windowText(HWND window);
std::string itemText(HWND dialog, int id);
std::string className(HWND window);
// Presses the button the way a click does (BM_CLICK); returns when its handler has returned.
void pressButton(HWND dialog, int id);
// Delivers a key to the control through the dialog's own loop (posted, as a key press is).
void postKey(HWND control, WORD virtualKey);

// The point in the middle of a list view header's column, in the header's coordinates.
LPARAM middleOfColumn(HWND header, int column);

// Pumps this thread's messages until `done` holds or `boundMs` have passed; the result of `done`.
bool pumpUntil(const std::function<bool()>& done, int boundMs = 20000);

// What the screen shows of a window, frame included, as 0x00RRGGBB pixels, top row first.
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};
// Lets every pending paint of the thread's windows happen first, as a person would see the
// window once it has settled.
Capture captureWindow(HWND window);
// The pixels in which two captures of the same size differ (every pixel when the sizes differ).
int differingPixels(const Capture& a, const Capture& b);
// As a 24-bit BMP file.
bool saveBitmap(const Capture& capture, const std::string& path);

// Steps run from the modal loops of this thread: each waits for a modal window with its caption
// (empty: any) and runs with it, in order; a step may open a window that a later step answers.
// A step that waits longer than the bound fails the test, and every modal window of the thread
// is then cancelled so that the test ends instead of hanging.
class ModalScript {
  public:
    using Step = std::function<void(HWND window)>;

    ModalScript();
    ~ModalScript();
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    ModalScript& on(std::string caption, Step step);
    // True once every step has run.
    bool done() const { return next_ == steps_.size(); }

  private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD);
    void poll();

    struct Entry {
        std::string caption;
        Step step;
    };
    std::vector<Entry> steps_;
    std::size_t next_ = 0;
    UINT_PTR timer_ = 0;
    ULONGLONG waitingSince_ = 0;
    bool gaveUp_ = false;
};

}  // namespace lw::win32::test
