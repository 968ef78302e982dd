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
    const bool compared = result.totalsChange.has_value();
    std::vector<std::string_view> headings(kHeadings.begin(), kHeadings.end());
    if (compared) {
        headings.insert(headings.end(), kChangeHeadings.begin(), kChangeHeadings.end());
    }
    std::vector<std::string> paths;
    paths.reserve(result.rows.size());
    std::vector<std::array<std::string, 5>> changes;
    changes.reserve(result.changes.size());
    std::vector<std::size_t> widths;
    for (const std::string_view heading : headings) {
        widths.push_back(displayWidth(heading));
    }
    for (std::size_t r = 0; r < result.rows.size(); ++r) {
        const ResultRow& row = result.rows[r];
        std::string path;
        appendEscaped(path, row.cells[0]);
        widths[0] = std::max(widths[0], displayWidth(path));
        paths.push_back(std::move(path));
        for (std::size_t c = 1; c < 5; ++c) {
            widths[c] = std::max(widths[c], row.cells[c].size());
        }
        if (compared) {
            changes.push_back(changeCells(result.changes[r]));
            for (std::size_t c = 0; c < 5; ++c) {
                widths[5 + c] = std::max(widths[5 + c], changes.back()[c].size());
            }
        }
    }
    std::vector<std::string_view> cells(headings.size());
    const auto line = [&] {
        appendPadded(out, cells[0], widths[0], false);
        for (std::size_t c = 1; c < cells.size(); ++c) {
            out += "  ";
            // The kind of change is a word, left-aligned; every other column is a number.
            const bool word = compared && c == cells.size() - 1;
            appendPadded(out, cells[c], widths[c], !word);
        }
        while (!out.empty() && out.back() == ' ') {
            out.pop_back();
        }
        out += '\n';
    };
    cells = headings;
    line();
    for (std::size_t r = 0; r < result.rows.size(); ++r) {
        const auto& row = result.rows[r].cells;
        cells[0] = paths[r];
        std::copy(row.begin() + 1, row.end(), cells.begin() + 1);
        if (compared) {
            std::copy(changes[r].begin(), changes[r].end(), cells.begin() + 5);
        }
        line();
    }
    out += result.status;
    out += '\n';
    if (compared) {
        out += changeStatusLine(*result.totalsChange);
        out += '\n';
    }
}

void formatTsv(std::string& out, const RunResult& result) {
    out += "Relative path\tFIXMEs\tCode\tComments\tTotal";
    if (result.totalsChange) {
        for (const char* heading : kChangeHeadings) {
            out += '\t';
            out += heading;
        }
    }
    out += '\n';
    for (std::size_t r = 0; r < result.rows.size(); ++r) {
        const ResultRow& row = result.rows[r];
        appendEscaped(out, row.cells[0]);
        for (std::size_t c = 1; c < 5; ++c) {
            out += '\t';
            out += row.cells[c];
        }
        if (result.totalsChange) {
            for (const std::string& cell : changeCells(result.changes[r])) {
                out += '\t';
                out += cell;
            }
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
    out += "Relative path,FIXMEs,Code,Comments,Total";
    if (result.totalsChange) {
        for (const char* heading : kChangeHeadings) {
            out += ',';
            out += heading;
        }
    }
    out += "\r\n";
    for (std::size_t r = 0; r < result.rows.size(); ++r) {
        const ResultRow& row = result.rows[r];
        appendCsvField(out, row.cells[0]);
        for (std::size_t c = 1; c < 5; ++c) {
            out += ',';
            appendCsvField(out, row.cells[c]);
        }
        if (result.totalsChange) {
            for (const std::string& cell : changeCells(result.changes[r])) {
                out += ',';
                out += cell;
            }
        }
        out += "\r\n";
    }
}

// An empty cell is a count the run does not have: a removed row's.
void appendNumberField(std::string& out, const char* name, std::string_view digits) {
    out += '"';
    out += name;
    out += "\":";
    out += digits.empty() ? "null" : digits;
}

void formatJson(std::string& out, const RunResult& result) {
    out += "{\"rows\":[";
    for (std::size_t r = 0; r < result.rows.size(); ++r) {
        const auto& cells = result.rows[r].cells;
        out += r == 0 ? "{" : ",{";
        out += "\"path\":";
        appendJsonString(out, cells[0]);
        // The raw bytes of a path that the text above cannot carry, so that a later
        // comparison matches the row with itself.
        if (!isValidUtf8(cells[0])) {
            out += ",\"path_hex\":\"";
            out += toHex(cells[0]);
            out += '"';
        }
        out += ',';
        appendNumberField(out, "fixmes", cells[1]);
        out += ',';
        appendNumberField(out, "code", cells[2]);
        out += ',';
        appendNumberField(out, "comments", cells[3]);
        out += ',';
        appendNumberField(out, "total", cells[4]);
        if (result.totalsChange) {
            appendJsonRowChange(out, result.changes[r]);
        }
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
    out += '}';
    if (result.totalsChange) {
        appendJsonTotalsChange(out, *result.totalsChange);
    }
    out += ",\"failed\":[";
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
