#include "platform/win32/text.h"

#include <windows.h>

namespace lw::win32 {

namespace {

std::wstring wideFrom(UINT codePage, const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    return wide;
}

}  // namespace

std::wstring wideFromUtf8(const std::string& utf8) {
    return wideFrom(CP_UTF8, utf8);
}

std::wstring wideFromAnsi(const std::string& ansi) {
    return wideFrom(CP_ACP, ansi);
}

std::string ansiFromUtf8(const std::string& utf8) {
    const std::wstring wide = wideFromUtf8(utf8);
    if (wide.empty()) {
        return {};
    }
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) {
        return {};
    }
    std::string ansi(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), size, ansi.data(), length, nullptr, nullptr);
    return ansi;
}

}  // namespace lw::win32
