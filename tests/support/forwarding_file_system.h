#pragma once

#include <algorithm>
#include <set>
#include <string>
#include <utility>

#include "count/file_system.h"

namespace lw::test {

// Passes every operation on to the system's file system; a test overrides the ones it fakes, to
// make failures happen that real files cannot be made to give on demand (or not to the superuser).
class ForwardingFileSystem : public FileSystem {
  public:
    SearchResult enumerate(const std::string& searchPath) override {
        return systemFileSystem().enumerate(searchPath);
    }
    OpenResult openForReading(const std::string& fullPath) override {
        return systemFileSystem().openForReading(fullPath);
    }
    SearchResult subdirectories(const std::string& directory) override {
        return systemFileSystem().subdirectories(directory);
    }
    std::string absolutePath(const std::string& path) override {
        return systemFileSystem().absolutePath(path);
    }
};

// Lets chosen directories fail their search after the first `kept` of their subdirectories, as a
// directory that cannot be read to its end would; an unreadable one (which keeps nobody out who
// runs as the superuser) is the case of none kept. Nothing changes in it once made, so it can be
// searched from several threads.
class FailingSubdirectories final : public ForwardingFileSystem {
  public:
    FailingSubdirectories(std::set<std::string> failing, std::size_t kept,
                          std::string reason = "Permission denied")
        : failing_(std::move(failing)), kept_(kept), reason_(std::move(reason)) {}
    bool searchesInParallel() const override { return true; }
    SearchResult subdirectories(const std::string& directory) override {
        SearchResult result = ForwardingFileSystem::subdirectories(directory);
        if (failing_.count(directory) != 0) {
            result.paths.resize(std::min(result.paths.size(), kept_));
            result.failure = reason_;
        }
        return result;
    }

  private:
    std::set<std::string> failing_;
    std::size_t kept_;
    std::string reason_;
};

}  // namespace lw::test
