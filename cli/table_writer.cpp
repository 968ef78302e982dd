#include "cli/table_writer.h"

#include <algorithm>

#include "cli/hex.h"
#include "cli/text_escape.h"

namespace lw::cli {

namespace {

bool isEscapedText(CellKind kind) {
    return kind == CellKind::Path || kind == CellKind::Text;
}

bool isCompareMember(CellKind kind) {
    return kind == CellKind::Change || kind == CellKind::Word;
}

void passOn(std::string& out, const TablePieces& pieces) {
    if (pieces && out.size() >= kPieceSize) {
        pieces(out);
    }
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

void writeAligned(std::string& out, std::span<const Column> columns, const TableRows& rows,
                  const TableEnd& end, const TablePieces& pieces) {
    // The shown text of each cell, once: texts are escaped before their width is known.
    std::vector<std::string> cells;
    cells.reserve(rows.size() * columns.size());
    std::vector<std::size_t> widths;
    for (const Column& column : columns) {
        widths.push_back(displayWidth(column.heading));
    }
    std::string scratch;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const std::string_view text = rows.cell(r, c, scratch);
            std::string shown;
            if (isEscapedText(columns[c].kind)) {
                appendEscaped(shown, text);
            } else {
                shown = text;
            }
            widths[c] = std::max(widths[c], displayWidth(shown));
            cells.push_back(std::move(shown));
        }
    }
    const auto line = [&](const auto& cellAt) {
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (c > 0) {
                out += "  ";
            }
            const CellKind kind = columns[c].kind;
            const bool right = kind == CellKind::Count || kind == CellKind::Change;
            appendPadded(out, cellAt(c), widths[c], right);
        }
        while (!out.empty() && out.back() == ' ') {
            out.pop_back();
        }
        out += '\n';
    };
    line([&](std::size_t c) { return std::string_view(columns[c].heading); });
    for (std::size_t r = 0; r < rows.size(); ++r) {
        line([&](std::size_t c) { return std::string_view(cells[r * columns.size() + c]); });
        passOn(out, pieces);
    }
    for (const std::string& text : end.tableLines) {
        out += text;
        out += '\n';
    }
}

void writeSeparated(std::string& out, std::span<const Column> columns, const TableRows& rows,
                    bool csv, const TablePieces& pieces) {
    const char separator = csv ? ',' : '\t';
    const char* const lineEnd = csv ? "\r\n" : "\n";
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (c > 0) {
            out += separator;
        }
        out += columns[c].heading;
    }
    out += lineEnd;
    std::string scratch;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < columns.size(); ++c) {
            if (c > 0) {
                out += separator;
            }
            const std::string_view text = rows.cell(r, c, scratch);
            if (csv) {
                appendCsvField(out, text);
            } else if (isEscapedText(columns[c].kind)) {
                appendEscaped(out, text);
            } else {
                out += text;
            }
        }
        out += lineEnd;
        passOn(out, pieces);
    }
}

void appendJsonKey(std::string& out, std::string_view key) {
    out += '"';
    out += key;
    out += "\":";
}

void writeJson(std::string& out, std::span<const Column> columns, const TableRows& rows,
               const TableEnd& end, const TablePieces& pieces) {
    const bool compared = std::any_of(columns.begin(), columns.end(),
                                      [](const Column& c) { return isCompareMember(c.kind); });
    out += '{';
    appendJsonKey(out, end.jsonArray);
    out += '[';
    std::string scratch;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        out += r == 0 ? "{" : ",{";
        bool first = true;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            const Column& column = columns[c];
            if (isCompareMember(column.kind)) {
                continue;
            }
            if (!first) {
                out += ',';
            }
            first = false;
            appendJsonKey(out, column.key);
            const std::string_view text = rows.cell(r, c, scratch);
            if (column.kind == CellKind::Count) {
                // An empty cell is a count the row does not have: a removed row's.
                out += text.empty() ? "null" : text;
                continue;
            }
            appendJsonString(out, text);
            // The raw bytes of a path that the text above cannot carry, so that a later
            // comparison matches the row with itself.
            if (column.kind == CellKind::Path && !isValidUtf8(text)) {
                out += ",\"path_hex\":\"";
                out += toHex(text);
                out += '"';
            }
        }
        if (compared) {
            out += ",\"compare\":{";
            for (std::size_t c = 0; c < columns.size(); ++c) {
                if (columns[c].kind == CellKind::Word) {
                    appendJsonKey(out, columns[c].key);
                    appendJsonString(out, rows.cell(r, c, scratch));
                }
            }
            for (std::size_t c = 0; c < columns.size(); ++c) {
                if (columns[c].kind == CellKind::Change) {
                    out += ',';
                    appendJsonKey(out, columns[c].key);
                    std::string_view text = rows.cell(r, c, scratch);
                    if (text.starts_with('+')) {
                        text.remove_prefix(1);
                    }
                    out += text;
                }
            }
            out += '}';
        }
        out += '}';
        passOn(out, pieces);
    }
    out += ']';
    out += end.jsonMembers;
    out += "}\n";
}

}  // namespace

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

void writeTable(std::string& out, std::span<const Column> columns, const TableRows& rows,
                Format format, const TableEnd& end, const TablePieces& pieces) {
    switch (format) {
        case Format::Table:
        case Format::Svg:
            writeAligned(out, columns, rows, end, pieces);
            break;
        case Format::Tsv:
            writeSeparated(out, columns, rows, false, pieces);
            break;
        case Format::Csv:
            writeSeparated(out, columns, rows, true, pieces);
            break;
        case Format::Json:
            writeJson(out, columns, rows, end, pieces);
            break;
    }
}

}  // namespace lw::cli
