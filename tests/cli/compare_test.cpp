#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/baseline.h"
#include "cli/hex.h"
#include "cli/json_reader.h"
#include "cli/output.h"
#include "cli/row_diff.h"
#include "cli/row_sort.h"
#include "tests/cli/test_rows.h"

namespace lw::cli {
namespace {

// A run over the rows, with failed files that have none.
RunResult resultOf(std::vector<ResultRow> rows, std::size_t failed = 0) {
    RunResult result;
    result.rows = std::move(rows);
    for (const ResultRow& r : result.rows) {
        result.totals.files += 1;
        result.totals.fixmes += std::stoi(r.cells[1]);
        result.totals.code += std::stoi(r.cells[2]);
        result.totals.comments += std::stoi(r.cells[3]);
        result.totals.total += std::stoi(r.cells[4]);
    }
    for (std::size_t i = 0; i < failed; ++i) {
        result.totals.files += 1;
        result.failed.push_back("/gone/" + std::to_string(i) + ".c");
    }
    result.status = statusLineText(result.totals);
    return result;
}

// The json output of such a run, as linewright-count writes it.
std::string jsonOf(std::vector<ResultRow> rows, std::size_t failed = 0) {
    std::string out;
    formatResult(out, resultOf(std::move(rows), failed), Format::Json);
    return out;
}

// Output passed on in pieces as it is made is the output made whole, cut between rows.
TEST(FormatResult, InPiecesIsTheWholeCutBetweenRows) {
    std::vector<ResultRow> rows;
    for (int i = 0; i < 12000; ++i) {
        rows.push_back(row("dir/name with\ttab " + std::to_string(i) + ".c", i % 3, i, 1, i + 1));
    }
    const RunResult result = resultOf(std::move(rows), 2);
    for (const Format format : {Format::Table, Format::Tsv, Format::Csv, Format::Json}) {
        std::string whole;
        formatResult(whole, result, format);
        std::string out;
        std::vector<std::string> pieces;
        formatResult(out, result, format, [&](std::string& text) {
            pieces.push_back(text);
            text.clear();
        });
        ASSERT_GE(pieces.size(), 2u);
        std::string joined;
        for (const std::string& piece : pieces) {
            EXPECT_GE(piece.size(), kPieceSize);
            EXPECT_TRUE(piece.ends_with(format == Format::Json ? '}' : '\n'));
            joined += piece;
        }
        EXPECT_EQ(joined + out, whole);
    }
}

// The text as a file read in pieces of the given size would give it.
Baseline parseInPieces(const std::string& text, std::size_t size) {
    std::size_t at = 0;
    JsonReader json([&] {
        const std::string_view piece = std::string_view(text).substr(at, size);
        at += piece.size();
        return piece;
    });
    return parseBaseline(json);
}

// The place and the reason of the refusal; the same whether the text comes whole or byte by
// byte, since a file is read in pieces and every boundary must be invisible.
std::string errorOf(const std::string& text) {
    std::string whole = "(accepted)";
    std::string bytes = "(accepted)";
    try {
        parseBaseline(text);
    } catch (const JsonError& e) {
        whole = e.position() + ": " + e.what();
    }
    try {
        parseInPieces(text, 1);
    } catch (const JsonError& e) {
        bytes = e.position() + ": " + e.what();
    }
    EXPECT_EQ(whole, bytes) << text;
    return whole;
}

std::vector<std::string> paths(const Baseline& baseline) {
    std::vector<std::string> out;
    for (const BaselineRow& r : baseline.rows) {
        out.emplace_back(baseline.path(r));
    }
    return out;
}

const std::string kAwkward = std::string("bad\xff\xfe name\t\"q\"\\\x01.c");

TEST(Baseline, ReadsBackWhatTheJsonOutputWrites) {
    const std::string text = jsonOf(
        {row("a.c", 1, 2, 3, 4), row(kAwkward, 0, 5, 0, 5), row("\xc3\xa9.c", 2, 0, 0, 1)}, 2);
    for (const std::size_t size : {std::size_t{1}, std::size_t{3}, text.size()}) {
        const Baseline baseline = parseInPieces(text, size);
        EXPECT_EQ(paths(baseline), (std::vector<std::string>{"a.c", kAwkward, "\xc3\xa9.c"}));
        EXPECT_EQ(baseline.rows[1].counts, (std::array<std::int32_t, 4>{0, 5, 0, 5}));
        EXPECT_EQ(baseline.totals.files, 5);
        EXPECT_EQ(baseline.totals.total, 10);
    }
}

TEST(Baseline, TakesAnyLayoutAndEscapeOfTheSameJson) {
    // As a pretty-printer or another JSON tool may leave it: other spacing, other member order,
    // escapes for characters the writer leaves plain.
    const std::string text =
        "{\n  \"status\": \"Files: 1 FIXMEs: 0 Code: 1 Comments: 0 Total: 1\",\n"
        "  \"failed\": [],\n"
        "  \"totals\": {\"total\": 1, \"files\": 1, \"fixmes\": 0, \"code\": 1, \"comments\": 0},\n"
        "  \"rows\": [ { \"total\": 1, \"comments\": 0, \"code\": 1, \"fixmes\": 0,\n"
        "      \"path\": \"d\\/\\u00e9\\ud83d\\ude00.c\" } ]\n}\n";
    EXPECT_EQ(paths(parseInPieces(text, 1)),
              (std::vector<std::string>{"d/\xc3\xa9\xf0\x9f\x98\x80.c"}));
}

TEST(Baseline, EveryCutShortCopyIsRefused) {
    const std::string text = jsonOf({row("a.c", 1, 2, 3, 4), row(kAwkward, 0, 1, 0, 1)}, 1);
    // Only the final line end may go.
    for (std::size_t length = 0; length + 1 < text.size(); ++length) {
        EXPECT_NE(errorOf(text.substr(0, length)), "(accepted)") << length;
    }
    EXPECT_EQ(errorOf(text.substr(0, text.size() - 1)), "(accepted)");
}

TEST(Baseline, RefusesWhatTheJsonOutputNeverHolds) {
    const std::string good = jsonOf({row("a.c", 1, 2, 3, 4)});
    const auto with = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return text.replace(at, from.size(), to);
    };
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {"", "line 1, column 1: the JSON is cut short: it ends where '{' should come"},
        {"[]", "line 1, column 1: expected '{'"},
        {"{\n  \"rows\": [\n    {\"path\": \"a.c\",\n  x", "line 4, column 3: expected a key"},
        {"Relative path\tFIXMEs\n", "expected '{'"},
        {good + "x", "more text follows the JSON"},
        {with("\"fixmes\":1", "\"fixmes\":01"), "a number has a leading zero"},
        {with("\"fixmes\":1", "\"fixmes\":1.0"), "expected a whole number"},
        {with("\"fixmes\":1", "\"fixmes\":-1"), "out of range (0 to 2147483647)"},
        {with("\"fixmes\":1", "\"fixmes\":2147483648"), "out of range"},
        {with("\"fixmes\":1", "\"fixmes\":99999999999999999999999"), "out of range"},
        {with("\"fixmes\":1", "\"fixmes\":\"1\""), "expected a number"},
        {with("\"fixmes\":1", "\"fixmes\":null"), "row 1 has a count of null"},
        {with("\"fixmes\":1,", ""), "row 1 has no \"fixmes\""},
        {with("\"fixmes\":1", "\"fixmes\":1,\"fixmes\":1"), "row 1 has \"fixmes\" twice"},
        {with("\"fixmes\":1", "\"fixmes\":1,\"size\":1"), "row 1 has an unknown member \"size\""},
        {with("\"total\":4}", "\"total\":4,}"), "expected a key"},
        {with("\"a.c\"", "\"a\x01.c\""), "a control character stands unescaped in a string"},
        {with("\"a.c\"", "\"a\xff.c\""), "is not valid UTF-8"},
        {with("\"a.c\"", "\"a\\ud800.c\""), "a high surrogate is not followed by a low one"},
        {with("\"a.c\"", "\"a\\udc00.c\""), "a \\u escape holds a lone low surrogate"},
        {with("\"a.c\"", "\"a\\x41.c\""), "unknown escape in a string"},
        {with("\"a.c\"", "\"a.c\",\"path_hex\":\"612\""), "not hexadecimal"},
        {with("\"a.c\"", "\"a.c\",\"path_hex\":\"622e63\""),
         "\"path_hex\" that is not its \"path\""},
        {with("\"fixmes\":1,", "\"fixmes\":2,"), "its rows do not add up to its \"totals\""},
        {with("\"files\":1", "\"files\":2"), "its rows do not add up to its \"totals\""},
        {with("\"status\":\"Files: 1", "\"status\":\"Files:  1"), "its \"status\" is not"},
        {with(",\"failed\":[]", ""), "the output has no \"failed\""},
        {with("\"total\":4}",
              "\"total\":4,\"compare\":{\"change\":\"moved\",\"fixmes\":0,"
              "\"code\":0,\"comments\":0,\"total\":0}}"),
         "row 1 has an unknown change \"moved\""},
        {with("\"total\":4}",
              "\"total\":4,\"compare\":{\"change\":\"removed\",\"fixmes\":0,"
              "\"code\":0,\"comments\":0,\"total\":0}}"),
         "row 1 is removed yet has counts"},
    };
    for (const auto& c : cases) {
        EXPECT_NE(errorOf(c.text).find(c.error), std::string::npos)
            << c.text << "\ngave: " << errorOf(c.text);
    }
}

