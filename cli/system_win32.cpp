#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <utility>

#include "cli/system.h"

// The runtime must not expand wildcards in the arguments: "-e *.c" is a pattern for the run,
// not the names of the files that happen to match it in the working directory.
extern "C" {
int _dowildcard = 0;
}

namespace lw::cli {

void prepareStandardStreams() {
    // In text mode the runtime would write CR LF for every LF, and CR CR LF for the CR LF that
    // ends each CSV line. Standard error stays in text mode: its lines are for a console.
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

// Large pages need a privilege that programs seldom hold; the memory is left as it is.
void adviseLargePages(const void*, std::size_t) {}

bool standardErrorIsTerminal() {
    // Only a console that takes the escape sequence which erases the progress line gets one.
    const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr || !GetConsoleMode(handle, &mode)) {
        return false;
    }
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0 ||
           SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != FALSE;
}

std::string toUtf8(std::string_view systemText) {
    // Where the ANSI code page is UTF-8 the text stays byte for byte: a byte that is not UTF-8
    // then reaches the JSON writer, which marks the path, instead of becoming U+FFFD on the way.
    if (systemText.empty() || GetACP() == CP_UTF8) {
        return std::string(systemText);
    }
    const int length = static_cast<int>(systemText.size());
    const int wide = MultiByteToWideChar(CP_ACP, 0, systemText.data(), length, nullptr, 0);
    if (wide <= 0) {
        return std::string(systemText);
    }
    std::wstring utf16(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, systemText.data(), length, utf16.data(), wide);
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return std::string(systemText);
    }
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

void baselineToSystemText(Baseline& baseline) {
    if (GetACP() == CP_UTF8) {
        return;
    }
    Baseline converted;
    converted.totals = baseline.totals;
    for (const BaselineRow& row : baseline.rows) {
        const std::string_view path = baseline.path(row);
        const int length = static_cast<int>(path.size());
        // A path the system's text cannot be made of (not UTF-8: from another system's run)
        // stays as it is, and matches nothing.
        const int wide =
            MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), length, nullptr, 0);
        if (wide <= 0) {
            converted.addRow(path, row.counts);
            continue;
        }
        std::wstring utf16(static_cast<std::size_t>(wide), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, path.data(), length, utf16.data(), wide);
        const int bytes =
            WideCharToMultiByte(CP_ACP, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
        std::string ansi(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
        WideCharToMultiByte(CP_ACP, 0, utf16.data(), wide, ansi.data(), bytes, nullptr, nullptr);
        converted.addRow(ansi, row.counts);
    }
    baseline = std::move(converted);
}

}  // namespace lw::cli
