#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace lw::cli {

// Why a text is not the JSON that its reader expected, and where that showed ("line 3,
// column 14"; empty for a fault of the document as a whole).
class JsonError : public std::runtime_error {
  public:
    JsonError(std::string position, const std::string& message)
        : std::runtime_error(message), position_(std::move(position)) {}
    const std::string& position() const { return position_; }

  private:
    std::string position_;
};

// A pull reader of one JSON text, strict to RFC 8259 (UTF-8 only, no trailing commas, no
// comments, no leading zeros, no lone surrogates, nothing after the value). The caller asks for
// the value it expects next, so a document is read in one pass without a tree of it, and any
// departure is a JsonError at the place where it shows. The text may come in pieces, so that a
// large file is never held whole.
class JsonReader {
  public:
    explicit JsonReader(std::string_view text) : piece_(text) {}
    // next() gives each following piece of the text, and an empty one at its end.
    explicit JsonReader(std::function<std::string_view()> next) : next_(std::move(next)) {}

    void beginObject();
    // Reads the next member's key and its ':' into key; false at the object's '}'.
    bool nextMember(std::string& key);
    void beginArray();
    // True when another element follows; false at the array's ']'.
    bool nextElement();

    std::string readString();
    // Appends the string to out instead, so that a caller may gather many in one buffer.
    void readString(std::string& out);
    // A number without fraction or exponent, within [min, max], which lie within +-2^62.
    std::int64_t readInteger(std::int64_t min, std::int64_t max);
    // Reads a null if one comes next.
    bool readNull();
    // Only white space may follow the value.
    void end();

    // "line L, column C" of the reader's place, both from 1, the column in bytes.
    std::string position() const;
    [[noreturn]] void fail(const std::string& message) const {
        throw JsonError(position(), message);
    }

  private:
    // True at the end of the text; otherwise the current piece holds the next byte.
    bool atEnd() { return pos_ >= piece_.size() && !nextPiece(); }
    // Moves on to the next piece that holds a byte; false at the end of the text.
    bool nextPiece();
    void skipSpace();
    // The next byte after white space; fails at the end of the text.
    char peek(const char* expected);
    void expect(char c, const char* expected);
    // The byte at the reader's place, which must not be at the end; fails there.
    char take(const char* where);
    std::uint32_t readHex4();
    // Steps past the ',' before the next member or element of the innermost object or array,
    // or past its closing byte (false).
    bool nextItem(char close, const char* firstExpected, const char* laterExpected);

    std::string_view piece_;
    std::size_t pos_ = 0;
    std::function<std::string_view()> next_;
    // Line ends in the pieces before this one, and the bytes after the last of them.
    std::size_t linesBefore_ = 0;
    std::size_t columnBefore_ = 0;
    // For each open object or array, whether its first member or element is still to come.
    std::vector<bool> first_;
};

}  // namespace lw::cli
