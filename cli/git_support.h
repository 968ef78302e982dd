#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/messages.h"
#include "count/file_system.h"

namespace lw::cli {

// What the command line reads from git: one implementation over libgit2, and one for builds
// without it (Windows), which refuses every use. CMake chooses.

// Whether this build reads git repositories.
bool gitSupport();

// The files of one revision's tree, behind the engine's file-system interface.
class RevisionTree {
  public:
    virtual ~RevisionTree() = default;
    virtual FileSystem& fileSystem() = 0;
    // What could not be read from the repository (a corrupt or missing object) while the tree
    // was searched, as messages; a path that the tree lacks is no such failure.
    virtual std::vector<std::string> readFailures() const = 0;
};

// Why a repository or a revision cannot be read, and the exit status that says so: 2 for the
// caller's mistake (no repository, no such revision), 1 for a read failure.
class RevisionError : public std::runtime_error {
  public:
    RevisionError(const std::string& message, int status)
        : std::runtime_error(message), status_(status) {}
    int status() const { return status_; }

  private:
    int status_;
};

// A repository whose revisions are counted.
class Revisions {
  public:
    virtual ~Revisions() = default;
    // The tree of REV, anything that names a tree. Throws RevisionError.
    virtual std::unique_ptr<RevisionTree> tree(const std::string& rev) = 0;
};

// The repository named by --git-dir, or the one that holds the working directory as git finds
// it. Throws RevisionError.
std::unique_ptr<Revisions> openRevisions(const std::optional<std::string>& gitDir);

// --history: writes the rows and returns the exit status.
int runHistory(const Options& options, Messages& messages);

}  // namespace lw::cli
