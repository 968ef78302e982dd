#pragma once

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace lw::testing_support {

// A fresh directory under the system's temporary directory, removed with everything in it.
class TempTree {
  public:
    TempTree() {
        std::string pattern = (std::filesystem::temp_directory_path() / "lw-test-XXXXXX").string();
        root_ = ::mkdtemp(pattern.data());
    }
    ~TempTree() {
        std::error_code failed;
        std::filesystem::remove_all(root_, failed);
        if (failed) {
            // A tree deeper than the longest path the system takes is removed by descriptors.
            const int fd = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
            if (fd >= 0) {
                removeBelow(fd);
                ::close(fd);
            }
            ::rmdir(root_.c_str());
        }
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& root() const { return root_; }
    std::string path(const std::string& relative) const { return root_ + "/" + relative; }

    void dir(const std::string& relative) const {
        std::filesystem::create_directories(path(relative));
    }
    void file(const std::string& relative, const std::string& content = {}) const {
        std::filesystem::create_directories(std::filesystem::path(path(relative)).parent_path());
        std::ofstream(path(relative), std::ios::binary) << content;
    }
    void link(const std::string& target, const std::string& relative) const {
        std::filesystem::create_symlink(target, path(relative));
    }

    // Nests directories named `name` below the root until their path is at least `length` bytes
    // long, a step at a time since no longer path can be made whole, and returns the path below
    // the root.
    std::string chain(const std::string& name, std::size_t length) const {
        std::string relative;
        int fd = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY);
        while (root_.size() + relative.size() < length && fd >= 0) {
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
        if (::chdir(root_.c_str()) != 0) {
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

    std::string root_;
};

}  // namespace lw::testing_support
