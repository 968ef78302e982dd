#include "cli/json_reader.h"

#include <algorithm>

#include "cli/output.h"

namespace lw::cli {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

void appendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

void JsonReader::skipSpace() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\n' ||
                                   text_[pos_] == '\r' || text_[pos_] == '\t')) {
        ++pos_;
    }
}

char JsonReader::peek(const char* expected) {
    skipSpace();
    if (pos_ >= text_.size()) {
        fail(std::string("the JSON is cut short: it ends where ") + expected + " should come");
    }
    return text_[pos_];
}

void JsonReader::expect(char c, const char* expected) {
    if (peek(expected) != c) {
        fail(std::string("expected ") + expected);
    }
    ++pos_;
}

void JsonReader::beginObject() {
    expect('{', "'{'");
    first_.push_back(true);
}

void JsonReader::beginArray() {
    expect('[', "'['");
    first_.push_back(true);
}

bool JsonReader::nextMember(std::string& key) {
    const bool first = first_.back();
    const char c = peek(first ? "a key or '}'" : "',' or '}'");
    if (c == '}') {
        ++pos_;
        first_.pop_back();
        return false;
    }
    if (first) {
        first_.back() = false;
    } else if (c == ',') {
        ++pos_;
    } else {
        fail("expected ',' or '}'");
    }
    if (peek("a key") != '"') {
        fail("expected a key");
    }
    key = readString();
    expect(':', "':'");
    return true;
}

bool JsonReader::nextElement() {
    const bool first = first_.back();
    const char c = peek(first ? "a value or ']'" : "',' or ']'");
    if (c == ']') {
        ++pos_;
        first_.pop_back();
        return false;
    }
    if (first) {
        first_.back() = false;
    } else if (c == ',') {
        ++pos_;
    } else {
        fail("expected ',' or ']'");
    }
    return true;
}

std::uint32_t JsonReader::readHex4() {
    if (text_.size() - pos_ < 4) {
        pos_ = text_.size();
        fail("the JSON is cut short: it ends inside a \\u escape");
    }
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i, ++pos_) {
        const char c = text_[pos_];
        value <<= 4;
        if (isDigit(c)) {
            value |= static_cast<std::uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            value |= static_cast<std::uint32_t>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            value |= static_cast<std::uint32_t>(c - 'A' + 10);
        } else {
            fail("a \\u escape needs four hexadecimal digits");
        }
    }
    return value;
}

std::string JsonReader::readString() {
    expect('"', "a string");
    const std::size_t start = pos_ - 1;
    std::string out;
    for (;;) {
        std::size_t plain = pos_;
        while (plain < text_.size() && text_[plain] != '"' && text_[plain] != '\\' &&
               static_cast<unsigned char>(text_[plain]) >= 0x20) {
            ++plain;
        }
        out.append(text_, pos_, plain - pos_);
        pos_ = plain;
        if (pos_ >= text_.size()) {
            fail("the JSON is cut short: it ends inside a string");
        }
        const char c = text_[pos_];
        if (c == '"') {
            ++pos_;
            break;
        }
        if (c != '\\') {
            fail("a control character stands unescaped in a string");
        }
        if (++pos_ >= text_.size()) {
            fail("the JSON is cut short: it ends inside a string");
        }
        const char escape = text_[pos_++];
        switch (escape) {
            case '"':
            case '\\':
            case '/':
                out += escape;
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                std::uint32_t code = readHex4();
                if (code >= 0xDC00 && code <= 0xDFFF) {
                    fail("a \\u escape holds a lone low surrogate");
                }
                if (code >= 0xD800 && code <= 0xDBFF) {
                    if (text_.substr(pos_, 2) != "\\u") {
                        fail("a high surrogate is not followed by a low one");
                    }
                    pos_ += 2;
                    const std::uint32_t low = readHex4();
                    if (low < 0xDC00 || low > 0xDFFF) {
                        fail("a high surrogate is not followed by a low one");
                    }
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                }
                appendUtf8(out, code);
                break;
            }
            default:
                --pos_;
                fail("unknown escape in a string");
        }
    }
    // Escapes only ever add whole characters, so the result is valid exactly when the raw
    // runs between them are.
    if (!isValidUtf8(out)) {
        throw JsonError(start, "a string is not valid UTF-8");
    }
    return out;
}

std::int64_t JsonReader::readInteger(std::int64_t min, std::int64_t max) {
    const char first = peek("a number");
    const std::size_t start = pos_;
    const bool negative = first == '-';
    if (negative) {
        ++pos_;
    }
    if (pos_ >= text_.size()) {
        fail("the JSON is cut short: it ends inside a number");
    }
    if (!isDigit(text_[pos_])) {
        pos_ = start;
        fail("expected a number");
    }
    // Digits past the cap cannot bring the value back into any range a caller may ask for.
    constexpr std::int64_t kCap = std::int64_t{1} << 62;
    std::int64_t magnitude = 0;
    if (text_[pos_] == '0') {
        ++pos_;
        if (pos_ < text_.size() && isDigit(text_[pos_])) {
            fail("a number has a leading zero");
        }
    } else {
        for (; pos_ < text_.size() && isDigit(text_[pos_]); ++pos_) {
            const int digit = text_[pos_] - '0';
            magnitude = magnitude > kCap / 10 ? kCap : std::min(kCap, magnitude * 10 + digit);
        }
    }
    if (pos_ < text_.size() && (text_[pos_] == '.' || text_[pos_] == 'e' || text_[pos_] == 'E')) {
        fail("expected a whole number");
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < min || value > max) {
        pos_ = start;
        fail("a number is out of range (" + std::to_string(min) + " to " + std::to_string(max) +
             ")");
    }
    return value;
}

bool JsonReader::readNull() {
    skipSpace();
    if (text_.substr(pos_, 4) == "null") {
        pos_ += 4;
        return true;
    }
    return false;
}

void JsonReader::end() {
    skipSpace();
    if (pos_ < text_.size()) {
        fail("more text follows the JSON");
    }
}

std::string describePosition(std::string_view text, std::size_t offset) {
    offset = std::min(offset, text.size());
    const std::string_view before = text.substr(0, offset);
    const std::size_t line =
        1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
    const std::size_t lineStart = before.rfind('\n');
    const std::size_t column =
        offset - (lineStart == std::string_view::npos ? 0 : lineStart + 1) + 1;
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

}  // namespace lw::cli
