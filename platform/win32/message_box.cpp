#include "platform/win32/message_box.h"

#include "platform/win32/application.h"
#include "platform/win32/busy_window.h"

namespace lw::win32 {

void showMessage(HWND owner, const std::string& text) {
    const BusyWindow::Pause pause;
    const std::string caption = applicationName();
    MessageBoxA(owner != nullptr ? owner : GetActiveWindow(), text.c_str(), caption.c_str(), MB_OK);
}

}  // namespace lw::win32
