#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

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

void adviseLargePages(const void* data, std::size_t bytes) {
#if defined(MADV_HUGEPAGE)
    // Only whole large pages within the memory: the advice covers pages, and the memory around
    // belongs to others.
    constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t begin = (start + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t end = (start + bytes) & ~(kLargePage - 1);
    if (end > begin) {
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    }
#else
    (void)data;
    (void)bytes;
#endif
}

bool standardErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

std::string toUtf8(std::string_view systemText) {
    return std::string(systemText);
}

void baselineToSystemText(Baseline&) {}

}  // namespace lw::cli
