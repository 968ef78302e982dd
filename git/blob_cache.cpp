#include "git/blob_cache.h"

namespace lw::git {

const FileOutcome* BlobCounts::find(const git_oid& blob) const {
    const auto found = outcomes_.find(blob);
    return found != outcomes_.end() ? &found->second : nullptr;
}

FileOutcome CachingFileCounter::count(const std::string& fullPath) {
    const std::optional<git_oid> blob = fileSystem_.blobOf(fullPath);
    if (!blob) {
        return countFile(fileSystem_, counts_.codePage(), fullPath);
    }
    if (const FileOutcome* known = counts_.find(*blob)) {
        return *known;
    }
    FileOutcome outcome = countFile(fileSystem_, counts_.codePage(), fullPath);
    counts_.add(*blob, outcome);
    return outcome;
}

}  // namespace lw::git
