#include "cli/output.h"

#include <algorithm>
#include <array>

#include "count/path_text.h"

namespace lw::cli {

namespace {

constexpr std::array<const char*, 5> kHeadings = {"Relative path", "FIXMEs", "Code", "Comments",
                                                  "Total"};

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

// Terminal columns of a row's text, for aligning the table: one per character of valid UTF-8.
std::size_t displayWidth(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

void appendPadded(std::string& out, std::string_view text, std::size_t width, bool right) {
    const std::size_t shown = displayWidth(text);
    const std::size_t padding = width > shown ? width - shown : 0;
    if (right) {
        out.append(padding, ' ');
    }
    out += text;
    if (!right) {
        out.append(padding, ' ');
    }
}

void formatTable(std::string& out, const RunResult& result) {
    std::vector<std::string> paths;
    paths.reserve(result.rows.size());
    std::array<std::size_t, 5> widths{};
    for (std::size_t c = 0; c < kHeadings.size(); ++c) {
        widths[c] = displayWidth(kHeadings[c]);
    }
    for (const ResultRow& row : result.rows) {
        std::string path;
        appendEscaped(path, row.cells[0]);
        widths[0] = std::max(widths[0], displayWidth(path));
        paths.push_back(std::move(path));
        for (std::size_t c = 1; c < 5; ++c) {
            widths[c] = std::max(widths[c], row.cells[c].size());
        }
    }
    const auto line = [&](const std::array<std::string_view, 5>& cells) {
        appendPadded(out, cells[0], widths[0], false);
        for (std::size_t c = 1; c < 5; ++c) {
            out += "  ";
            appendPadded(out, cells[c], widths[c], true);
        }
        while (!out.empty() && out.back() == ' ') {
            out.pop_back();
        }
        out += '\n';
    };
    line({kHeadings[0], kHeadings[1], kHeadings[2], kHeadings[3], kHeadings[4]});
    for (std::size_t r = 0; r < result.rows.size(); ++r) {
        const auto& cells = result.rows[r].cells;
        line({paths[r], cells[1], cells[2], cells[3], cells[4]});
    }
    out += result.status;
    out += '\n';
}

void formatTsv(std::string& out, const RunResult& result) {
    out += "Relative path\tFIXMEs\tCode\tComments\tTotal\n";
    for (const ResultRow& row : result.rows) {
        appendEscaped(out, row.cells[0]);
        for (std::size_t c = 1; c < 5; ++c) {
            out += '\t';
            out += row.cells[c];
        }
        out += '\n';
    }
}

// A field quoted only where a reader would otherwise split it: on a comma, quote, CR or LF.
void appendCsvField(std::string& out, std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += text;
        return;
    }
    out += '"';
    for (const char c : text) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    out += '"';
}

// Every line ends in CR LF, the header's too, so the file is one consistent kind of text.
void formatCsv(std::string& out, const RunResult& result) {
    out += "Relative path,FIXMEs,Code,Comments,Total\r\n";
    for (const ResultRow& row : result.rows) {
        appendCsvField(out, row.cells[0]);
        for (std::size_t c = 1; c < 5; ++c) {
            out += ',';
            appendCsvField(out, row.cells[c]);
        }
        out += "\r\n";
    }
}

void appendNumberField(std::string& out, const char* name, std::string_view digits) {
    out += '"';
    out += name;
    out += "\":";
    out += digits;
}

void formatJson(std::string& out, const RunResult& result) {
    out += "{\"rows\":[";
    for (std::size_t r = 0; r < result.rows.size(); ++r) {
        const auto& cells = result.rows[r].cells;
        out += r == 0 ? "{" : ",{";
        out += "\"path\":";
        appendJsonString(out, cells[0]);
        out += ',';
        appendNumberField(out, "fixmes", cells[1]);
        out += ',';
        appendNumberField(out, "code", cells[2]);
        out += ',';
        appendNumberField(out, "comments", cells[3]);
        out += ',';
        appendNumberField(out, "total", cells[4]);
        out += '}';
    }
    const RunTotals& t = result.totals;
    out += "],\"totals\":{";
    appendNumberField(out, "files", std::to_string(t.files));
    out += ',';
    appendNumberField(out, "fixmes", std::to_string(t.fixmes));
    out += ',';
    appendNumberField(out, "code", std::to_string(t.code));
    out += ',';
    appendNumberField(out, "comments", std::to_string(t.comments));
    out += ',';
    appendNumberField(out, "total", std::to_string(t.total));
    out += "},\"failed\":[";
    for (std::size_t i = 0; i < result.failed.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        appendJsonString(out, result.failed[i]);
    }
    out += "],\"status\":";
    appendJsonString(out, result.status);
    out += "}\n";
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

std::string searchFailureLine(std::string_view directory, std::string_view reason) {
    std::string line = "linewright-count: cannot search ";
    appendEscaped(line, directory);
    line += ": ";
    appendEscaped(line, reason);
    line += '\n';
    return line;
}

void formatResult(std::string& out, const RunResult& result, Format format) {
    switch (format) {
        case Format::Table:
            formatTable(out, result);
            break;
        case Format::Tsv:
            formatTsv(out, result);
            break;
        case Format::Json:
            formatJson(out, result);
            break;
        case Format::Csv:
            formatCsv(out, result);
            break;
    }
}

}  // namespace lw::cli
