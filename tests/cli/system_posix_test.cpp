#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <gtest/gtest.h>

#include "cli/system.h"

namespace lw::cli {
namespace {

// Standard output that came closed is held on /dev/null, read-only: the program's next open
// lands elsewhere, so nothing it opens can be closed under it as standard output, and writing
// to it still fails as writing to a closed descriptor does.
TEST(PrepareStandardStreams, HoldsAClosedStandardOutputOnDevNull) {
    const int saved = ::dup(STDOUT_FILENO);
    ASSERT_GE(saved, 0);
    ::close(STDOUT_FILENO);
    prepareStandardStreams();
    struct stat held {};
    const bool isOpen = ::fstat(STDOUT_FILENO, &held) == 0;
    errno = 0;
    const ssize_t wrote = ::write(STDOUT_FILENO, "x", 1);
    const int writeError = errno;
    const int next = ::open("/dev/null", O_RDONLY);
    ::close(next);
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);

    struct stat null {};
    ASSERT_EQ(::stat("/dev/null", &null), 0);
    ASSERT_TRUE(isOpen);
    EXPECT_EQ(held.st_rdev, null.st_rdev);
    EXPECT_EQ(wrote, -1);
    EXPECT_EQ(writeError, EBADF);
    EXPECT_NE(next, STDOUT_FILENO);
}

}  // namespace
}  // namespace lw::cli
