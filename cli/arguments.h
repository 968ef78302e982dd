#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/row_diff.h"
#include "cli/row_sort.h"
#include "cli/table_writer.h"
#include "count/count_run.h"

namespace lw::cli {

struct Options {
    std::vector<std::string> directories;
    std::string extensions = kDefaultExtensions;
    bool recurse = false;
    Format format = Format::Table;
    std::optional<SortKey> sort;  // none keeps the order of the run
    unsigned jobs = 0;            // 0: the default
    std::optional<std::string> compare;
    bool onlyChanged = false;
    Limits limits;
    // Rows summed by directory: 0 by each file's own directory, N by its first N components.
    std::optional<unsigned> byDirectory;

    // What needs git.
    std::optional<std::string> rev;
    std::optional<std::string> compareRev;
    std::optional<std::string> gitDir;
    bool history = false;
    std::optional<std::int64_t> since;  // seconds since 1970, UTC
    std::optional<std::size_t> maxCount;
    std::size_t every = 1;

    bool compared() const { return compare.has_value() || compareRev.has_value(); }
};

enum class Action { Run, Help, Version, UsageError };

struct ParsedArguments {
    Action action = Action::Run;
    Options options;
    std::string error;  // for UsageError: what is wrong, as one line
};

// The arguments after the program's name. A build without git support knows the options that
// need it, and refuses each with that reason.
ParsedArguments parseArguments(std::span<const std::string_view> arguments, bool gitSupport);

// What --help prints; the options that need git only where the build has them.
std::string usageText(bool gitSupport);

}  // namespace lw::cli
