#include "count/path_text.h"

#include <gtest/gtest.h>

#include <ostream>

#include "temp_tree.h"

namespace lw {
namespace {

using testing_support::native;

struct AbsoluteCase {
    const char* path;
    const char* workingDirectory;
    const char* expected;
};

// Test names then show the case, not the bytes of its pointers.
void PrintTo(const AbsoluteCase& c, std::ostream* os) {
    *os << '"' << c.path << "\" against \"" << c.workingDirectory << '"';
}

class LexicallyAbsoluteTest : public ::testing::TestWithParam<AbsoluteCase> {};

TEST_P(LexicallyAbsoluteTest, JoinsWithoutTouchingTheDisk) {
    const AbsoluteCase& c = GetParam();
    EXPECT_EQ(lexicallyAbsolute(native(c.path), native(c.workingDirectory)), native(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, LexicallyAbsoluteTest,
    ::testing::Values(AbsoluteCase{"src", "/home/u", "/home/u/src"},
                      AbsoluteCase{"./src/./lib", "/home/u", "/home/u/src/lib"},
                      AbsoluteCase{"src//lib/", "/home/u/", "/home/u/src/lib"},
                      AbsoluteCase{"", "/home/u", "/home/u"}, AbsoluteCase{".", "/", "/"},
                      AbsoluteCase{"/abs//x/", "/home/u", "/abs/x"}, AbsoluteCase{"/", "/w", "/"},
                      AbsoluteCase{"//", "/w", "/"},
                      AbsoluteCase{"../x", "/home/u", "/home/u/../x"},
                      AbsoluteCase{"/abs/.x/..", "/w", "/abs/.x/.."},
                      AbsoluteCase{"/abs/x/.", "/w", "/abs/x"},
                      AbsoluteCase{"/abs/./x", "/w", "/abs/x"}));

TEST(SearchDirectory, IsEverythingBeforeTheLastSeparator) {
    EXPECT_EQ(searchDirectory(native("/src/*.c")), native("/src"));
    EXPECT_EQ(searchDirectory(native("/*.c")), native("/"));  // the empty entry: the root
    EXPECT_EQ(searchDirectory(native("src/lib/*.h")), native("src/lib"));
    EXPECT_EQ(searchDirectory("*.c"), ".");
    EXPECT_EQ(joinPath(native("/"), "x.c"), native("/x.c"));
    EXPECT_EQ(joinPath(native("/src"), "x.c"), native("/src/x.c"));
}

struct RelativeCase {
    const char* fullPath;
    const char* basePath;
    const char* expected;
};

void PrintTo(const RelativeCase& c, std::ostream* os) {
    *os << '"' << c.fullPath << "\" below \"" << c.basePath << '"';
}

class RelativePathTest : public ::testing::TestWithParam<RelativeCase> {};

TEST_P(RelativePathTest, StripsTheBaseOnlyWhenThePathLiesBelowIt) {
    const RelativeCase& c = GetParam();
    EXPECT_EQ(relativePath(native(c.fullPath), native(c.basePath)), native(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, RelativePathTest,
    ::testing::Values(RelativeCase{"/src/main.c", "/src/", "main.c"},
                      RelativeCase{"/src/lib/util.h", "/src/", "lib/util.h"},
                      // Unrelated directories keep their whole path rather than a cut-off tail.
                      RelativeCase{"/other/x.c", "/src/", "/other/x.c"},
                      RelativeCase{"/lib/a.c", "/projects/engine/", "/lib/a.c"},
                      RelativeCase{"/src/main.cpp", "/src/lib/", "/src/main.cpp"},
                      RelativeCase{"/srcold/a.c", "/src/", "/srcold/a.c"},
                      RelativeCase{"/x.c", "/", "x.c"}));

TEST(IsFullPath, TellsTheSystemsFullPathsFromPathsBelowTheBase) {
    struct Case {
        const char* path;
        bool posix;
        bool windows;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"/src/a.c", true, true},
             {"//server/share/a.c", true, true},
             {"C:/src/a.c", false, true},
             {"z:/a.c", false, true},
             {"lib/util.h", false, false},
             {"a.c", false, false},
             {"1:/a.c", false, false},
             {"", false, false},
         }) {
#if defined(_WIN32)
        const bool expected = c.windows;
#else
        const bool expected = c.posix;
#endif
        EXPECT_EQ(isFullPath(native(c.path)), expected) << c.path;
    }
}

}  // namespace
}  // namespace lw
