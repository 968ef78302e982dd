#include "count/utf16_decoder.h"

#include <algorithm>
#include <cstring>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "count/code_page.h"
#include "count/count_run.h"
#include "temp_tree.h"

namespace lw {
namespace {

// Hands out its bytes at most `chunk` at a time, so that marks, units and surrogate pairs are
// split at every place a short read can split them.
class MemoryFile final : public ReadableFile {
  public:
    MemoryFile(std::string bytes, std::size_t chunk) : bytes_(std::move(bytes)), chunk_(chunk) {}
    ssize_t read(char* buffer, std::size_t size) override {
        const std::size_t n = std::min({size, chunk_, bytes_.size() - pos_});
        std::memcpy(buffer, bytes_.data() + pos_, n);
        pos_ += n;
        ++reads;
        return static_cast<ssize_t>(n);
    }
    int reads = 0;

  private:
    std::string bytes_;
    std::size_t chunk_;
    std::size_t pos_ = 0;
};

std::string readAll(ReadableFile& file, std::size_t bufferSize) {
    std::string out;
    std::string buffer(bufferSize, '\0');
    for (;;) {
        const ssize_t got = file.read(buffer.data(), buffer.size());
        EXPECT_GE(got, 0);
        if (got <= 0) {
            return out;
        }
        out.append(buffer, 0, static_cast<std::size_t>(got));
    }
}

// Little-endian units of the text, as a test writes them; big-endian swaps each pair.
std::string le(std::u16string_view units) {
    std::string out;
    for (const char16_t u : units) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    return out;
}
std::string be(std::u16string_view units) {
    std::string out;
    for (const char16_t u : units) {
        out += static_cast<char>(u >> 8);
        out += static_cast<char>(u & 0xFF);
    }
    return out;
}

const std::string kLeMark = "\xFF\xFE";
const std::string kBeMark = "\xFE\xFF";

struct DecodeCase {
    const char* name;
    std::string input;
    std::string expected;
};

void PrintTo(const DecodeCase& c, std::ostream* os) {
    *os << c.name;
}

class Utf16Decode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Utf16Decode, GivesTheUtf8TextWhateverTheReadSizes) {
    const DecodeCase& c = GetParam();
    for (const std::size_t chunk : {1u, 2u, 3u, 5u, 4096u}) {
        for (const std::size_t buffer : {2u, 3u, 7u, 65536u}) {
            auto file = withUtf16Decoding(std::make_unique<MemoryFile>(c.input, chunk));
            EXPECT_EQ(readAll(*file, buffer), c.expected)
                << "chunk " << chunk << ", buffer " << buffer;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf16Decode,
    ::testing::Values(
        DecodeCase{"LittleEndian", kLeMark + le(u"int a; // FIXME\n"), "int a; // FIXME\n"},
        DecodeCase{"BigEndian", kBeMark + be(u"int a; // FIXME\n"), "int a; // FIXME\n"},
        DecodeCase{"CrLf", kLeMark + le(u"a;\r\nb;\r\n"), "a;\r\nb;\r\n"},
        DecodeCase{"TwoAndThreeByteCharacters", kBeMark + be(u"\u00e9\u20ac"),
                   "\xC3\xA9\xE2\x82\xAC"},
        DecodeCase{"SurrogatePair", kLeMark + le(u"x\U0001F600y"), "x\xF0\x9F\x98\x80y"},
        DecodeCase{"SurrogatePairBigEndian", kBeMark + be(u"\U0010FFFF"), "\xF4\x8F\xBF\xBF"},
        DecodeCase{"LoneHighSurrogateBeforeText", kLeMark + le(u"a") + le(u"\xD800") + le(u"b"),
                   "a\xEF\xBF\xBD"
                   "b"},
        DecodeCase{"LoneHighSurrogateAtTheEnd", kLeMark + le(u"a") + le(u"\xDBFF"),
                   "a\xEF\xBF\xBD"},
        DecodeCase{"LoneLowSurrogate", kBeMark + be(u"\xDC00") + be(u"z"), "\xEF\xBF\xBDz"},
        DecodeCase{"TwoHighSurrogatesThenALow", kLeMark + le(u"\xD800\xD800\xDC00"),
                   "\xEF\xBF\xBD\xF0\x90\x80\x80"},
        DecodeCase{"OddLastByte", kLeMark + le(u"ab") + "c", "ab\xEF\xBF\xBD"},
        DecodeCase{"HighSurrogateThenOddByte", kLeMark + le(u"\xD800") + "c",
                   "\xEF\xBF\xBD\xEF\xBF\xBD"},
        DecodeCase{"NulCharacter", kLeMark + le(std::u16string_view(u"a\0b", 3)),
                   std::string("a\0b", 3)},
        DecodeCase{"MarkOnly", kLeMark, ""},
        // Everything without a leading UTF-16 mark passes byte for byte.
        DecodeCase{"Empty", "", ""}, DecodeCase{"OneMarkByte", "\xFF", "\xFF"},
        DecodeCase{"MarkByteThenText",
                   "\xFF"
                   "A;\n",
                   "\xFF"
                   "A;\n"},
        DecodeCase{"Utf8Mark", "\xEF\xBB\xBFint a;\n", "\xEF\xBB\xBFint a;\n"},
        DecodeCase{"MarkNotAtTheStart",
                   " \xFF\xFE"
                   "a",
                   " \xFF\xFE"
                   "a"},
        DecodeCase{"UnmarkedUtf16", le(u"ab"), le(u"ab")}));

TEST(Utf16Decoding, PlainFilesAreReadWithoutAnExtraRead) {
    auto inner = std::make_unique<MemoryFile>("int a;\n", 4096);
    MemoryFile* raw = inner.get();
    auto file = withUtf16Decoding(std::move(inner));
    EXPECT_EQ(readAll(*file, 4096), "int a;\n");
    EXPECT_EQ(raw->reads, 2);  // the text, then the end
}

TEST(Utf16Decoding, KeepsNoFile) {
    EXPECT_EQ(withUtf16Decoding(nullptr), nullptr);
}

// A file read through the count run counts as the same text saved as UTF-8, for text long enough
// to cross the reader's buffers.
TEST(Utf16Decoding, CountsLikeTheUtf8Text) {
    std::u16string text =
        u"// \u00e9t\u00e9 FIXME\r\n/* a\n b */ int c;\n{\n}\n\n\U0001F600 x; // y\n";
    std::u16string longText;
    for (int i = 0; i < 4000; ++i) {
        longText += text;
    }
    longText += u"tail /* no newline";
    const std::string utf8 = readAll(
        *withUtf16Decoding(std::make_unique<MemoryFile>(kLeMark + le(longText), 1 << 20)), 1 << 20);

    testing_support::TempTree tree;
    tree.file("u8.c", utf8);
    tree.file("le.c", kLeMark + le(longText));
    tree.file("be.c", kBeMark + be(longText));
    const CodePage codePage;
    const FileOutcome expected = countFile(systemFileSystem(), codePage, tree.path("u8.c"));
    ASSERT_EQ(expected.status, FileStatus::Counted);
    EXPECT_GT(expected.counts.comments, 0);
    EXPECT_GT(expected.counts.fixmes, 0);
    for (const char* name : {"le.c", "be.c"}) {
        const FileOutcome got = countFile(systemFileSystem(), codePage, tree.path(name));
        EXPECT_EQ(got.status, FileStatus::Counted) << name;
        EXPECT_EQ(got.counts.fixmes, expected.counts.fixmes) << name;
        EXPECT_EQ(got.counts.code, expected.counts.code) << name;
        EXPECT_EQ(got.counts.comments, expected.counts.comments) << name;
        EXPECT_EQ(got.counts.total, expected.counts.total) << name;
    }
}

}  // namespace
}  // namespace lw
