#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace lw::cli {

// Why a text is not the JSON that its reader expected, and the byte offset where that showed.
class JsonError : public std::runtime_error {
  public:
    // The offset of a fault of the document as a whole rather than of one place in it.
    static constexpr std::size_t kWhole = static_cast<std::size_t>(-1);

    JsonError(std::size_t offset, const std::string& message)
        : std::runtime_error(message), offset_(offset) {}
    std::size_t offset() const { return offset_; }

  private:
    std::size_t offset_;
};

// A pull reader of one JSON text, strict to RFC 8259 (UTF-8 only, no trailing commas, no
// comments, no leading zeros, no lone surrogates, nothing after the value). The caller asks for
// the value it expects next, so a document is read in one pass without building a tree of it,
// and any departure is a JsonError at the byte where it shows.
class JsonReader {
  public:
    explicit JsonReader(std::string_view text) : text_(text) {}

    void beginObject();
    // Reads the next member's key and its ':' into key; false at the object's '}'.
    bool nextMember(std::string& key);
    void beginArray();
    // True when another element follows; false at the array's ']'.
    bool nextElement();

    std::string readString();
    // A number without fraction or exponent, within [min, max], which lie within +-2^62.
    std::int64_t readInteger(std::int64_t min, std::int64_t max);
    // Reads a null if one comes next.
    bool readNull();
    // Only white space may follow the value.
    void end();

    // Where the reader is, for a message about the value just read.
    std::size_t offset() const { return pos_; }
    [[noreturn]] void fail(const std::string& message) const { throw JsonError(pos_, message); }

  private:
    void skipSpace();
    // The next byte after white space; fails at the end of the text.
    char peek(const char* expected);
    void expect(char c, const char* expected);
    std::uint32_t readHex4();

    std::string_view text_;
    std::size_t pos_ = 0;
    // For each open object or array, whether its first member or element is still to come.
    std::vector<bool> first_;
};

// "line L, column C" of a byte offset into text, both counted from 1, the column in bytes.
std::string describePosition(std::string_view text, std::size_t offset);

}  // namespace lw::cli
