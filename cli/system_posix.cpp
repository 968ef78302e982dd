#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "cli/system.h"

namespace lw::cli {

void prepareStandardStreams() {
    // A standard descriptor that came closed would be the first one the program opens: a
    // directory kept open by the count, or a pipe of a library's, would then be taken for
    // standard output, and closing standard output would close it under its owner. /dev/null,
    // read-only, holds the place: a write to it fails as a write to a closed descriptor does.
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        const int held = ::open("/dev/null", O_RDONLY);
        if (held >= 0 && held != fd) {
            ::dup2(held, fd);
            ::close(held);
        }
    }
}

bool standardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

std::string toUtf8(std::string_view systemText) {
    return std::string(systemText);
}

void baselineToSystemText(Baseline&) {}

}  // namespace lw::cli
