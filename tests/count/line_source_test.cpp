#include "count/line_source.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "test_sources.h"

namespace lw {
namespace {

// The lines, put together from their pieces; no piece is larger than the buffer.
std::vector<std::string> readAll(FileLineSource& source, std::size_t bufferSize) {
    std::vector<std::string> lines;
    std::string line;
    LinePiece piece;
    bool ended = true;
    while (source.readLine(piece)) {
        EXPECT_LE(piece.text.size(), std::max(bufferSize, FileLineSource::kMinimumBufferSize));
        line += piece.text;
        ended = piece.endsLine;
        if (ended) {
            lines.push_back(std::move(line));
            line.clear();
        }
    }
    EXPECT_TRUE(ended) << "the last line never ended";
    return lines;
}

std::string readAllText(FileLineSource& source) {
    std::string text;
    std::string_view stretch;
    while (source.readText(stretch)) {
        text += stretch;
    }
    return text;
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
        for (std::size_t bufferSize : {1, 3, 4, 7, 64, 256 * 1024}) {
            for (std::size_t chunk :
                 {std::size_t{1}, std::size_t{3}, static_cast<std::size_t>(-1)}) {
                test::MemoryFile file(c.content, chunk);
                FileLineSource source(file, bufferSize);
                EXPECT_EQ(readAll(source, bufferSize), c.lines)
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
        EXPECT_EQ(readAll(source, bufferSize), (std::vector<std::string>{"abc", "def", "", "g"}))
            << "buffer " << bufferSize;
    }
}

// The raw text is the file without its byte-order mark, whatever the sizes of buffer and reads.
TEST(FileLineSourceTest, TextIsTheFileWithoutItsMark) {
    for (const ReaderCase& c : readerCases()) {
        const std::string want =
            c.content.starts_with("\xEF\xBB\xBF") ? c.content.substr(3) : c.content;
        for (std::size_t bufferSize : {1, 3, 64, 256 * 1024}) {
            for (std::size_t chunk : {std::size_t{1}, static_cast<std::size_t>(-1)}) {
                test::MemoryFile file(c.content, chunk);
                FileLineSource source(file, bufferSize);
                EXPECT_EQ(readAllText(source), want) << c.name << ", buffer " << bufferSize;
            }
        }
    }
}

TEST(FileLineSourceTest, ReadErrorGivesTheFileUp) {
    for (bool text : {false, true}) {
        test::MemoryFile file("line one\nline two\nline three\n", 4, 12);
        FileLineSource source(file, 8);
        std::string got;
        std::string_view stretch;
        LinePiece piece;
        while (text ? source.readText(stretch) : source.readLine(piece)) {
            got +=
                text ? std::string(stretch) : std::string(piece.text) + (piece.endsLine ? "|" : "");
        }
        EXPECT_TRUE(source.failed());
        EXPECT_EQ(got, text ? "line one\nlin" : "line one|lin");
        // Once failed it stays failed and reads nothing more.
        const int reads = file.reads();
        EXPECT_FALSE(source.readLine(piece));
        EXPECT_FALSE(source.readText(stretch));
        EXPECT_EQ(file.reads(), reads);
    }
}

TEST(FileLineSourceTest, ReadErrorOnTheFirstRead) {
    test::MemoryFile file("abc", 10, 0);
    FileLineSource source(file);
    LinePiece piece;
    EXPECT_FALSE(source.readLine(piece));
    EXPECT_TRUE(source.failed());
}

TEST(FileLineSourceTest, ReusesOneBufferForManyLines) {
    std::string content;
    for (int i = 0; i < 10000; ++i) {
        content += "line\n";
    }
    test::MemoryFile file(content);
    FileLineSource source(file, 4096);
    EXPECT_EQ(readAll(source, 4096).size(), 10000u);
    // One read per buffer's worth, plus the one that sees the end.
    EXPECT_LE(file.reads(), static_cast<int>(content.size() / 4096) + 3);
}

// A file of `size` bytes that are all `fill` but for a few placed ones, made as it is read, so
// that a line far larger than any buffer costs the test no memory either.
class GeneratedFile : public ReadableFile {
  public:
    GeneratedFile(std::size_t size, char fill,
                  std::vector<std::pair<std::size_t, std::string>> placed)
        : size_(size), fill_(fill), placed_(std::move(placed)) {}
    ssize_t read(char* buffer, std::size_t size) override {
        const std::size_t n = std::min(size, size_ - pos_);
        std::memset(buffer, fill_, n);
        for (const auto& [at, text] : placed_) {
            for (std::size_t i = 0; i < text.size(); ++i) {
                if (at + i >= pos_ && at + i < pos_ + n) {
                    buffer[at + i - pos_] = text[i];
                }
            }
        }
        pos_ += n;
        return static_cast<ssize_t>(n);
    }

  private:
    std::size_t size_;
    char fill_;
    std::vector<std::pair<std::size_t, std::string>> placed_;
    std::size_t pos_ = 0;
};

// No limit on a line and none on memory: a file of 256 MB that is one line comes in pieces of the
// buffer's size, and classifies as the line would whole. Markers and "FIXME" stand across the
// borders of the buffers.
TEST(FileLineSourceTest, HugeLineInPiecesOfTheBuffer) {
    constexpr std::size_t kSize = std::size_t{256} << 20;
    constexpr std::size_t kBuffer = FileLineSource::kDefaultBufferSize;
    const std::vector<std::pair<std::size_t, std::string>> placed = {
        {kBuffer - 1, "//"}, {3 * kBuffer - 2, "FIXME"}, {kSize - 3, "*/"}};
    {
        GeneratedFile file(kSize, ' ', placed);
        FileLineSource source(file);
        std::size_t total = 0;
        LinePiece piece;
        while (source.readLine(piece)) {
            ASSERT_LE(piece.text.size(), kBuffer);
            total += piece.text.size();
        }
        EXPECT_EQ(total, kSize);
    }
    for (auto scan : {LineClassifier::ScanPath::Automatic, LineClassifier::ScanPath::Scalar}) {
        GeneratedFile file(kSize, 'x', placed);
        FileLineSource source(file);
        // A line that begins with code: "//" at a position past 0 counts code and a comment.
        EXPECT_EQ(LineClassifier(CodePage(), scan).classifyFile(source), (FileCounts{1, 1, 1, 1}));
    }
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
         {LineClassifier::ScanPath::Automatic, LineClassifier::ScanPath::Scalar}) {
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
