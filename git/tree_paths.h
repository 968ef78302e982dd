#pragma once

#include "git/libgit2.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lw::git {

// What a tree entry is, as a checkout would make it: a file, a directory, a submodule (an empty
// directory, unless it was initialised) or a symbolic link, which a tree never follows.
enum class EntryKind : unsigned char { File, Directory, Submodule, SymbolicLink };

EntryKind entryKindOf(const git_tree_entry* entry);

struct TreeEntry {
    std::string name;
    EntryKind kind;
    git_oid id;
};

// One tree's entries in byte order of their names (a tree's own order sorts a directory as if its
// name ended in '/'), or why the tree could not be read.
struct TreeListing {
    std::vector<TreeEntry> entries;
    std::optional<std::string> failure;  // libgit2's reason
};

TreeListing readTree(git_repository* repository, const git_oid& tree);
const TreeEntry* findEntry(const TreeListing& listing, std::string_view name);

// The reasons given for paths a tree does not have as asked: the system's texts where a checkout
// would give them, so that a DIR missing at a revision reads as a missing directory.
std::string notFoundText();
std::string notADirectoryText();
std::string isADirectoryText();
inline constexpr char kSymbolicLinkText[] = "a symbolic link, which is not followed in a git tree";

// Where a directory path of a tree leads: a tree to list, nothing to list (a submodule), or a
// failure.
struct DirectoryStep {
    enum class State { Tree, Empty, Failed } state = State::Failed;
    git_oid id{};
    std::string failure;
};
// The step from a directory's entry named `name` (null when there is none) to that directory.
DirectoryStep directoryStep(const TreeEntry* entry);

// How the paths of a tree are named among the system's paths: the tree's root stands at `root`
// (empty for "/"), and relative paths are taken from `workingDirectory`, as they are from the
// working directory on the system's file system.
class TreePaths {
  public:
    TreePaths(std::string root, std::string workingDirectory);

    // As the system's file system makes it: lexically, without "." or doubled separators.
    std::string absolutePath(const std::string& path) const;
    // The components below the root of a full path, its ".." resolved lexically; nothing for a
    // path outside the root.
    std::optional<std::vector<std::string>> componentsOf(std::string_view fullPath) const;

  private:
    std::vector<std::string> rootComponents_;
    std::string workingDirectory_;
};

// The components joined by '/': the key of a directory within a tree ("" for the root).
std::string joinComponents(const std::vector<std::string>& components, std::size_t count);

}  // namespace lw::git
