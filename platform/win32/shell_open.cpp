#include "platform/win32/shell_open.h"

#include <shellapi.h>

#include "platform/win32/com_apartment.h"

namespace lw::win32 {

void shellOpen(HWND owner, const std::string& pathOrAddress) {
    const ComApartment apartment;
    ShellExecuteA(owner, "open", pathOrAddress.c_str(), nullptr, nullptr, SW_SHOW);
}

}  // namespace lw::win32
