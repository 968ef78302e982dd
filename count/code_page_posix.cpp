#include <langinfo.h>

#include <clocale>

#include "count/code_page.h"

namespace lw {

CodePage CodePage::fromLocale() {
    std::setlocale(LC_ALL, "");
    const char* codeset = nl_langinfo(CODESET);
    return forCharset(codeset != nullptr ? codeset : "");
}

}  // namespace lw
