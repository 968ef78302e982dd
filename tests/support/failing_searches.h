#pragma once

#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "count/file_system.h"

namespace lw::test {

// The system's file system, except that the search of chosen directories fails, as that of an
// unreadable directory does for anyone but the superuser (who is let in everywhere).
class FailingSearches final : public FileSystem {
  public:
    explicit FailingSearches(std::set<std::string> failing) : failing_(std::move(failing)) {}
    std::vector<std::string> enumerate(const std::string& s) override {
        return systemFileSystem().enumerate(s);
    }
    std::unique_ptr<ReadableFile> openForReading(const std::string& p) override {
        return systemFileSystem().openForReading(p);
    }
    std::optional<std::vector<std::string>> subdirectories(const std::string& d) override {
        if (failing_.count(d) != 0) {
            return std::nullopt;
        }
        return systemFileSystem().subdirectories(d);
    }
    std::string absolutePath(const std::string& p) override {
        return systemFileSystem().absolutePath(p);
    }

  private:
    std::set<std::string> failing_;
};

}  // namespace lw::test
