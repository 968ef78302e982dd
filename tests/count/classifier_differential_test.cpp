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
        test::VectorLineSource byLine(lines);
        const FileCounts want =
            LineClassifier(CodePage(), Path::CharacterStepping).classifyFile(byLine);
        for (Path path : {Path::Automatic, Path::Scalar}) {
            for (std::size_t bufferSize : {1, 2, 5, 64, 100, 4096}) {
                test::MemoryFile memory(content, 1 + file % 7);
                FileLineSource source(memory, bufferSize);
                EXPECT_EQ(LineClassifier(CodePage(), path).classifyFile(source), want)
                    << "file " << file << ", buffer " << bufferSize;
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
        // Multi-byte stepping of the same bytes must end cleanly whatever the bytes are.
        test::MemoryFile c(content);
        FileLineSource cp932Source(c, 100);
        const FileCounts counts =
            LineClassifier(CodePage(CodePage::Kind::ShiftJis)).classifyFile(cp932Source);
        EXPECT_LE(counts.fixmes, counts.total);
    }
}

// The bulk path works on 64-byte chunks and carries each line's state from one chunk to the
// next: put every kind of line at every alignment, short and spanning several chunks.
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
                    test::MemoryFile memory(content);
                    FileLineSource source(memory);
                    ASSERT_EQ(LineClassifier(CodePage(), path).classifyFile(source), want)
                        << shape << ", shift " << shift << ", pad " << pad;
                }
            }
        }
    }
}

}  // namespace
}  // namespace lw