TEST(Baseline, ReadsTheOutputOfAComparisonWithoutItsRemovedRows) {
    const Baseline old = parseBaseline(jsonOf({row("gone.c", 1, 1, 0, 1), row("a.c", 0, 1, 0, 1)}));
    RunResult result = resultOf({row("a.c", 2, 1, 0, 1), row("new.c", 0, 0, 0, 0)});
    compareRows(result.rows, old, false, result.changes);
    result.totalsChange = compareTotals(result.totals, old.totals);
    std::string text;
    formatResult(text, result, Format::Json);
    EXPECT_EQ(paths(parseBaseline(text)), (std::vector<std::string>{"a.c", "new.c"}));
}

std::string describe(const std::vector<ResultRow>& rows, const std::vector<RowChange>& changes) {
    std::string out;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto cells = changeCells(changes[i]);
        out += rows[i].cells[0] + ":" + rows[i].cells[1] + ":" + cells[0] + cells[1] + cells[2] +
               cells[3] + ":" + cells[4] + " ";
    }
    return out;
}

TEST(CompareRows, MatchesByPathBytesAndSamePathsInOrder) {
    Baseline old;
    old.addRow("a.c", {1, 1, 1, 1});
    old.addRow("dup.c", {1, 0, 0, 1});
    old.addRow("gone.c", {2, 3, 0, 3});
    old.addRow("dup.c", {5, 0, 0, 5});
    old.addRow("x\xff.c", {0, 1, 0, 1});
    old.addRow("dup.c", {7, 0, 0, 7});
    const struct {
        std::vector<ResultRow> rows;
        bool onlyChanged;
        std::string expected;
    } cases[] = {
        {{row("a.c", 1, 1, 1, 1), row("dup.c", 1, 0, 0, 1), row("x\xff.c", 0, 2, 0, 1),
          row("dup.c", 5, 0, 0, 5), row("x\xc3\xbf.c", 0, 1, 0, 0)},
         false,
         "a.c:1:0000:same dup.c:1:0000:same x\xff.c:0:0+100:changed dup.c:5:0000:same "
         "x\xc3\xbf.c:0:0+100:added gone.c::-2-30-3:removed dup.c::-700-7:removed "},
        // The first row stays where it is as the ones after it move up.
        {{row("a.c", 2, 1, 1, 1), row("dup.c", 1, 0, 0, 1)},
         true,
         "a.c:2:+1000:changed gone.c::-2-30-3:removed dup.c::-500-5:removed "
         "x\xff.c::0-10-1:removed dup.c::-700-7:removed "},
    };
    for (auto c : cases) {
        std::vector<RowChange> changes;
        compareRows(c.rows, old, c.onlyChanged, changes);
        EXPECT_EQ(describe(c.rows, changes), c.expected);
    }
}

