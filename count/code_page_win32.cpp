#include "count/code_page_win32.h"

#include <windows.h>

namespace lw {

const char* const kEllipsis = GetACP() == CP_UTF8 ? "\xE2\x80\xA6" : "...";

CodePage codePageOf(unsigned windowsCodePage) {
    // The system names the lead bytes of its double-byte code pages only; UTF-8 it knows as a
    // code page of characters of one to four bytes, none of them a lead byte in that sense.
    if (windowsCodePage == CP_UTF8) {
        return CodePage(CodePage::Kind::Utf8);
    }
    return CodePage::withLeadBytesWhere([windowsCodePage](unsigned char byte) {
        return IsDBCSLeadByteEx(windowsCodePage, byte) != FALSE;
    });
}

// The runtime's multi-byte routines are not used: the engine steps through text itself, with
// the lead bytes of the ANSI code page that the file names and the arguments come in.
CodePage CodePage::fromLocale() {
    return codePageOf(GetACP());
}

}  // namespace lw
