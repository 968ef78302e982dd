#pragma once

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
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
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

  private:
    std::string root_;
};

}  // namespace lw::testing_support