TEST(SortRows, ByAChangeColumnStablyCarryingTheChanges) {
    std::vector<ResultRow> rows = {row("a", 0, 0, 0, 0), row("b", 0, 0, 0, 0), row("c", 0, 0, 0, 0),
                                   row("d", 0, 0, 0, 0)};
    std::vector<RowChange> changes = {{ChangeKind::Changed, {3, 0, 0, 0}},
                                      {ChangeKind::Removed, {-2, 0, 0, 0}},
                                      {ChangeKind::Same, {0, 0, 0, 0}},
                                      {ChangeKind::Added, {-2, 0, 0, 0}}};
    sortRows(rows, changes, {SortField::Fixmes, true});
    EXPECT_EQ(describe(rows, changes),
              "b:0:-2000:removed d:0:-2000:added c:0:0000:same a:0:+3000:changed ");
    EXPECT_EQ(rows[3].tag, 3);
}

TEST(Limits, SayWhatWasExceededAndByHowMuch) {
    RunTotals totals;
    totals.fixmes = 12;
    TotalsChange change;
    change.fixmes = 5;
    const struct {
        Limits limits;
        std::vector<std::string> expected;
    } cases[] = {
        {{12, 5}, {}},
        {{11, std::nullopt}, {"the FIXMEs total 12 exceeds --max-fixmes 11 by 1"}},
        {{0, 2},
         {"the FIXMEs total 12 exceeds --max-fixmes 0 by 12",
          "the FIXMEs total grew by 5, which exceeds --max-new-fixmes 2 by 3"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(exceededLimits(c.limits, totals, change), c.expected);
    }
    EXPECT_TRUE(exceededLimits({std::nullopt, 0}, totals, std::nullopt).empty());
}

TEST(ChangeTexts, AreSigned) {
    EXPECT_EQ(changeStatusLine({0, 3, -12, 0, -9}),
              "Change: FIXMEs +3 Code -12 Comments 0 Total -9");
    EXPECT_EQ(fromHex(toHex(kAwkward)), kAwkward);
    EXPECT_EQ(fromHex("A0ff"), std::string("\xa0\xff"));
    EXPECT_FALSE(fromHex("0g"));
}

}  // namespace
}  // namespace lw::cli
