#include "cli/arguments.h"

#include <algorithm>
#include <charconv>

#include "cli/dates.h"

namespace lw::cli {

namespace {

constexpr char kUsageStart[] =
    "Usage: linewright-count [options] DIR...\n"
    "Counts the FIXME lines, code, comments and counted lines of the files in each DIR whose\n"
    "names match the patterns. The first DIR is the base of the relative paths.\n"
    "\n"
    "Options:\n"
    "  -e, --extensions TEXT  patterns separated by ';' (default "
    "\"*.c;*.cpp;*.h;*.hxx;*.cxx;*.inl\")\n"
    "  -r, --recurse          follow each DIR by all of its subdirectories\n";

constexpr char kFormatWithoutGit[] = "      --format FORMAT    table (default), tsv, csv or json\n";
constexpr char kFormatWithGit[] =
    "      --format FORMAT    table (default), tsv, csv or json; with --history also svg\n";

constexpr char kUsageMiddle[] =
    "      --sort COLUMN      sort the rows by path, fixmes, code, comments or total (files too\n"
    "                         with --by-dir), or with a comparison by fixmes-change,\n"
    "                         code-change, comments-change or total-change (files-change)\n"
    "      --by-dir[=DEPTH]   one row per directory, the sums of its files: by each file's\n"
    "                         directory, or by the first DEPTH components of its path\n"
    "  -j, --jobs N           files counted at once (default: the number of cores)\n"
    "      --compare OLD      compare with OLD, the --format json output of an earlier run:\n"
    "                         each row gains its changes and added, removed, changed or same\n";

constexpr char kGitComparison[] =
    "      --compare-rev REV  compare with the counts of the same DIRs and patterns at git\n"
    "                         revision REV, as --compare does with a file\n";

constexpr char kUsageLimits[] =
    "      --only-changed     with a comparison, leave out the rows that stayed the same\n"
    "      --max-fixmes N     exit with 3 when the FIXMEs total exceeds N\n"
    "      --max-new-fixmes N\n"
    "                         with a comparison, exit with 3 when the FIXMEs total grew by\n"
    "                         more than N\n";

constexpr char kGitOptions[] =
    "      --rev REV          count the files as they are at git revision REV (a branch, a\n"
    "                         tag, HEAD~3, a hash), read from the repository: no checkout\n"
    "      --history          one row per commit of the first-parent history of HEAD (or of\n"
    "                         --rev), newest first: commit, date, files and the four totals\n"
    "      --since DATE       with --history, the commits from DATE on (2024-01-31,\n"
    "                         2024-01-31T12:00:00Z, an offset such as +02:00; UTC without one)\n"
    "      --max-count N      with --history, at most N commits\n"
    "      --every N          with --history, every Nth commit, the newest first\n"
    "      --git-dir DIR      the repository to read (a bare one too) instead of the one that\n"
    "                         holds the working directory\n";

constexpr char kUsageEnd[] =
    "      --help             show this help and exit\n"
    "      --version          show the version and exit\n";

constexpr char kGitNote[] =
    "\n"
    "At a git revision, files are counted as committed: no smudge or line-end filters.\n"
    "Symbolic links and submodules are passed over; DIRs are paths in that revision's tree,\n"
    "relative to the working directory's place in the work tree.\n";

constexpr char kExitStatus[] =
    "\n"
    "Exit status: 0 if every matching file was counted, 1 if any could not be opened or read,\n"
    "a directory could not be searched or the output could not be written, 2 on a usage error\n"
    "or an OLD that is not such output, 3 if nothing failed but a --max limit was exceeded.\n";

constexpr char kGitExitStatus[] =
    "\n"
    "Exit status: 0 if every matching file was counted, 1 if any could not be opened or read,\n"
    "a directory could not be searched, the output could not be written or the repository\n"
    "could not be read, 2 on a usage error, an OLD that is not such output, no repository or an\n"
    "unknown revision, 3 if nothing failed but a --max limit was exceeded.\n";

constexpr std::string_view kGitOnly[] = {"--rev",       "--compare-rev", "--history", "--since",
                                         "--max-count", "--every",       "--git-dir"};

template <typename Number>
std::optional<Number> parseNumber(std::string_view text, Number least, Number most) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value < least || value > most) {
        return std::nullopt;
    }
    return value;
}

constexpr std::int32_t kMaxInt32 = 2147483647;

class Parser {
  public:
    Parser(std::span<const std::string_view> arguments, bool gitSupport)
        : arguments_(arguments), gitSupport_(gitSupport) {}

