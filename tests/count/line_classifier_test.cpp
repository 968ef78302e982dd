#include "count/line_classifier.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "count/line_source.h"
#include "test_sources.h"

namespace lw {
namespace {

struct LineCase {
    std::string line;
    FileCounts counts;  // fixmes, code, comments, total
    bool openAfter;
};

void PrintTo(const LineCase& c, std::ostream* os) {
    *os << '"' << c.line << '"';
}

using Path = LineClassifier::ScanPath;

class SingleLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(SingleLineTest, FromOutsideABlockComment) {
    const LineCase& c = GetParam();
    for (Path path : test::supportedScanPaths()) {
        LineClassifier classifier(CodePage(), path);
        classifier.classifyLine(c.line);
        EXPECT_EQ(classifier.counts(), c.counts);
        EXPECT_EQ(classifier.inBlockComment(), c.openAfter);
    }
}

// The same line as the whole of a file, classified buffer by buffer.
TEST_P(SingleLineTest, AsAFileThroughTheReader) {
    const LineCase& c = GetParam();
    for (Path path : test::supportedScanPaths()) {
        for (const char* end : {"", "\n", "\r\n"}) {
            test::MemoryFile file(c.line + end);
            FileLineSource source(file);
            EXPECT_EQ(LineClassifier(CodePage(), path).classifyFile(source), c.counts);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SingleLineTest,
    testing::Values(
        LineCase{"", {0, 0, 0, 0}, false}, LineCase{" \t\f \v ", {0, 0, 0, 0}, false},
        LineCase{"{", {0, 0, 0, 0}, false}, LineCase{"}", {0, 0, 0, 0}, false},
        LineCase{"  {  ", {0, 0, 0, 0}, false}, LineCase{"};", {0, 1, 0, 1}, false},
        LineCase{"{}", {0, 1, 0, 1}, false}, LineCase{"{ }", {0, 1, 0, 1}, false},
        LineCase{"{{", {0, 1, 0, 1}, false}, LineCase{"} // end", {0, 1, 1, 1}, false},
        LineCase{"{ /* x */", {0, 1, 1, 1}, false}, LineCase{"\tint x;\t", {0, 1, 0, 1}, false},
        LineCase{"int x;\r", {0, 1, 0, 1}, false}, LineCase{"x = a / b;", {0, 1, 0, 1}, false},
        LineCase{"// x", {0, 0, 1, 1}, false}, LineCase{"x; // y", {0, 1, 1, 1}, false},
        LineCase{"x;// y", {0, 1, 1, 1}, false}, LineCase{"// a /* b", {0, 0, 1, 1}, false},
        LineCase{"/* a */", {0, 0, 1, 1}, false}, LineCase{"/* a */ int b;", {0, 1, 1, 1}, false},
        LineCase{"/* a */ /* b */", {0, 1, 2, 1}, false},
        LineCase{"/* a *//* b */", {0, 0, 2, 1}, false},
        LineCase{"a /* b */ c", {0, 2, 1, 1}, false},
        LineCase{"a /* b */ c /* d */ e", {0, 3, 2, 1}, false},
        LineCase{"a/**/b", {0, 2, 1, 1}, false}, LineCase{"/**/", {0, 0, 1, 1}, false},
        LineCase{"/**", {0, 1, 1, 1}, true}, LineCase{"//*", {0, 0, 1, 1}, false},
        LineCase{"/*/", {0, 1, 1, 1}, true}, LineCase{"*/", {0, 0, 0, 1}, false},
        LineCase{"x */", {0, 0, 0, 1}, false}, LineCase{"x */ y", {0, 1, 0, 1}, false},
        LineCase{"/* a /* b */ c", {0, 1, 1, 1}, false}, LineCase{"a://b", {0, 1, 1, 1}, false},
        LineCase{"s = '//';", {0, 1, 1, 1}, false}, LineCase{"s = \"/*\";", {0, 2, 1, 1}, true},
        LineCase{"// FIXME", {1, 0, 1, 1}, false}, LineCase{"FIXME FIXME", {1, 1, 0, 1}, false},
        LineCase{"int FIXMEs;", {1, 1, 0, 1}, false}, LineCase{"fixme", {0, 1, 0, 1}, false},
        LineCase{"Fixme FIXM E", {0, 1, 0, 1}, false},
        // A backslash at the end has no meaning; NUL and high bytes are ordinary text.
        LineCase{"// a\\", {0, 0, 1, 1}, false},
        LineCase{std::string("a\0b", 3), {0, 1, 0, 1}, false},
        LineCase{"\xE3\x80\x80", {0, 1, 0, 1}, false}));

class OpenBlockLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(OpenBlockLineTest, InsideABlockComment) {
    const LineCase& c = GetParam();
    for (Path path : test::supportedScanPaths()) {
        LineClassifier classifier(CodePage(), path);
        classifier.classifyLine("/*");
        const FileCounts before = classifier.counts();
        classifier.classifyLine(c.line);
        const FileCounts after = classifier.counts();
        const FileCounts delta{after.fixmes - before.fixmes, after.code - before.code,
                               after.comments - before.comments, after.total - before.total};
        EXPECT_EQ(delta, c.counts);
        EXPECT_EQ(classifier.inBlockComment(), c.openAfter);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, OpenBlockLineTest,
    testing::Values(LineCase{"text", {0, 1, 0, 1}, true}, LineCase{" * text", {0, 1, 0, 1}, true},
                    LineCase{"FIXME later", {1, 1, 0, 1}, true},
                    LineCase{"// x", {0, 1, 0, 1}, true}, LineCase{"x; // y", {0, 1, 0, 1}, true},
                    LineCase{"//*", {0, 1, 0, 1}, true}, LineCase{"/* again", {0, 1, 0, 1}, true},
                    LineCase{"{", {0, 0, 0, 0}, true}, LineCase{"", {0, 0, 0, 0}, true},
                    LineCase{"*/", {0, 0, 0, 1}, false}, LineCase{"text */", {0, 0, 0, 1}, false},
                    LineCase{"/* a */", {0, 0, 0, 1}, false},
                    LineCase{"*/ int x;", {0, 1, 0, 1}, false},
                    LineCase{"// */ code", {0, 1, 0, 1}, false},
                    LineCase{"x */ y /* z", {0, 2, 1, 1}, true}));

struct FileCase {
    std::vector<std::string> lines;
    FileCounts counts;
};

TEST(ClassifyFileTest, WholeFiles) {
    const FileCase cases[] = {
        {{}, {0, 0, 0, 0}},
        {{"/*", " * text", " */"}, {0, 1, 1, 3}},
        {{"int a; /* start", "   still comment", "end */ int b;"}, {0, 4, 1, 3}},
        {{"/**", " * FIXME: x", " */", "int f();"}, {1, 3, 1, 4}},
        {{"s = '/*';", "int y;", "x; // y", "*/"}, {0, 4, 1, 4}},
        {{"/* a /* b */", "c */"}, {0, 0, 1, 2}},
        {{"// a /* b", "int c;"}, {0, 1, 1, 2}},
        {{"/*", "", "{", "}", "*/"}, {0, 0, 1, 2}},
        {{"// a\\", "b;"}, {0, 1, 1, 2}},
    };
    for (const FileCase& c : cases) {
        const std::string name = c.lines.empty() ? std::string("(empty)") : c.lines.front();
        for (Path path : test::supportedScanPaths()) {
            test::VectorLineSource source(c.lines);
            LineClassifier classifier(CodePage(), path);
            EXPECT_EQ(classifier.classifyFile(source), c.counts) << name;
        }
        // Through the reader, with lines padded past the width of one vector chunk.
        for (Path path : test::supportedScanPaths()) {
            for (const std::string pad : {"",
                                          "                                                  "
                                          "                    "}) {
                std::string content;
                for (const std::string& line : c.lines) {
                    content += pad + line + pad + "\r\n";
                }
                test::MemoryFile file(content);
                FileLineSource source(file);
                EXPECT_EQ(LineClassifier(CodePage(), path).classifyFile(source), c.counts)
                    << name << ", pad " << pad.size();
            }
        }
    }
}

TEST(ClassifyFileTest, NothingCarriesFromOneFileToTheNext) {
    LineClassifier classifier;
    test::VectorLineSource first({"/* open"});
    EXPECT_EQ(classifier.classifyFile(first), (FileCounts{0, 1, 1, 1}));
    EXPECT_TRUE(classifier.inBlockComment());

    test::VectorLineSource second({"x; // y"});
    EXPECT_EQ(classifier.classifyFile(second), (FileCounts{0, 1, 1, 1}));

    test::VectorLineSource together({"/* open", "x; // y"});
    EXPECT_EQ(LineClassifier().classifyFile(together), (FileCounts{0, 2, 1, 2}));
}

// In CP932 the trail byte of a double-byte character can be '/', '*', '\' or a letter; none of
// them may be taken for the start of a marker or of "FIXME".
TEST(ClassifyLineTest, DoubleByteTrailBytesAreNeverMatched) {
    const CodePage cp932(CodePage::Kind::ShiftJis);
    const LineCase cases[] = {
        // 0x81 0x2F is one character, so "\x81//" holds a single '/' after it plus one more.
        {"\x81/ x", {0, 1, 0, 1}, false},
        {"\x81//", {0, 1, 0, 1}, false},   // the first '/' is a trail byte: no "//"
        {"\x81///", {0, 1, 1, 1}, false},  // code in front of the "//" that follows
        {"\x81*/", {0, 1, 0, 1}, false},   // no "*/": the '*' is a trail byte
        {"a\x81/*", {0, 1, 0, 1}, false},  // no "/*" either
        {"\x81\x5C", {0, 1, 0, 1}, false},
        {"\x83\x46IXME", {0, 1, 0, 1}, false},  // 'F' (0x46) as a trail byte
        {"\x83\x46\x46IXME", {1, 1, 0, 1}, false},
        {"x \x81", {0, 1, 0, 1}, false},  // a lone lead byte at the end is a character
        {"//\x81", {0, 0, 1, 1}, false},
        {"\x81 ", {0, 1, 0, 1}, false},     // the blank is a trail byte and is not trimmed away
        {"\x81\x40", {0, 1, 0, 1}, false},  // a double-byte space is not white space
        {"{\x81", {0, 1, 0, 1}, false},
    };
    for (const LineCase& c : cases) {
        LineClassifier classifier(cp932);
        classifier.classifyLine(c.line);
        EXPECT_EQ(classifier.counts(), c.counts) << testing::PrintToString(c.line);
        EXPECT_EQ(classifier.inBlockComment(), c.openAfter) << testing::PrintToString(c.line);
    }

    // Inside an open block comment a trail byte '*' followed by '/' does not close it.
    LineClassifier classifier(cp932);
    classifier.classifyLine("/*");
    classifier.classifyLine("\x81*/");
    EXPECT_TRUE(classifier.inBlockComment());
    classifier.classifyLine("\x81\x81*/");  // two characters, then a real "*/"
    EXPECT_FALSE(classifier.inBlockComment());
}

// A byte-wise code page sees the same bytes as plain ASCII.
TEST(ClassifyLineTest, ByteWiseCodePageMatchesInsideHighBytes) {
    LineClassifier classifier{CodePage()};
    classifier.classifyLine("\x81//");
    EXPECT_EQ(classifier.counts(), (FileCounts{0, 1, 1, 1}));
}

}  // namespace
}  // namespace lw
