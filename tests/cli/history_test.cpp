#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/dates.h"
#include "cli/svg_chart.h"
#include "git/history.h"

namespace lw::cli {
namespace {

// The verdicts on commits of the given times, newest first, as K (keep), s (skip), or the
// position where the walk stops.
std::string walk(const git::HistorySelection& selection, const std::vector<std::int64_t>& times) {
    git::HistorySelector selector(selection);
    std::string verdicts;
    for (const std::int64_t time : times) {
        const auto verdict = selector.next(time);
        if (verdict == git::HistorySelector::Verdict::Stop) {
            return verdicts + "|";
        }
        verdicts += verdict == git::HistorySelector::Verdict::Keep ? 'K' : 's';
        if (selector.done()) {
            return verdicts + "|";
        }
    }
    return verdicts;
}

TEST(History, SelectsTheCommitsAsTheOptionsSay) {
    const std::vector<std::int64_t> times = {90, 80, 70, 75, 60, 50, 40};
    EXPECT_EQ(walk({}, times), "KKKKKKK");
    EXPECT_EQ(walk({std::nullopt, 3, std::nullopt}, times), "KssKssK");
    EXPECT_EQ(walk({std::nullopt, 2, 2}, times), "KsK|");
    // The walk stops at the first commit older than --since, as git's own does, though a later
    // one (75) is newer.
    EXPECT_EQ(walk({75, 1, std::nullopt}, times), "KK|");
    EXPECT_EQ(walk({60, 2, std::nullopt}, times), "KsKsK|");
    EXPECT_EQ(walk({std::nullopt, 1, 1}, times), "K|");
}

TEST(History, AxesTakeRoundSteps) {
    const struct {
        std::int64_t most;
        std::int64_t step;
        std::int64_t top;
    } cases[] = {{0, 1, 5},      {1, 1, 1},     {8, 2, 8}, {37, 10, 40}, {79483, 20000, 80000},
                 {100, 20, 100}, {101, 20, 120}};
    for (const auto& c : cases) {
        const AxisScale scale = axisScale(c.most);
        EXPECT_EQ(scale.step, c.step) << c.most;
        EXPECT_EQ(scale.top, c.top) << c.most;
    }
}

TEST(History, DateTicksFitTheSpan) {
    const auto labels = [](const char* first, const char* last) {
        std::string text;
        for (const DateTick& tick : dateTicks(*parseIsoDate(first), *parseIsoDate(last))) {
            text += tick.label + " ";
        }
        return text;
    };
    EXPECT_EQ(labels("2011-03-23", "2026-05-15"), "2012 2014 2016 2018 2020 2022 2024 2026 ");
    EXPECT_EQ(labels("2024-01-01T10:00", "2024-03-02T10:00"), "2024-02 2024-03 ");
    EXPECT_EQ(labels("2023-11-15", "2024-11-15"),
              "2024-01 2024-03 2024-05 2024-07 2024-09 2024-11 ");
    EXPECT_EQ(labels("2024-01-01", "2024-01-05"), "2024-01-02 2024-01-03 2024-01-04 2024-01-05 ");
    EXPECT_EQ(labels("2024-01-01T00:00", "2024-01-01T12:00"), "01-01 06:00 01-01 12:00 ");
}

TEST(History, ChartsOfNoneAndOneCommit) {
    EXPECT_NE(historyChart({}).find(">No commits</text>"), std::string::npos);
    RunTotals totals;
    totals.code = 10;
    totals.fixmes = 2;
    const std::string one = historyChart({{"0123", 1706659200, totals}});
    // One commit is a dot for each series, not a line of one point.
    EXPECT_EQ(one.find("<polyline"), std::string::npos);
    EXPECT_NE(one.find("<circle"), one.rfind("<circle"));
    EXPECT_NE(one.find(">Code and FIXMEs over 1 commit</text>"), std::string::npos);
}

}  // namespace
}  // namespace lw::cli
