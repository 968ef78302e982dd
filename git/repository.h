#pragma once

#include "git/libgit2.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace lw::git {

// Why something could not be had from a repository, with libgit2's reason. A usage error is the
// caller's (no repository there, no such revision); any other is a read failure (a corrupt or
// missing object).
class GitError : public std::runtime_error {
  public:
    GitError(const std::string& message, bool usage) : std::runtime_error(message), usage_(usage) {}
    bool usage() const { return usage_; }

  private:
    bool usage_;
};

// libgit2's text for the last failure on this thread.
std::string lastErrorText();

struct Free {
    void operator()(git_repository* p) const { git_repository_free(p); }
    void operator()(git_tree* p) const { git_tree_free(p); }
    void operator()(git_blob* p) const { git_blob_free(p); }
    void operator()(git_commit* p) const { git_commit_free(p); }
    void operator()(git_object* p) const { git_object_free(p); }
};
using RepositoryPtr = std::unique_ptr<git_repository, Free>;
using TreePtr = std::unique_ptr<git_tree, Free>;
using BlobPtr = std::unique_ptr<git_blob, Free>;
using CommitPtr = std::unique_ptr<git_commit, Free>;
using ObjectPtr = std::unique_ptr<git_object, Free>;

// The 40 hexadecimal digits of an object id.
std::string hexOf(const git_oid& id);

struct OidHash {
    std::size_t operator()(const git_oid& id) const;
};
struct OidEqual {
    bool operator()(const git_oid& a, const git_oid& b) const { return git_oid_equal(&a, &b); }
};

// An open repository. One handle serves one thread at a time; reopen() gives another.
class Repository {
  public:
    // The repository at gitDir exactly (a bare one, a .git directory or a work tree), or, without
    // one, the repository that git finds from the working directory and its environment
    // (GIT_DIR, GIT_WORK_TREE, GIT_CEILING_DIRECTORIES).
    static Repository open(const std::optional<std::string>& gitDir);

    git_repository* get() const { return repository_.get(); }
    RepositoryPtr reopen() const;

    // Where the tree's root stands: the work tree, without a trailing separator; empty for a
    // bare repository, whose paths are then shown from "/".
    const std::string& root() const { return root_; }
    // What relative DIRs are resolved against: the working directory where it lies in the work
    // tree, else the root (for a bare repository "/").
    const std::string& workingDirectory() const { return workingDirectory_; }
    bool shallow() const;

    // The tree that REV names (a commit, a tag, a tree, "HEAD:src").
    git_oid treeOf(const std::string& rev) const;
    // The commit that REV names.
    git_oid commitOf(const std::string& rev) const;

  private:
    Repository(RepositoryPtr repository, std::string gitDir);
    ObjectPtr peeled(const std::string& rev, git_object_t type, const char* what) const;

    RepositoryPtr repository_;
    std::string gitDir_;
    std::string root_;
    std::string workingDirectory_;
};

}  // namespace lw::git
