#include <langinfo.h>

#include <clocale>

#include "count/code_page.h"

namespace lw {

const char* const kEllipsis = "\xE2\x80\xA6";

CodePage CodePage::fromLocale() {
    std::setlocale(LC_ALL, "");
    const char* codeset = nl_langinfo(CODESET);
    return forCharset(codeset != nullptr ? codeset : "");
}

}  // namespace lw
