#include "platform/win32/application.h"

#include <windows.h>

#include <commctrl.h>

#include <vector>

namespace lw::win32 {

bool prepareCommonControls() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES;
    return InitCommonControlsEx(&controls) != FALSE;
}

std::string applicationName() {
    // Read wide and cut at the last backslash there: in a double-byte code page a trail byte
    // can be 0x5C, so the ANSI path cannot be cut byte by byte.
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    std::wstring name(path.begin(), path.end());
    if (const auto slash = name.find_last_of(L"\\/"); slash != std::wstring::npos) {
        name.erase(0, slash + 1);
    }
    if (const auto dot = name.rfind(L'.'); dot != std::wstring::npos && dot > 0) {
        name.erase(dot);
    }
    const int bytes = WideCharToMultiByte(CP_ACP, 0, name.data(), static_cast<int>(name.size()),
                                          nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) {
        WideCharToMultiByte(CP_ACP, 0, name.data(), static_cast<int>(name.size()), ansi.data(),
                            bytes, nullptr, nullptr);
    }
    return ansi;
}

int runApplication(int /*argc*/, char** /*argv*/, const std::function<bool()>& initInstance) {
    // The program's life is the modal main dialog inside initInstance, which answers false so
    // that no message loop of the application's own follows.
    if (initInstance) {
        initInstance();
    }
    return 0;
}

}  // namespace lw::win32
