#include "cli/git_support.h"

namespace lw::cli {

namespace {

constexpr char kNoGit[] = "this build has no git support";

}  // namespace

bool gitSupport() {
    return false;
}

std::unique_ptr<Revisions> openRevisions(const std::optional<std::string>&) {
    throw RevisionError(kNoGit, 2);
}

int runHistory(const Options&, Messages& messages) {
    messages.message(kNoGit);
    return 2;
}

}  // namespace lw::cli
