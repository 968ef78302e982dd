#include "count/code_page_win32.h"

#include <windows.h>

namespace lw {

CodePage codePageOf(unsigned windowsCodePage) {
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
