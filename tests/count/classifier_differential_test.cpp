// The classifier against the plain reading of its rules, on every instruction set the processor
// has, fed whole lines, lines in pieces cut anywhere, and whole files through the reader.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "count/line_classifier.h"
#include "count/line_source.h"
#include "reference_classifier.h"
#include "test_sources.h"

namespace lw {
namespace {

using Path = LineClassifier::ScanPath;

const char* name(Path path) {
    return path == Path::Scalar ? "scalar"
           : path == Path::Sse2 ? "SSE2"
           : path == Path::Avx2 ? "AVX2"
                                : "AVX-512";
}

// Lines of the pieces that matter to the rules, `scale` times as long as most lines: with 30
// they run over several 64-byte chunks.
std::string randomLine(std::mt19937& rng, int scale = 1) {
    static const char* const kPieces[] = {"/",   "*",    "{",     "}",    " ",    "\t", "F",  "FI",
                                          "FIX", "FIXM", "FIXME", "IXME", "x",    ";",  "//", "/*",
                                          "*/",  "\\",   "\f",    "\v",   "\x81", "\0", "\r", "\n"};
    std::uniform_int_distribution<int> length(0, 12 * scale);
    std::uniform_int_distribution<std::size_t> piece(0, std::size(kPieces) - 1);
    std::string line;
    for (int n = length(rng); n > 0; --n) {
        const char* p = kPieces[piece(rng)];
        line.push_back(*p);
        if (*p != '\0') {
            line += p + 1;
        }
    }
    return line;
}

const CodePage kCodePages[] = {CodePage(), CodePage(CodePage::Kind::ShiftJis),
                               CodePage(CodePage::Kind::Utf8)};

// Line by line, each line whole or cut at random points, the counts and the block-comment state
// after every line.
TEST(ClassifierDifferentialTest, LinesWholeAndInPiecesAgreeWithTheRules) {
    std::mt19937 rng(20240611);
    for (const CodePage& codePage : kCodePages) {
        for (Path path : test::supportedScanPaths()) {
            for (int file = 0; file < 300; ++file) {
                test::ReferenceClassifier want(codePage);
                LineClassifier whole(codePage, path);
                LineClassifier pieces(codePage, path);
                for (int i = 0; i < 30; ++i) {
                    const std::string line = randomLine(rng, file % 4 == 0 ? 30 : 1);
                    want.classifyLine(line);
                    whole.classifyLine(line);
                    std::uniform_int_distribution<std::size_t> cut(0, line.size());
                    std::size_t from = 0;
                    for (int k = file % 5; k > 0; --k) {
                        const std::size_t to = std::max(from, cut(rng));
                        pieces.classifyPiece(std::string_view(line).substr(from, to - from), false);
                        from = to;
                    }
                    pieces.classifyPiece(std::string_view(line).substr(from), true);
                    ASSERT_EQ(whole.counts(), want.counts())
                        << name(path) << " " << testing::PrintToString(line);
                    ASSERT_EQ(whole.inBlockComment(), want.inBlockComment())
                        << name(path) << " " << testing::PrintToString(line);
                    ASSERT_EQ(pieces.counts(), want.counts())
                        << name(path) << " in pieces " << testing::PrintToString(line);
                }
            }
        }
    }
}

// Whole files through the reader, in buffers and reads of many sizes, so that lines, CR LF pairs
// and double-byte characters straddle buffer ends; and the same lines handed over one by one.
TEST(ClassifierDifferentialTest, FilesThroughTheReaderAgreeWithTheRules) {
    std::mt19937 rng(77);
    const char* const kEnds[] = {"\n", "\r\n", "\r"};
    std::uniform_int_distribution<int> end(0, 2);
    for (int file = 0; file < 200; ++file) {
        std::vector<std::string> lines;
        std::string content;
        for (int i = 0, n = file % 40; i < n; ++i) {
            std::string line = randomLine(rng, file % 3 == 0 ? 20 : 1);
            std::erase_if(line, [](char c) { return c == '\r' || c == '\n'; });
            lines.push_back(line);
            content += line;
            if (i + 1 < n || file % 2 == 0) {
                content += kEnds[end(rng)];
            }
        }
        for (const CodePage& codePage : kCodePages) {
            test::ReferenceClassifier want(codePage);
            want.classifyText(content);
            for (Path path : test::supportedScanPaths()) {
                for (std::size_t bufferSize : {3, 5, 64, 100, 4096}) {
                    test::MemoryFile memory(content, 1 + file % 7);
                    FileLineSource source(memory, bufferSize);
                    EXPECT_EQ(LineClassifier(codePage, path).classifyFile(source), want.counts())
                        << name(path) << ", file " << file << ", buffer " << bufferSize;
                }
                test::VectorLineSource byLine(lines);
                EXPECT_EQ(LineClassifier(codePage, path).classifyFile(byLine), want.counts())
                    << name(path) << ", file " << file << " line by line";
            }
        }
    }
}

// Arbitrary bytes: binary data, NULs, lone CRs, invalid UTF-8, runs of 0xFF and of lead bytes.
TEST(ClassifierDifferentialTest, RandomBytesAgreeWithTheRules) {
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> size(0, 3000);
    for (int file = 0; file < 60; ++file) {
        std::string content;
        for (int n = size(rng); n > 0; --n) {
            content.push_back(static_cast<char>(file % 3 == 0 && n % 50 < 20 ? 0xFF : byte(rng)));
        }
        for (const CodePage& codePage : kCodePages) {
            test::ReferenceClassifier want(codePage);
            want.classifyText(content);
            for (Path path : test::supportedScanPaths()) {
                test::MemoryFile memory(content, 1 + file % 97);
                FileLineSource source(memory, 100);
                EXPECT_EQ(LineClassifier(codePage, path).classifyFile(source), want.counts())
                    << name(path) << ", file " << file;
            }
        }
    }
}

// The scan works on 64-byte chunks and carries each line's state from one chunk to the next:
// every kind of line at every alignment to them, short and spanning several chunks.
TEST(ClassifierDifferentialTest, LinesAtEveryChunkAlignment) {
    // Among them: a "FIXME" after a false start and a partial one, whose letters the scan
    // looks for only after an "FI"; text before and after a block comment, so that at some
    // chunk's end the line has text but none after its last marker.
    const char* const kShapes[] = {
        "{",   "}",     "{}",    "} }",     "x",      "// c",       "/*",          "*/",
        "a*/", "FIXME", " F I ", "/* F */", "\x81/*", "\x81\x81*/", "FFIXME FIXM", "x /**/ y"};
    const CodePage cp932(CodePage::Kind::ShiftJis);
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
                for (const CodePage& codePage : {CodePage(), cp932}) {
                    test::ReferenceClassifier want(codePage);
                    want.classifyText(content);
                    for (Path path : test::supportedScanPaths()) {
                        test::MemoryFile memory(content);
                        FileLineSource source(memory);
                        ASSERT_EQ(LineClassifier(codePage, path).classifyFile(source),
                                  want.counts())
                            << name(path) << ", " << testing::PrintToString(shape) << ", shift "
                            << shift << ", pad " << pad;
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace lw
