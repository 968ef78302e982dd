#include "git/repository.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace lw::git {

namespace {

// libgit2's global state lives from the first repository opened until the process ends.
void initialiseLibrary() {
    struct Library {
        Library() { git_libgit2_init(); }
        ~Library() { git_libgit2_shutdown(); }
        Library(const Library&) = delete;
        Library& operator=(const Library&) = delete;
    };
    static Library library;
}

std::string currentDirectory() {
    std::vector<char> buffer(256);
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()) != nullptr) {
            return buffer.data();
        }
        if (errno != ERANGE) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
}

int openRaw(git_repository** out, const std::optional<std::string>& gitDir) {
    if (gitDir) {
        return git_repository_open_ext(out, gitDir->c_str(), GIT_REPOSITORY_OPEN_NO_SEARCH,
                                       nullptr);
    }
    // libgit2 takes GIT_DIR and GIT_CEILING_DIRECTORIES from the environment but refuses
    // GIT_WORK_TREE, which git honours: the repository is found without it and given its work
    // tree after. Nothing else runs yet while the variable is away.
    const char* given = std::getenv("GIT_WORK_TREE");
    const std::optional<std::string> workTree =
        given != nullptr ? std::optional<std::string>(given) : std::nullopt;
    if (workTree) {
        ::unsetenv("GIT_WORK_TREE");
    }
    int error = git_repository_open_ext(out, nullptr, GIT_REPOSITORY_OPEN_FROM_ENV, nullptr);
    if (workTree) {
        ::setenv("GIT_WORK_TREE", workTree->c_str(), 1);
        if (error == 0 && (error = git_repository_set_workdir(*out, workTree->c_str(), 0)) < 0) {
            git_repository_free(*out);
            *out = nullptr;
        }
    }
    return error;
}

}  // namespace

std::string lastErrorText() {
    const git_error* error = git_error_last();
    std::string text = error != nullptr && error->message != nullptr ? error->message : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == '.')) {
        text.pop_back();
    }
    return text.empty() ? "unknown libgit2 error" : text;
}

std::string hexOf(const git_oid& id) {
    char text[GIT_OID_HEXSZ + 1];
    git_oid_tostr(text, sizeof text, &id);
    return text;
}

std::size_t OidHash::operator()(const git_oid& id) const {
    // The bytes of an object id are a hash already.
    std::size_t value = 0;
    std::memcpy(&value, id.id, sizeof value);
    return value;
}

Repository Repository::open(const std::optional<std::string>& gitDir) {
    initialiseLibrary();
    git_repository* raw = nullptr;
    if (const int error = openRaw(&raw, gitDir); error < 0) {
        const bool usage = error == GIT_ENOTFOUND || error == GIT_EOWNER;
        throw GitError(
            std::string(usage ? "not a git repository: " : "cannot open the repository: ") +
                lastErrorText(),
            usage);
    }
    return Repository(RepositoryPtr(raw), gitDir.value_or(""));
}

Repository::Repository(RepositoryPtr repository, std::string gitDir)
    : repository_(std::move(repository)), gitDir_(std::move(gitDir)) {
    if (const char* workdir = git_repository_workdir(repository_.get()); workdir != nullptr) {
        root_ = workdir;
        while (root_.size() > 1 && root_.back() == '/') {
            root_.pop_back();
        }
    }
    const std::string cwd = currentDirectory();
    if (!root_.empty() &&
        (cwd == root_ || (cwd.size() > root_.size() && cwd.compare(0, root_.size(), root_) == 0 &&
                          (cwd[root_.size()] == '/' || root_ == "/")))) {
        workingDirectory_ = cwd;
    } else {
        workingDirectory_ = root_.empty() ? "/" : root_;
    }
}

RepositoryPtr Repository::reopen() const {
    git_repository* raw = nullptr;
    const std::optional<std::string> gitDir =
        gitDir_.empty() ? std::nullopt : std::optional(gitDir_);
    if (openRaw(&raw, gitDir) < 0) {
        throw GitError("cannot open the repository again: " + lastErrorText(), false);
    }
    return RepositoryPtr(raw);
}

bool Repository::shallow() const {
    return git_repository_is_shallow(repository_.get()) == 1;
}

ObjectPtr Repository::peeled(const std::string& rev, git_object_t type, const char* what) const {
    git_object* found = nullptr;
    if (const int error = git_revparse_single(&found, repository_.get(), rev.c_str()); error < 0) {
        const bool usage =
            error == GIT_ENOTFOUND || error == GIT_EAMBIGUOUS || error == GIT_EINVALIDSPEC;
        throw GitError((usage ? "unknown revision '" : "cannot read revision '") + rev +
                           "': " + lastErrorText(),
                       usage);
    }
    const ObjectPtr object(found);
    git_object* target = nullptr;
    if (const int error = git_object_peel(&target, object.get(), type); error < 0) {
        const bool usage = error == GIT_EPEEL || error == GIT_EINVALIDSPEC;
        throw GitError(
            "revision '" + rev + "' " +
                (usage ? std::string("names no ") + what + ": " : std::string("cannot be read: ")) +
                lastErrorText(),
            usage);
    }
    return ObjectPtr(target);
}

git_oid Repository::treeOf(const std::string& rev) const {
    return *git_object_id(peeled(rev, GIT_OBJECT_TREE, "tree").get());
}

git_oid Repository::commitOf(const std::string& rev) const {
    return *git_object_id(peeled(rev, GIT_OBJECT_COMMIT, "commit").get());
}

}  // namespace lw::git