    ParsedArguments parse() {
        bool optionsEnded = false;
        for (i_ = 0; i_ < arguments_.size() && result_.action == Action::Run; ++i_) {
            const std::string_view arg = arguments_[i_];
            if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
                options().directories.emplace_back(arg);
            } else if (arg == "--") {
                optionsEnded = true;
            } else {
                option(arg);
            }
        }
        if (result_.action == Action::Run) {
            check();
        }
        return std::move(result_);
    }

  private:
    Options& options() { return result_.options; }

    void fail(std::string text) {
        if (result_.action == Action::Run) {
            result_.action = Action::UsageError;
            result_.error = std::move(text);
        }
    }

    // The value of an option: attached ("-eX", "--extensions=X") or the next argument.
    std::optional<std::string_view> value() {
        if (attached_) {
            return attached_;
        }
        if (i_ + 1 < arguments_.size()) {
            return arguments_[++i_];
        }
        return std::nullopt;
    }

    template <typename Number>
    std::optional<Number> number(Number least, Number most) {
        const std::optional<std::string_view> text = value();
        std::optional<Number> parsed = text ? parseNumber(*text, least, most) : std::nullopt;
        if (!parsed) {
            fail("option '" + std::string(name_) + "' takes a number from " +
                 std::to_string(least) + " to " + std::to_string(most));
        }
        return parsed;
    }

    std::optional<std::string> text(const char* what) {
        const std::optional<std::string_view> given = value();
        if (!given) {
            fail("option '" + std::string(name_) + "' needs " + what);
            return std::nullopt;
        }
        return std::string(*given);
    }

    void option(std::string_view arg) {
        name_ = arg;
        attached_.reset();
        if (arg.starts_with("--")) {
            if (const std::size_t equals = arg.find('='); equals != std::string_view::npos) {
                name_ = arg.substr(0, equals);
                attached_ = arg.substr(equals + 1);
            }
        } else if (arg.size() > 2) {
            name_ = arg.substr(0, 2);
            attached_ = arg.substr(2);
        }
        if (!gitSupport_ &&
            std::find(std::begin(kGitOnly), std::end(kGitOnly), name_) != std::end(kGitOnly)) {
            fail("option '" + std::string(name_) + "': this build has no git support");
            return;
        }
        Options& o = options();
        const bool flag = !attached_;
        if (name_ == "--help" && flag) {
            result_.action = Action::Help;
        } else if (name_ == "--version" && flag) {
            result_.action = Action::Version;
        } else if ((name_ == "-r" || name_ == "--recurse") && flag) {
            o.recurse = true;
        } else if (name_ == "-e" || name_ == "--extensions") {
            if (auto given = text("a pattern text")) {
                o.extensions = std::move(*given);
            }
        } else if (name_ == "--format") {
            format(value());
        } else if (name_ == "--sort") {
            const std::optional<std::string_view> given = value();
            o.sort = given ? sortKeyNamed(*given) : std::nullopt;
            if (!o.sort) {
                fail(
                    "option '--sort' takes path, fixmes, code, comments or total (files with "
                    "--by-dir), or with a comparison fixmes-change, code-change, "
                    "comments-change or total-change (files-change with --by-dir)");
            }
        } else if (name_ == "--by-dir") {
            // Only attached: "--by-dir 2" keeps 2 a DIR.
            o.byDirectory = 0;
            if (attached_) {
                if (const auto depth = number<unsigned>(1, 4096)) {
                    o.byDirectory = *depth;
                }
            }
        } else if (name_ == "--compare") {
            o.compare = text("the file to compare with");
        } else if (name_ == "--only-changed" && flag) {
            o.onlyChanged = true;
        } else if (name_ == "--max-fixmes" || name_ == "--max-new-fixmes") {
            const auto limit = number<std::int64_t>(0, kMaxInt32);
            (name_ == "--max-fixmes" ? o.limits.maxFixmes : o.limits.maxNewFixmes) = limit;
        } else if (name_ == "-j" || name_ == "--jobs") {
            o.jobs = number<unsigned>(1, 1024).value_or(0);
        } else if (name_ == "--rev") {
            o.rev = text("a revision");
        } else if (name_ == "--compare-rev") {
            o.compareRev = text("a revision");
        } else if (name_ == "--git-dir") {
            o.gitDir = text("the repository's directory");
        } else if (name_ == "--history" && flag) {
            o.history = true;
        } else if (name_ == "--since") {
            const std::optional<std::string_view> given = value();
            o.since = given ? parseIsoDate(*given) : std::nullopt;
            if (!o.since) {
                fail("option '--since' takes a date such as 2024-01-31 or 2024-01-31T12:00:00Z");
            }
        } else if (name_ == "--max-count") {
            o.maxCount = number<std::size_t>(1, kMaxInt32);
        } else if (name_ == "--every") {
            o.every = number<std::size_t>(1, kMaxInt32).value_or(1);
        } else {
            fail("unknown option '" + std::string(arg) + "'");
        }
    }

    void format(std::optional<std::string_view> given) {
        static constexpr std::pair<std::string_view, Format> kFormats[] = {{"table", Format::Table},
                                                                           {"tsv", Format::Tsv},
                                                                           {"csv", Format::Csv},
                                                                           {"json", Format::Json},
                                                                           {"svg", Format::Svg}};
        for (const auto& [name, format] : kFormats) {
            if (given == name && (format != Format::Svg || gitSupport_)) {
                options().format = format;
                return;
            }
        }
        fail(gitSupport_ ? "option '--format' takes table, tsv, csv, json or svg"
                         : "option '--format' takes table, tsv, csv or json");
    }

    // What one option needs of the others.
    void check() {
        const Options& o = options();
        // An empty DIR would search the root, which is never what an unset variable meant.
        if (std::find(o.directories.begin(), o.directories.end(), "") != o.directories.end()) {
            return fail("a DIR must not be empty");
        }
        if (o.compare && o.compareRev) {
            return fail("options '--compare' and '--compare-rev' do not go together");
        }
        if (o.history) {
            checkHistory();
            return;
        }
        for (const auto& [given, option] : {std::pair{o.since.has_value(), "--since"},
                                            {o.maxCount.has_value(), "--max-count"},
                                            {o.every != 1, "--every"}}) {
            if (given) {
                return fail("option '" + std::string(option) + "' needs --history");
            }
        }
        if (o.format == Format::Svg) {
            return fail("option '--format svg' needs --history: only a history is a chart");
        }
        if (o.gitDir && !o.rev && !o.compareRev) {
            return fail("option '--git-dir' needs --rev, --compare-rev or --history");
        }
        // What compares with an earlier run has nothing to work on without one.
        if (!o.compared()) {
            const std::string needs =
                gitSupport_ ? "' needs --compare or --compare-rev" : "' needs --compare";
            if (o.onlyChanged) {
                return fail("option '--only-changed" + needs);
            }
            if (o.limits.maxNewFixmes) {
                return fail("option '--max-new-fixmes" + needs);
            }
            if (o.sort && o.sort->change) {
                return fail("option '--sort " + sortKeyName(*o.sort) + needs);
            }
        }
        if (o.sort && o.sort->field == SortField::Files && !o.byDirectory) {
            return fail("option '--sort " + sortKeyName(*o.sort) + "' needs --by-dir");
        }
    }

    void checkHistory() {
        const Options& o = options();
        for (const auto& [given, option] :
             {std::pair{o.compare.has_value(), "--compare"},
              {o.compareRev.has_value(), "--compare-rev"},
              {o.byDirectory.has_value(), "--by-dir"},
              {o.sort.has_value(), "--sort"},
              {o.onlyChanged, "--only-changed"},
              {o.limits.maxFixmes.has_value(), "--max-fixmes"},
              {o.limits.maxNewFixmes.has_value(), "--max-new-fixmes"}}) {
            if (given) {
                return fail("option '" + std::string(option) +
                            "' does not go with --history, which has one row per commit");
            }
        }
    }

    std::span<const std::string_view> arguments_;
    bool gitSupport_;
    std::size_t i_ = 0;
    std::string_view name_;
    std::optional<std::string_view> attached_;
    ParsedArguments result_;
};

}  // namespace

ParsedArguments parseArguments(std::span<const std::string_view> arguments, bool gitSupport) {
    return Parser(arguments, gitSupport).parse();
}

std::string usageText(bool gitSupport) {
    std::string text = kUsageStart;
    text += gitSupport ? kFormatWithGit : kFormatWithoutGit;
    text += kUsageMiddle;
    if (gitSupport) {
        text += kGitComparison;
    }
    text += kUsageLimits;
    if (gitSupport) {
        text += kGitOptions;
    }
    text += kUsageEnd;
    if (gitSupport) {
        text += kGitNote;
    }
    text += gitSupport ? kGitExitStatus : kExitStatus;
    return text;
}

}  // namespace lw::cli
