#include "git/tree_paths.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "count/path_text.h"
#include "git/repository.h"

namespace lw::git {

namespace {

std::vector<std::string> splitComponents(std::string_view path) {
    std::vector<std::string> components;
    std::size_t pos = 0;
    while (pos <= path.size()) {
        std::size_t next = path.find('/', pos);
        if (next == std::string_view::npos) {
            next = path.size();
        }
        const std::string_view component = path.substr(pos, next - pos);
        if (component == "..") {
            if (!components.empty()) {
                components.pop_back();
            }
        } else if (!component.empty() && component != ".") {
            components.emplace_back(component);
        }
        pos = next + 1;
    }
    return components;
}

}  // namespace

EntryKind entryKindOf(const git_tree_entry* entry) {
    switch (git_tree_entry_filemode(entry)) {
        case GIT_FILEMODE_TREE:
            return EntryKind::Directory;
        case GIT_FILEMODE_COMMIT:
            return EntryKind::Submodule;
        case GIT_FILEMODE_LINK:
            return EntryKind::SymbolicLink;
        default:
            return EntryKind::File;
    }
}

TreeListing readTree(git_repository* repository, const git_oid& tree) {
    TreeListing listing;
    git_tree* raw = nullptr;
    if (git_tree_lookup(&raw, repository, &tree) < 0) {
        listing.failure = lastErrorText();
        return listing;
    }
    const TreePtr owned(raw);
    const std::size_t count = git_tree_entrycount(raw);
    listing.entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const git_tree_entry* entry = git_tree_entry_byindex(raw, i);
        listing.entries.push_back(
            {git_tree_entry_name(entry), entryKindOf(entry), *git_tree_entry_id(entry)});
    }
    std::sort(listing.entries.begin(), listing.entries.end(),
              [](const TreeEntry& a, const TreeEntry& b) { return a.name < b.name; });
    return listing;
}

const TreeEntry* findEntry(const TreeListing& listing, std::string_view name) {
    const auto found = std::lower_bound(
        listing.entries.begin(), listing.entries.end(), name,
        [](const TreeEntry& entry, std::string_view key) { return entry.name < key; });
    return found != listing.entries.end() && found->name == name ? &*found : nullptr;
}

std::string notFoundText() {
    return std::system_category().message(ENOENT);
}

std::string notADirectoryText() {
    return std::system_category().message(ENOTDIR);
}

std::string isADirectoryText() {
    return std::system_category().message(EISDIR);
}

DirectoryStep directoryStep(const TreeEntry* entry) {
    DirectoryStep step;
    if (entry == nullptr) {
        step.failure = notFoundText();
        return step;
    }
    switch (entry->kind) {
        case EntryKind::Directory:
            step.state = DirectoryStep::State::Tree;
            step.id = entry->id;
            break;
        case EntryKind::Submodule:
            step.state = DirectoryStep::State::Empty;
            break;
        case EntryKind::SymbolicLink:
            step.failure = kSymbolicLinkText;
            break;
        case EntryKind::File:
            step.failure = notADirectoryText();
            break;
    }
    return step;
}

TreePaths::TreePaths(std::string root, std::string workingDirectory)
    : rootComponents_(splitComponents(root)), workingDirectory_(std::move(workingDirectory)) {}

std::string TreePaths::absolutePath(const std::string& path) const {
    if (!path.empty() && path.front() == kSeparator) {
        return lexicallyAbsolute(path, {});
    }
    return lexicallyAbsolute(path, workingDirectory_);
}

std::optional<std::vector<std::string>> TreePaths::componentsOf(std::string_view fullPath) const {
    std::vector<std::string> components = splitComponents(fullPath);
    if (components.size() < rootComponents_.size() ||
        !std::equal(rootComponents_.begin(), rootComponents_.end(), components.begin())) {
        return std::nullopt;
    }
    components.erase(components.begin(),
                     components.begin() + static_cast<std::ptrdiff_t>(rootComponents_.size()));
    return components;
}

std::string joinComponents(const std::vector<std::string>& components, std::size_t count) {
    std::string key;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) {
            key += '/';
        }
        key += components[i];
    }
    return key;
}

}  // namespace lw::git
