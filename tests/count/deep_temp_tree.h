#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "temp_tree.h"

namespace lw::testing_support {

// A TempTree that may hold directories nested deeper than the longest path the system takes,
// made and removed through descriptors (POSIX).
class DeepTempTree : public TempTree {
  public:
    DeepTempTree() = default;
    ~DeepTempTree() {
        // What lies below the root goes by descriptors; the TempTree then removes the root.
        const int fd = ::open(root().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        if (fd >= 0) {
            removeBelow(fd);
            ::close(fd);
        }
    }
    DeepTempTree(const DeepTempTree&) = delete;
    DeepTempTree& operator=(const DeepTempTree&) = delete;

    // Nests directories named `name` below the root until their path is at least `length` bytes
    // long, a step at a time since no longer path can be made whole, and returns the path below
    // the root.
    std::string chain(const std::string& name, std::size_t length) const {
        std::string relative;
        int fd = ::open(root().c_str(), O_RDONLY | O_DIRECTORY);
        while (root().size() + relative.size() < length && fd >= 0) {
            ::mkdirat(fd, name.c_str(), 0755);
            const int next = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
            ::close(fd);
            fd = next;
            relative += (relative.empty() ? "" : "/") + name;
        }
        if (fd >= 0) {
            ::close(fd);
        }
        return relative;
    }

    // Makes the directory `relative` below the root the working directory, a component at a time,
    // so that it may lie deeper than the longest path the system takes.
    bool enter(const std::string& relative) const {
        if (::chdir(root().c_str()) != 0) {
            return false;
        }
        for (std::size_t begin = 0; begin < relative.size();) {
            std::size_t end = relative.find('/', begin);
            if (end == std::string::npos) {
                end = relative.size();
            }
            if (::chdir(relative.substr(begin, end - begin).c_str()) != 0) {
                return false;
            }
            begin = end + 1;
        }
        return true;
    }

  private:
    static void removeBelow(int fd) {
        DIR* dir = ::fdopendir(::dup(fd));
        if (dir == nullptr) {
            return;
        }
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..") {
                continue;
            }
            const int sub = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
            if (sub >= 0) {
                removeBelow(sub);
                ::close(sub);
                ::unlinkat(fd, name.c_str(), AT_REMOVEDIR);
            } else {
                ::unlinkat(fd, name.c_str(), 0);
            }
        }
        ::closedir(dir);
    }
};

}  // namespace lw::testing_support
