#include "cli/json_reader.h"

#include <algorithm>

#include "cli/text_escape.h"

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

bool JsonReader::nextPiece() {
    while (pos_ >= piece_.size()) {
        if (!next_) {
            return false;
        }
        const std::size_t lines =
            static_cast<std::size_t>(std::count(piece_.begin(), piece_.end(), '\n'));
        if (lines > 0) {
            linesBefore_ += lines;
            columnBefore_ = piece_.size() - piece_.rfind('\n') - 1;
        } else {
            columnBefore_ += piece_.size();
        }
        piece_ = next_();
        pos_ = 0;
        if (piece_.empty()) {
            next_ = nullptr;
            return false;
        }
    }
    return true;
}

std::string JsonReader::position() const {
    const std::string_view before = piece_.substr(0, pos_);
    const std::size_t lines =
        static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
    const std::size_t column = lines > 0 ? pos_ - before.rfind('\n') : columnBefore_ + pos_ + 1;
    return "line " + std::to_string(linesBefore_ + lines + 1) + ", column " +
           std::to_string(column);
}

void JsonReader::skipSpace() {
    while (!atEnd() && (piece_[pos_] == ' ' || piece_[pos_] == '\n' || piece_[pos_] == '\r' ||
                        piece_[pos_] == '\t')) {
        ++pos_;
    }
}

char JsonReader::peek(const char* expected) {
    skipSpace();
    if (atEnd()) {
        fail(std::string("the JSON is cut short: it ends where ") + expected + " should come");
    }
    return piece_[pos_];
}

char JsonReader::take(const char* where) {
    if (atEnd()) {
        fail(std::string("the JSON is cut short: it ends inside ") + where);
    }
    return piece_[pos_++];
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

bool JsonReader::nextItem(char close, const char* firstExpected, const char* laterExpected) {
    const bool first = first_.back();
    const char c = peek(first ? firstExpected : laterExpected);
    if (c == close) {
        ++pos_;
        first_.pop_back();
        return false;
    }
    if (first) {
        first_.back() = false;
    } else if (c == ',') {
        ++pos_;
    } else {
        fail(std::string("expected ") + laterExpected);
    }
    return true;
}

bool JsonReader::nextMember(std::string& key) {
    if (!nextItem('}', "a key or '}'", "',' or '}'")) {
        return false;
    }
    if (peek("a key") != '"') {
        fail("expected a key");
    }
    key.clear();
    readString(key);
    expect(':', "':'");
    return true;
}

bool JsonReader::nextElement() {
    return nextItem(']', "a value or ']'", "',' or ']'");
}

std::uint32_t JsonReader::readHex4() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        const char c = take("a \\u escape");
        value <<= 4;
        if (isDigit(c)) {
            value |= static_cast<std::uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            value |= static_cast<std::uint32_t>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            value |= static_cast<std::uint32_t>(c - 'A' + 10);
        } else {
            --pos_;
            fail("a \\u escape needs four hexadecimal digits");
        }
    }
    return value;
}

std::string JsonReader::readString() {
    std::string out;
    readString(out);
    return out;
}

void JsonReader::readString(std::string& out) {
    expect('"', "a string");
    const std::size_t start = out.size();
    // Whether a byte of a raw run is beyond ASCII: only then can the string be invalid UTF-8.
    unsigned char high = 0;
    for (;;) {
        if (atEnd()) {
            fail("the JSON is cut short: it ends inside a string");
        }
        std::size_t plain = pos_;
        for (; plain < piece_.size(); ++plain) {
            const auto byte = static_cast<unsigned char>(piece_[plain]);
            if (byte == '"' || byte == '\\' || byte < 0x20) {
                break;
            }
            high |= byte;
        }
        out.append(piece_, pos_, plain - pos_);
        pos_ = plain;
        if (pos_ >= piece_.size()) {
            continue;
        }
        const char c = piece_[pos_];
        if (c == '"') {
            ++pos_;
            break;
        }
        if (c != '\\') {
            fail("a control character stands unescaped in a string");
        }
        ++pos_;
        const char escape = take("a string");
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
                    if (take("a string") != '\\' || take("a string") != 'u') {
                        fail("a high surrogate is not followed by a low one");
                    }
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
    if ((high & 0x80) != 0 && !isValidUtf8(std::string_view(out).substr(start))) {
        fail("the string that ends here is not valid UTF-8");
    }
}

std::int64_t JsonReader::readInteger(std::int64_t min, std::int64_t max) {
    const bool negative = peek("a number") == '-';
    if (negative) {
        ++pos_;
    }
    if (!isDigit(take("a number"))) {
        --pos_;
        fail("expected a number");
    }
    --pos_;
    // Digits past the cap cannot bring the value back into any range a caller may ask for.
    constexpr std::int64_t kCap = std::int64_t{1} << 62;
    std::int64_t magnitude = 0;
    if (piece_[pos_] == '0') {
        ++pos_;
        if (!atEnd() && isDigit(piece_[pos_])) {
            fail("a number has a leading zero");
        }
    } else {
        for (; !atEnd() && isDigit(piece_[pos_]); ++pos_) {
            const int digit = piece_[pos_] - '0';
            magnitude = magnitude > kCap / 10 ? kCap : std::min(kCap, magnitude * 10 + digit);
        }
    }
    if (!atEnd() && (piece_[pos_] == '.' || piece_[pos_] == 'e' || piece_[pos_] == 'E')) {
        fail("expected a whole number");
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value < min || value > max) {
        fail("the number that ends here is out of range (" + std::to_string(min) + " to " +
             std::to_string(max) + ")");
    }
    return value;
}

bool JsonReader::readNull() {
    skipSpace();
    if (atEnd() || piece_[pos_] != 'n') {
        return false;
    }
    for (const char c : std::string_view("null")) {
        if (take("a null") != c) {
            --pos_;
            fail("expected null");
        }
    }
    return true;
}

void JsonReader::end() {
    skipSpace();
    if (!atEnd()) {
        fail("more text follows the JSON");
    }
}

}  // namespace lw::cli
