#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "count/path_text.h"

namespace lw::testing_support {

// `path` written with '/' as tests write it, in the platform's form (kSeparator).
inline std::string native(std::string path) {
    std::replace(path.begin(), path.end(), '/', kSeparator);
    return path;
}

// A fresh directory under the system's temporary directory, removed with everything in it. Paths
// given to it are relative and written with '/'; it hands them back in the platform's form.
class TempTree {
  public:
    TempTree() {
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        std::random_device random;
        for (;;) {
            const std::filesystem::path candidate = base / ("lw-test-" + std::to_string(random()));
            if (std::filesystem::create_directory(candidate)) {
                root_ = candidate.string();
                return;
            }
        }
    }
    ~TempTree() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& root() const { return root_; }
    std::string path(const std::string& relative) const {
        return root_ + kSeparator + native(relative);
    }

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

  private:
    std::string root_;
};

}  // namespace lw::testing_support
