#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "cli/by_directory.h"
#include "tests/cli/test_rows.h"

namespace lw::cli {
namespace {

std::string describe(const std::vector<DirectoryRow>& rows,
                     const std::vector<DirectoryChange>& changes = {}) {
    std::string out;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        out += "[" + rows[i].directory + "]";
        for (const std::int32_t count : rows[i].counts) {
            out += " " + std::to_string(count);
        }
        if (!changes.empty()) {
            out += " " + std::string(changeKindName(changes[i].kind));
            for (const std::int32_t count : changes[i].counts) {
                out += " " + signedText(count);
            }
        }
        out += "; ";
    }
    return out;
}

TEST(ByDirectory, TheDirectoryOfAPathAndItsFirstComponents) {
    const struct {
        std::string path;
        unsigned depth;
        std::string directory;
    } cases[] = {
        {"main.c", 0, ""},
        {"main.c", 2, ""},
        {"a/b/c.c", 0, "a/b"},
        {"a/b/c.c", 1, "a"},
        {"a/b/c.c", 2, "a/b"},
        {"a/b/c.c", 3, "a/b"},
        {"a/b.c", 1, "a"},
        {"/x.h", 0, "/"},
        {"/usr/include/x.h", 0, "/usr/include"},
        {"/usr/include/x.h", 1, "/usr"},
        {"/usr/include/x.h", 5, "/usr/include"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(directoryOf(c.path, c.depth), c.directory) << c.path << " at " << c.depth;
    }
}

TEST(ByDirectory, SumsAreTheSumsOfTheFileRows) {
    const std::vector<ResultRow> rows = {
        row("a.c", 1, 2, 3, 4), row("lib/x.c", 0, 5, 0, 5), row("lib/deep/y.c", 2, 1, 1, 2),
        row("b.c", 0, 0, 0, 0), row("lib/z.h", 1, 1, 1, 1), row("lib/x.c", 0, 5, 0, 5)};
    EXPECT_EQ(describe(sumByDirectory(rows, 0)),
              "[] 2 1 2 3 4; [lib] 3 1 11 1 11; [lib/deep] 1 2 1 1 2; ");
    EXPECT_EQ(describe(sumByDirectory(rows, 1)), "[] 2 1 2 3 4; [lib] 4 3 12 2 13; ");
    // The counts saturate as the run's totals do.
    EXPECT_EQ(describe(sumByDirectory({row("a", 0, 2147483647, 0, 0), row("b", 0, 5, 0, 0)}, 0)),
              "[] 2 0 2147483647 0 0; ");
}

TEST(ByDirectory, ComparedWithTheEarlierRunsDirectories) {
    Baseline old;
    old.addRow("lib/x.c", {0, 5, 0, 5});
    old.addRow("gone/g.c", {1, 1, 1, 1});
    old.addRow("a.c", {1, 2, 3, 4});
    old.addRow("same/s.c", {0, 1, 0, 1});
    const std::vector<ResultRow> rows = {row("a.c", 1, 2, 3, 4), row("lib/x.c", 1, 5, 0, 5),
                                         row("lib/new.c", 0, 0, 0, 0), row("new/n.c", 0, 1, 0, 1),
                                         row("same/s.c", 0, 1, 0, 1)};
    for (const bool onlyChanged : {false, true}) {
        std::vector<DirectoryRow> directories = sumByDirectory(rows, 0);
        std::vector<DirectoryChange> changes;
        compareDirectories(directories, sumByDirectory(old, 0), onlyChanged, changes);
        // A directory with one more file of no counts has changed; a removed one has no counts.
        EXPECT_EQ(describe(directories, changes),
                  std::string(onlyChanged ? "" : "[] 1 1 2 3 4 same 0 0 0 0 0; ") +
                      "[lib] 2 1 5 0 5 changed +1 +1 0 0 0; [new] 1 0 1 0 1 added +1 0 +1 0 +1; " +
                      (onlyChanged ? "" : "[same] 1 0 1 0 1 same 0 0 0 0 0; ") +
                      "[gone] 0 0 0 0 0 removed -1 -1 -1 -1 -1; ")
            << onlyChanged;
        EXPECT_EQ(directories.back().removed, true);
    }
}

TEST(ByDirectory, SortsByAnyColumnStably) {
    std::vector<DirectoryRow> rows = {{"b", {2, 0, 9, 0, 0}, false},
                                      {"a", {1, 0, 9, 0, 0}, false},
                                      {"c", {3, 0, 1, 0, 0}, false}};
    std::vector<DirectoryChange> changes = {{ChangeKind::Changed, {0, 0, -4, 0, 0}},
                                            {ChangeKind::Same, {}},
                                            {ChangeKind::Added, {3, 0, 1, 0, 0}}};
    sortDirectories(rows, changes, {SortField::Code, false});
    EXPECT_EQ(describe(rows), "[c] 3 0 1 0 0; [b] 2 0 9 0 0; [a] 1 0 9 0 0; ");
    sortDirectories(rows, changes, {SortField::Files, true});
    EXPECT_EQ(describe(rows), "[b] 2 0 9 0 0; [a] 1 0 9 0 0; [c] 3 0 1 0 0; ");
    EXPECT_EQ(changes.front().kind, ChangeKind::Changed);
    sortDirectories(rows, changes, {SortField::Path, false});
    EXPECT_EQ(describe(rows), "[a] 1 0 9 0 0; [b] 2 0 9 0 0; [c] 3 0 1 0 0; ");
}

}  // namespace
}  // namespace lw::cli
