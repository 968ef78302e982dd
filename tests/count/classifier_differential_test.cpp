// The byte search and the character-stepping search must agree on every line; the stepping one is
// the plain reading of the rules, the byte one is what byte-wise code pages run.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "count/line_classifier.h"
#include "count/line_source.h"
#include "test_sources.h"

namespace lw {
namespace {

using Path = LineClassifier::ScanPath;

std::string randomLine(std::mt19937& rng) {
    static const char* const kPieces[] = {"/",   "*",    "{",     "}",    " ",    "\t", "F",  "FI",
                                          "FIX", "FIXM", "FIXME", "IXME", "x",    ";",  "//", "/*",
                                          "*/",  "\\",   "\f",    "\v",   "\x81", "\0"};
    std::uniform_int_distribution<int> length(0, 12);
    std::uniform_int_distribution<std::size_t> piece(0, std::size(kPieces) - 1);
    std::string line;
    for (int n = length(rng); n > 0; --n) {
        const char* p = kPieces[piece(rng)];
        if (*p == '\0') {
            line.push_back('\0');
        } else {
            line += p;
        }
    }
    return line;
}

TEST(ClassifierDifferentialTest, BytePathAgreesWithSteppingOnRandomLines) {
    std::mt19937 rng(20240611);
    for (int file = 0; file < 400; ++file) {
        LineClassifier fast(CodePage(), Path::Automatic);
        LineClassifier stepping(CodePage(), Path::CharacterStepping);
        for (int i = 0; i < 50; ++i) {
            const std::string line = randomLine(rng);
            fast.classifyLine(line);
            stepping.classifyLine(line);
            ASSERT_EQ(fast.counts(), stepping.counts()) << testing::PrintToString(line);
            ASSERT_EQ(fast.inBlockComment(), stepping.inBlockComment())
                << testing::PrintToString(line);
        }
    }
}

// Classifies the lines one by one, each whole, starting inside a block comment or not.
FileCounts wholeLines(const std::vector<std::string>& lines, const CodePage& codePage,
                      bool inBlockComment) {
    LineClassifier classifier(codePage, Path::CharacterStepping);
    if (inBlockComment) {
        classifier.classifyLine("/*");
    }
    for (const std::string& line : lines) {
        classifier.classifyLine(line);
    }
    return classifier.counts();
}

// A line in pieces must count as the same line whole, wherever the pieces are cut: every line is
// cut at every offset (and once more behind it), on each way of searching, in a byte-wise and in
// a double-byte code page, where a cut can fall between the two bytes of a character.
TEST(ClassifierDifferentialTest, LinesCutAtEveryOffsetCountAsWhole) {
    std::mt19937 rng(4242);
    std::uniform_int_distribution<int> extra(0, 3);
    const CodePage cp932(CodePage::Kind::ShiftJis);
    for (int n = 0; n < 600; ++n) {
        std::string line = randomLine(rng);
        // Longer lines, and lead bytes followed by what a byte search would take for markers.
        for (int k = extra(rng); k > 0; --k) {
            line += k % 2 ? "\x82/" : randomLine(rng);
        }
        for (const CodePage& codePage : {CodePage(), cp932}) {
            for (bool open : {false, true}) {
                const FileCounts want = wholeLines({line, "x"}, codePage, open);
                for (std::size_t cut = 0; cut <= line.size(); ++cut) {
                    const std::size_t second = std::min(line.size(), cut + 1 + cut % 3);
                    for (Path path : {Path::Automatic, Path::CharacterStepping}) {
                        LineClassifier classifier(codePage, path);
                        if (open) {
                            classifier.classifyLine("/*");
                        }
                        classifier.classifyPiece(std::string_view(line).substr(0, cut), false);
                        classifier.classifyPiece(std::string_view(line).substr(cut, second - cut),
                                                 false);
                        classifier.classifyPiece(std::string_view(line).substr(second), true);
                        classifier.classifyPiece("x", true);
                        ASSERT_EQ(classifier.counts(), want)
                            << testing::PrintToString(line) << " cut at " << cut << ", " << second
                            << (open ? " in a block comment" : "");
                    }
                }
            }
        }
    }
}

// Whole files through the reader, in tiny buffers and reads, against the lines one by one.
TEST(ClassifierDifferentialTest, FilesThroughTheReaderAgreeWithTheirLines) {
    std::mt19937 rng(77);
    const char* const kEnds[] = {"\n", "\r\n", "\r"};
    std::uniform_int_distribution<int> end(0, 2);
    for (int file = 0; file < 300; ++file) {
        std::vector<std::string> lines;
        std::string content;
        for (int i = 0, n = file % 40; i < n; ++i) {
            lines.push_back(randomLine(rng));
            content += lines.back();
            if (i + 1 < n || file % 2 == 0) {
                content += kEnds[end(rng)];
            }
        }
        for (const CodePage& codePage : {CodePage(), CodePage(CodePage::Kind::ShiftJis)}) {
            const FileCounts want = wholeLines(lines, codePage, false);
            for (Path path : {Path::Automatic, Path::Scalar, Path::CharacterStepping}) {
                for (std::size_t bufferSize : {3, 5, 64, 100, 4096}) {
                    test::MemoryFile memory(content, 1 + file % 7);
                    FileLineSource source(memory, bufferSize);
                    EXPECT_EQ(LineClassifier(codePage, path).classifyFile(source), want)
                        << "file " << file << ", buffer " << bufferSize;
                }
            }
        }
    }
}

// Arbitrary bytes: binary data, NULs, lone CRs, invalid UTF-8, runs of 0xFF.
TEST(ClassifierDifferentialTest, RandomBytesClassifyAlikeOnEveryPath) {
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> size(0, 3000);
    for (int file = 0; file < 60; ++file) {
        std::string content;
        for (int n = size(rng); n > 0; --n) {
            content.push_back(static_cast<char>(file % 3 == 0 && n % 50 < 20 ? 0xFF : byte(rng)));
        }
        test::MemoryFile b(content);
        FileLineSource stepSource(b, 100);
        const FileCounts want =
            LineClassifier(CodePage(), Path::CharacterStepping).classifyFile(stepSource);
        for (Path path : {Path::Automatic, Path::Scalar}) {
            test::MemoryFile a(content);
            FileLineSource byteSource(a, 100);
            EXPECT_EQ(LineClassifier(CodePage(), path).classifyFile(byteSource), want);
        }
        // The same bytes as double-byte text, through buffers that split characters, against
        // the same text read whole.
        const CodePage cp932(CodePage::Kind::ShiftJis);
        test::MemoryFile whole(content);
        FileLineSource wholeSource(whole, content.size() + 3);
        const FileCounts wantCp932 = LineClassifier(cp932).classifyFile(wholeSource);
        test::MemoryFile c(content);
        FileLineSource cp932Source(c, 7);
        EXPECT_EQ(LineClassifier(cp932).classifyFile(cp932Source), wantCp932);
    }
}

// The bulk path works on 64-byte chunks and carries each line's state from one chunk to the
// next, and a line from one buffer to the next: put every kind of line at every alignment to
// both, short and spanning several chunks.
TEST(ClassifierDifferentialTest, LinesAtEveryChunkAlignment) {
    const char* const kShapes[] = {"{",  "}",  "{}",  "} }",   "x",     "// c",
                                   "/*", "*/", "a*/", "FIXME", " F I ", "/* FIXME */ b"};
    for (const char* shape : kShapes) {
        for (std::size_t shift = 0; shift < 64; ++shift) {
            for (std::size_t pad : {0, 1, 62, 63, 64, 65, 130}) {
                const std::vector<std::string> lines = {
                    std::string(shift, 'y'), std::string(pad, ' ') + shape + std::string(pad, '\t'),
                    "/*", std::string(pad, ' ') + shape, "z"};
                std::string content;
                for (const std::string& line : lines) {
                    content += line + (pad % 2 ? "\r\n" : "\n");
                }
                test::VectorLineSource byLine(lines);
                const FileCounts want =
                    LineClassifier(CodePage(), Path::CharacterStepping).classifyFile(byLine);
                for (Path path : {Path::Automatic, Path::Scalar}) {
                    for (std::size_t buffer :
                         {std::size_t{64}, FileLineSource::kDefaultBufferSize}) {
                        if (path == Path::Scalar && buffer == 64) {
                            continue;  // the pieces of a line go the same way on both paths
                        }
                        test::MemoryFile memory(content);
                        FileLineSource source(memory, buffer);
                        ASSERT_EQ(LineClassifier(CodePage(), path).classifyFile(source), want)
                            << shape << ", shift " << shift << ", pad " << pad << ", buffer "
                            << buffer;
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace lw
