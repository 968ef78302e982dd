#include <unistd.h>

#include "cli/system.h"

namespace lw::cli {

void prepareStandardStreams() {}

bool standardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

std::string toUtf8(std::string_view systemText) {
    return std::string(systemText);
}

void baselineToSystemText(Baseline&) {}

}  // namespace lw::cli
