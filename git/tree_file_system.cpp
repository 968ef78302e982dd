#include "git/tree_file_system.h"

#include "count/name_pattern.h"
#include "count/path_text.h"

namespace lw::git {

namespace {

std::string patternOf(const std::string& searchPath) {
    const std::size_t last = searchPath.rfind(kSeparator);
    return last == std::string::npos ? searchPath : searchPath.substr(last + 1);
}

}  // namespace

TreeFileSystem::TreeFileSystem(const Repository& repository, const git_oid& tree, BlobReader& blobs,
                               WorkTreeCopies* copies)
    : repository_(repository),
      tree_(tree),
      blobs_(blobs),
      copies_(copies),
      paths_(repository.root(), repository.workingDirectory()) {}

const TreeListing& TreeFileSystem::listing(const std::vector<std::string>& components,
                                           std::size_t count) {
    std::string key = joinComponents(components, count);
    if (const auto found = listings_.find(key); found != listings_.end()) {
        return found->second;
    }
    TreeListing made;
    std::optional<git_oid> tree;
    if (count == 0) {
        tree = tree_;
    } else {
        const TreeListing& parent = listing(components, count - 1);
        if (parent.failure) {
            // Below a missing directory or a file, as on disk: missing, or not a directory.
            made.failure = parent.failure;
        } else {
            const DirectoryStep step = directoryStep(findEntry(parent, components[count - 1]));
            if (step.state == DirectoryStep::State::Tree) {
                tree = step.id;
            } else if (step.state == DirectoryStep::State::Failed) {
                made.failure = step.failure;
            }
        }
    }
    if (tree) {
        made = readTree(repository_.get(), *tree);
        if (made.failure) {
            const std::string root = repository_.root().empty() ? "/" : repository_.root();
            const std::string shown = key.empty() ? root : joinPath(root, key);
            readFailures_.push_back("cannot read the tree of " + shown + ": " + *made.failure);
        }
    }
    return listings_.emplace(std::move(key), std::move(made)).first->second;
}

const TreeEntry* TreeFileSystem::entryOf(const std::string& fullPath, std::string& treePath,
                                         std::string& failure) {
    const std::optional<std::vector<std::string>> components = paths_.componentsOf(fullPath);
    if (!components) {
        failure = notFoundText();
        return nullptr;
    }
    if (components->empty()) {
        failure = isADirectoryText();
        return nullptr;
    }
    const TreeListing& parent = listing(*components, components->size() - 1);
    if (parent.failure) {
        failure = *parent.failure;
        return nullptr;
    }
    const TreeEntry* entry = findEntry(parent, components->back());
    treePath = joinComponents(*components, components->size());
    if (entry == nullptr) {
        failure = notFoundText();
    } else if (entry->kind == EntryKind::SymbolicLink) {
        failure = kSymbolicLinkText;
    } else if (entry->kind != EntryKind::File) {
        failure = isADirectoryText();
    } else {
        return entry;
    }
    return nullptr;
}

SearchResult TreeFileSystem::search(const std::string& directory,
                                    const std::function<bool(const TreeEntry&)>& wanted) {
    SearchResult result;
    const std::optional<std::vector<std::string>> components = paths_.componentsOf(directory);
    if (!components) {
        result.failure = notFoundText();
        return result;
    }
    const std::lock_guard lock(mutex_);
    const TreeListing& found = listing(*components, components->size());
    if (found.failure) {
        result.failure = found.failure;
        return result;
    }
    for (const TreeEntry& entry : found.entries) {
        if (wanted(entry)) {
            result.paths.push_back(joinPath(directory, entry.name));
        }
    }
    return result;
}

SearchResult TreeFileSystem::enumerate(const std::string& searchPath) {
    const NamePattern pattern(patternOf(searchPath));
    return search(absolutePath(searchDirectory(searchPath)), [&](const TreeEntry& entry) {
        return entry.kind == EntryKind::File && pattern.matches(entry.name.c_str());
    });
}

OpenResult TreeFileSystem::openForReading(const std::string& fullPath) {
    std::string treePath;
    std::string failure;
    git_oid id;
    bool copied = false;
    {
        const std::lock_guard lock(mutex_);
        const TreeEntry* entry = entryOf(fullPath, treePath, failure);
        if (entry == nullptr) {
            return {nullptr, failure};
        }
        id = entry->id;
        copied = copies_ != nullptr && copies_->mayHold(treePath, id);
    }
    if (copied) {
        if (std::unique_ptr<ReadableFile> file = copies_->open(treePath, fullPath)) {
            return {std::move(file), {}};
        }
    }
    return {blobs_.open(id), {}};
}

SearchResult TreeFileSystem::subdirectories(const std::string& directory) {
    return search(absolutePath(directory.empty() ? std::string(1, kSeparator) : directory),
                  [](const TreeEntry& entry) { return entry.kind == EntryKind::Directory; });
}

std::string TreeFileSystem::absolutePath(const std::string& path) {
    return paths_.absolutePath(path);
}

std::optional<git_oid> TreeFileSystem::blobOf(const std::string& fullPath) {
    std::string treePath;
    std::string failure;
    const std::lock_guard lock(mutex_);
    const TreeEntry* entry = entryOf(fullPath, treePath, failure);
    return entry != nullptr ? std::optional(entry->id) : std::nullopt;
}

std::vector<std::string> TreeFileSystem::readFailures() const {
    const std::lock_guard lock(mutex_);
    return readFailures_;
}

}  // namespace lw::git
