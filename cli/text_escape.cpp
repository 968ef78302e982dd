#include "cli/text_escape.h"

#include <algorithm>

#include "count/path_text.h"

namespace lw::cli {

namespace {

// Length of the valid UTF-8 sequence at text[pos], or 0 if none starts there. Overlong forms,
// surrogates and values above U+10FFFF are invalid, as a JSON reader would have them.
std::size_t utf8SequenceLength(std::string_view text, std::size_t pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (pos + length > text.size()) {
        return 0;
    }
    if (byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

}  // namespace

void appendEscaped(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    // Where the backslash separates the components of a path (Windows), no name holds a
    // backslash: a path is then written with every backslash as it is.
    constexpr bool kEscapeBackslash = kSeparator != '\\';
    std::size_t plain = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != 0x7F && (c != '\\' || !kEscapeBackslash)) {
            continue;
        }
        out.append(text, plain, i - plain);
        plain = i + 1;
        switch (c) {
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                out += "\\x";
                out += kHex[c >> 4];
                out += kHex[c & 0xF];
        }
    }
    out.append(text, plain, text.size() - plain);
}

void appendJsonString(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
        } else if (c < 0x20) {
            switch (c) {
                case '\n':
                    out += "\\n";
                    break;
                case '\r':
                    out += "\\r";
                    break;
                case '\t':
                    out += "\\t";
                    break;
                default:
                    out += "\\u00";
                    out += kHex[c >> 4];
                    out += kHex[c & 0xF];
            }
            ++i;
        } else {
            const std::size_t length = utf8SequenceLength(text, i);
            if (length == 0) {
                out += "\xEF\xBF\xBD";
                ++i;
            } else {
                out.append(text, i, length);
                i += length;
            }
        }
    }
    out += '"';
}

bool isValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = utf8SequenceLength(text, i);
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

std::string messageLine(std::string_view message) {
    std::string line = "linewright-count: ";
    const std::size_t first = message.find("\n\n");
    if (first == std::string_view::npos) {
        appendEscaped(line, message);
    } else {
        // The path between the two folds is taken whole, whatever line feeds it holds.
        const std::size_t last = message.rfind("\n\n");
        appendEscaped(line, message.substr(0, first));
        line += ' ';
        if (last == first) {
            appendEscaped(line, message.substr(first + 2));
        } else {
            appendEscaped(line, message.substr(first + 2, last - first - 2));
            line += ": ";
            appendEscaped(line, message.substr(last + 2));
        }
    }
    line += '\n';
    return line;
}

std::size_t displayWidth(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string searchFailureLine(std::string_view prefix, std::string_view directory,
                              std::string_view reason) {
    std::string line = "linewright-count: ";
    appendEscaped(line, prefix);
    line += "cannot search ";
    appendEscaped(line, directory);
    line += ": ";
    appendEscaped(line, reason);
    line += '\n';
    return line;
}

}  // namespace lw::cli
