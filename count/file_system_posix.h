#pragma once

#include <string>

#include "count/file_system.h"

namespace lw {

// Every search reads its directory; every open goes by the full path and checks what it opened.
class PosixFileSystem : public FileSystem {
  public:
    SearchResult enumerate(const std::string& searchPath) override;
    OpenResult openForReading(const std::string& fullPath) override;
    SearchResult subdirectories(const std::string& directory) override;
    std::string absolutePath(const std::string& path) override;
    bool searchesInParallel() const override { return true; }
};

// The last component of a search path.
std::string patternOf(const std::string& searchPath);

}  // namespace lw
