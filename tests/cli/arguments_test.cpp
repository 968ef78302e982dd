#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "cli/arguments.h"
#include "cli/dates.h"

namespace lw::cli {
namespace {

// What a parse gave, in a few words: the error, or the options that differ from the defaults.
std::string describe(const std::vector<std::string_view>& args, bool git) {
    const ParsedArguments parsed = parseArguments(args, git);
    switch (parsed.action) {
        case Action::Help:
            return "help";
        case Action::Version:
            return "version";
        case Action::UsageError:
            return "error: " + parsed.error;
        case Action::Run:
            break;
    }
    const Options& o = parsed.options;
    std::string text = "dirs";
    for (const std::string& d : o.directories) {
        text += " [" + d + "]";
    }
    const auto add = [&](bool given, const std::string& what) {
        if (given) {
            text += " " + what;
        }
    };
    add(o.extensions != kDefaultExtensions, "e=" + o.extensions);
    add(o.recurse, "r");
    add(o.format != Format::Table, "format=" + std::to_string(static_cast<int>(o.format)));
    add(o.sort.has_value(), "sort=" + (o.sort ? sortKeyName(*o.sort) : ""));
    add(o.jobs != 0, "j=" + std::to_string(o.jobs));
    add(o.compare.has_value(), "compare=" + o.compare.value_or(""));
    add(o.onlyChanged, "only-changed");
    add(o.limits.maxFixmes.has_value(), "max=" + std::to_string(o.limits.maxFixmes.value_or(0)));
    add(o.limits.maxNewFixmes.has_value(),
        "max-new=" + std::to_string(o.limits.maxNewFixmes.value_or(0)));
    add(o.byDirectory.has_value(), "by-dir=" + std::to_string(o.byDirectory.value_or(0)));
    add(o.rev.has_value(), "rev=" + o.rev.value_or(""));
    add(o.compareRev.has_value(), "compare-rev=" + o.compareRev.value_or(""));
    add(o.gitDir.has_value(), "git-dir=" + o.gitDir.value_or(""));
    add(o.history, "history");
    add(o.since.has_value(), "since=" + formatIsoDate(o.since.value_or(0)));
    add(o.maxCount.has_value(), "max-count=" + std::to_string(o.maxCount.value_or(0)));
    add(o.every != 1, "every=" + std::to_string(o.every));
    return text;
}

TEST(Arguments, GiveTheOptionsOrSayWhatIsWrong) {
    const struct {
        std::vector<std::string_view> args;
        bool git;
        std::string expected;
    } cases[] = {
        {{}, false, "dirs"},
        {{"-e*.c", "--extensions=*.h", "-r", "src", "-", "--", "-r"},
         false,
         "dirs [src] [-] [-r] e=*.h r"},
        {{"--format=csv", "--sort", "total-change", "--compare", "old.json", "--only-changed",
          "--max-new-fixmes", "0", "-j2", "x"},
         false,
         "dirs [x] format=3 sort=total-change j=2 compare=old.json only-changed max-new=0"},
        // The depth of --by-dir is attached only: a number after it is a DIR.
        {{"--by-dir", "2", "--sort", "files"}, false, "dirs [2] sort=files by-dir=0"},
        {{"--by-dir=3", "--sort=files-change", "--compare", "a"},
         false,
         "dirs sort=files-change compare=a by-dir=3"},
        {{"--help", "--nope"}, false, "help"},
        {{"--nope", "--help"}, false, "error: unknown option '--nope'"},
        {{"--version"}, false, "version"},
        {{"-rx"}, false, "error: unknown option '-rx'"},
        {{"src", ""}, false, "error: a DIR must not be empty"},
        {{"--format"}, false, "error: option '--format' takes table, tsv, csv or json"},
        {{"--format", "svg"}, false, "error: option '--format' takes table, tsv, csv or json"},
        {{"-j", "0"}, false, "error: option '-j' takes a number from 1 to 1024"},
        {{"--max-fixmes=-1"},
         false,
         "error: option '--max-fixmes' takes a number from 0 to 2147483647"},
        {{"--by-dir=0"}, false, "error: option '--by-dir' takes a number from 1 to 4096"},
        {{"--sort", "path-change"},
         false,
         "error: option '--sort' takes path, fixmes, code, comments or total (files with "
         "--by-dir), or with a comparison fixmes-change, code-change, comments-change or "
         "total-change (files-change with --by-dir)"},
        {{"--sort", "files"}, false, "error: option '--sort files' needs --by-dir"},
        {{"--sort", "code-change"}, false, "error: option '--sort code-change' needs --compare"},
        {{"--only-changed"},
         true,
         "error: option '--only-changed' needs --compare or --compare-rev"},
        {{"--rev", "HEAD", "src"}, false, "error: option '--rev': this build has no git support"},
        {{"--history"}, false, "error: option '--history': this build has no git support"},
        // What needs git, in a build that has it.
        {{"--rev", "v1", "--compare-rev=main", "--git-dir", "r.git", "--by-dir", "src"},
         true,
         "dirs [src] by-dir=0 rev=v1 compare-rev=main git-dir=r.git"},
        {{"--history", "--since", "2024-01-31T12:00+02:00", "--max-count", "10", "--every=5",
          "--format", "svg", "-r", "src"},
         true,
         "dirs [src] r format=4 history since=2024-01-31T10:00:00Z max-count=10 every=5"},
        {{"--compare", "a", "--compare-rev", "b"},
         true,
         "error: options '--compare' and '--compare-rev' do not go together"},
        {{"--history", "--by-dir"},
         true,
         "error: option '--by-dir' does not go with --history, which has one row per commit"},
        {{"--history", "--max-fixmes", "1"},
         true,
         "error: option '--max-fixmes' does not go with --history, which has one row per "
         "commit"},
        {{"--history", "--since", "yesterday"},
         true,
         "error: option '--since' takes a date such as 2024-01-31 or 2024-01-31T12:00:00Z"},
        {{"--history", "--every", "0"},
         true,
         "error: option '--every' takes a number from 1 to 2147483647"},
        {{"--since", "2024-01-01"}, true, "error: option '--since' needs --history"},
        {{"--format", "svg"},
         true,
         "error: option '--format svg' needs --history: only a history is a chart"},
        {{"--git-dir", "r.git", "src"},
         true,
         "error: option '--git-dir' needs --rev, --compare-rev or --history"},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const std::string_view arg : c.args) {
            shown += " " + std::string(arg);
        }
        EXPECT_EQ(describe(c.args, c.git), c.expected) << shown;
    }
}

TEST(Arguments, HelpNamesTheGitOptionsOnlyWhereTheBuildHasThem) {
    for (const bool git : {false, true}) {
        const std::string help = usageText(git);
        for (const char* option : {"--rev", "--compare-rev", "--history", "--git-dir"}) {
            EXPECT_EQ(help.find(option) != std::string::npos, git) << option;
        }
        EXPECT_NE(help.find("--by-dir"), std::string::npos);
    }
}

TEST(Dates, ReadIsoDatesAndWriteThemInUtc) {
    // Seconds from `date -u -d ... +%s`.
    const struct {
        std::string_view text;
        std::optional<std::int64_t> seconds;
    } cases[] = {
        {"2024-01-31", 1706659200},
        {"2024-02-29", 1709164800},
        {"2000-03-01T00:00:00Z", 951868800},
        {"2024-01-31T12:30", 1706704200},
        {"2024-01-31 12:30:15Z", 1706704215},
        {"2024-01-31T12:30:15+02:00", 1706697015},
        {"2024-01-31T12:30:15-0530", 1706724015},
        {"2024-01-31T12:30:15+02", 1706697015},
        {"1969-12-31T23:59:59Z", -1},
        {"2023-02-29", std::nullopt},
        {"2024-13-01", std::nullopt},
        {"2024-1-31", std::nullopt},
        {"2024-01-31T24:00", std::nullopt},
        {"2024-01-31T12", std::nullopt},
        {"2024-01-31T12:30Zx", std::nullopt},
        {"2024-01-31T12:30+2", std::nullopt},
        {"yesterday", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseIsoDate(c.text), c.seconds) << c.text;
    }
    EXPECT_EQ(formatIsoDate(1706704215), "2024-01-31T12:30:15Z");
    EXPECT_EQ(formatIsoDate(-1), "1969-12-31T23:59:59Z");
    for (std::int64_t day = -800000; day < 800000; day += 997) {
        std::int64_t year = 0;
        unsigned month = 0;
        unsigned dayOfMonth = 0;
        civilFromDays(day, year, month, dayOfMonth);
        ASSERT_EQ(daysFromCivil(year, month, dayOfMonth), day);
    }
}

}  // namespace
}  // namespace lw::cli
