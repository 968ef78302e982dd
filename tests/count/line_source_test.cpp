#include "count/line_source.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "test_sources.h"

namespace lw {
namespace {

std::vector<std::string> readAll(FileLineSource& source) {
    std::vector<std::string> lines;
    std::string_view line;
    while (source.readLine(line)) {
        lines.emplace_back(line);
    }
    return lines;
}

// Splits a readLines stream into lines the way its readers do: every CR and LF ends a line.
std::vector<std::string> readAllBlocks(FileLineSource& source) {
    std::vector<std::string> lines;
    std::string_view block;
    while (source.readLines(block)) {
        std::size_t begin = 0;
        while (begin < block.size()) {
            std::size_t end = block.find_first_of("\r\n", begin);
            if (end == std::string_view::npos) {
                end = block.size();
            }
            lines.emplace_back(block.substr(begin, end - begin));
            begin = end + 1;
        }
    }
    return lines;
}

struct ReaderCase {
    const char* name;
    std::string content;
    std::vector<std::string> lines;
};

const std::string kLong(5000, 'x');

std::vector<ReaderCase> readerCases() {
    return {
        {"empty file", "", {}},
        {"LF", "a\nb\n", {"a", "b"}},
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"lone CR", "a\rb\r", {"a", "b"}},
        {"mixed", "a\r\n\r\nb\rc\n\nd", {"a", "", "b", "c", "", "d"}},
        {"CR CR LF", "a\r\r\nb", {"a", "", "b"}},
        {"last line without terminator", "a\nlast", {"a", "last"}},
        {"only a terminator", "\n", {""}},
        {"byte-order mark at the start",
         "\xEF\xBB\xBF"
         "a\n",
         {"a"}},
        {"byte-order mark alone", "\xEF\xBB\xBF", {}},
        {"byte-order mark later stays",
         "a\n\xEF\xBB\xBF"
         "b",
         {"a",
          "\xEF\xBB\xBF"
          "b"}},
        {"part of a byte-order mark stays",
         "\xEF\xBB"
         "a",
         {"\xEF\xBB"
          "a"}},
        {"NUL bytes are ordinary",
         std::string("a\0b\n\0", 5),
         {std::string("a\0b", 3), std::string("\0", 1)}},
        {"invalid sequences are ordinary", "\xFF\xFE\x80\n\xC3", {"\xFF\xFE\x80", "\xC3"}},
        {"line far longer than the buffer", "a\n" + kLong + "\r\nb", {"a", kLong, "b"}},
    };
}

TEST(FileLineSourceTest, SplitsLinesAtAnyBufferSizeAndReadSize) {
    for (const ReaderCase& c : readerCases()) {
        for (std::size_t bufferSize : {1, 2, 3, 4, 7, 64, 256 * 1024}) {
            for (std::size_t chunk :
                 {std::size_t{1}, std::size_t{3}, static_cast<std::size_t>(-1)}) {
                test::MemoryFile file(c.content, chunk);
                FileLineSource source(file, bufferSize);
                EXPECT_EQ(readAll(source), c.lines)
                    << c.name << ", buffer " << bufferSize << ", chunk " << chunk;
                EXPECT_FALSE(source.failed());
            }
        }
    }
}

// CR LF split across two reads must stay one line end.
TEST(FileLineSourceTest, CrAtTheEndOfABufferThenLfAtTheStartOfTheNext) {
    for (std::size_t bufferSize : {2, 3, 4, 5}) {
        test::MemoryFile file("abc\r\ndef\r\n\r\ng", 4);
        FileLineSource source(file, bufferSize);
        EXPECT_EQ(readAll(source), (std::vector<std::string>{"abc", "def", "", "g"}))
            << "buffer " << bufferSize;
    }
}

// The block reader may show a CR LF as a line end plus an empty line, nothing else may differ.
TEST(FileLineSourceTest, BlocksHoldTheSameNonEmptyLines) {
    for (const ReaderCase& c : readerCases()) {
        for (std::size_t bufferSize : {1, 3, 64, 256 * 1024}) {
            for (std::size_t chunk : {std::size_t{1}, static_cast<std::size_t>(-1)}) {
                test::MemoryFile file(c.content, chunk);
                FileLineSource source(file, bufferSize);
                std::vector<std::string> got = readAllBlocks(source);
                std::vector<std::string> want = c.lines;
                std::erase(got, "");
                std::erase(want, "");
                EXPECT_EQ(got, want) << c.name << ", buffer " << bufferSize;
            }
        }
    }
}

TEST(FileLineSourceTest, ReadErrorGivesTheFileUp) {
    for (bool blocks : {false, true}) {
        test::MemoryFile file("line one\nline two\nline three\n", 4, 12);
        FileLineSource source(file, 8);
        std::size_t lines = 0;
        std::string_view text;
        while (blocks ? source.readLines(text) : source.readLine(text)) {
            ++lines;
        }
        EXPECT_TRUE(source.failed());
        EXPECT_LE(lines, 1u);
        // Once failed it stays failed and reads nothing more.
        const int reads = file.reads();
        EXPECT_FALSE(source.readLine(text));
        EXPECT_EQ(file.reads(), reads);
    }
}

TEST(FileLineSourceTest, ReadErrorOnTheFirstRead) {
    test::MemoryFile file("abc", 10, 0);
    FileLineSource source(file);
    std::string_view line;
    EXPECT_FALSE(source.readLine(line));
    EXPECT_TRUE(source.failed());
}

TEST(FileLineSourceTest, ReusesOneBufferForManyLines) {
    std::string content;
    for (int i = 0; i < 10000; ++i) {
        content += "line\n";
    }
    test::MemoryFile file(content);
    FileLineSource source(file, 4096);
    EXPECT_EQ(readAll(source).size(), 10000u);
    // One read per buffer's worth, plus the one that sees the end.
    EXPECT_LE(file.reads(), static_cast<int>(content.size() / 4096) + 3);
}

// No limit on a line: a 100 MB file that is one line, in reads of 1 MB.
TEST(FileLineSourceTest, HundredMegabyteLine) {
    std::string content(100u << 20, 'x');
    content[12345] = 'F';  // "FIXME" late in the line, far behind the first buffer
    content.replace(content.size() - 10, 5, "FIXME");
    {
        test::MemoryFile file(content, 1u << 20);
        FileLineSource source(file);
        std::string_view text;
        ASSERT_TRUE(source.readLine(text));
        EXPECT_EQ(text.size(), content.size());
        EXPECT_FALSE(source.readLine(text));
    }
    test::MemoryFile file(content, 1u << 20);
    FileLineSource source(file);
    EXPECT_EQ(LineClassifier(CodePage()).classifyFile(source), (FileCounts{1, 1, 0, 1}));
}

class PosixFile : public ReadableFile {
  public:
    explicit PosixFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY)) {}
    ~PosixFile() override {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    ssize_t read(char* buffer, std::size_t size) override { return ::read(fd_, buffer, size); }
    bool isOpen() const { return fd_ >= 0; }

  private:
    int fd_;
};

TEST(FileLineSourceTest, ClassifiesARealFile) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("lw_line_source_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto path = dir / "a.c";
    {
        std::ofstream out(path, std::ios::binary);
        out << "\xEF\xBB\xBF/* FIXME */\r\nint a; // x\r\n{\r\n\r\n}\rint b;";
    }
    for (LineClassifier::ScanPath scan :
         {LineClassifier::ScanPath::Automatic, LineClassifier::ScanPath::CharacterStepping}) {
        PosixFile file(path.string());
        ASSERT_TRUE(file.isOpen());
        FileLineSource source(file, 5);
        EXPECT_EQ(LineClassifier(CodePage(), scan).classifyFile(source), (FileCounts{1, 2, 2, 3}));
        EXPECT_FALSE(source.failed());
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace lw
