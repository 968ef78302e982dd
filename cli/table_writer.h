#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lw::cli {

// The output formats. svg is a chart, which only a history can be drawn as.
enum class Format { Table, Tsv, Json, Csv, Svg };

// What a column holds, which decides how each format writes it.
enum class CellKind : unsigned char {
    Path,    // bytes of a name: escaped in table and tsv; JSON adds "path_hex" where not UTF-8
    Text,    // plain text of the program's own (a hash, a date)
    Count,   // a decimal count; empty for a count the row does not have (JSON null)
    Change,  // a signed change, "+3", "-1" or "0"; JSON puts it in the row's "compare" object
    Word,    // the kind of change; JSON puts it first in "compare", as "change"
};

struct Column {
    std::string_view heading;  // table, tsv and csv
    std::string_view key;      // the JSON member
    CellKind kind;
};

// The rows of one table, read cell by cell.
class TableRows {
  public:
    virtual ~TableRows() = default;
    virtual std::size_t size() const = 0;
    // The text of a cell: a view of the row's own text, or of `scratch` where it is made.
    virtual std::string_view cell(std::size_t row, std::size_t column,
                                  std::string& scratch) const = 0;
};

// What follows the rows: lines under the table; JSON members after the array of rows, each
// with its leading comma.
struct TableEnd {
    std::string_view jsonArray;  // the member that holds the rows
    std::vector<std::string> tableLines;
    std::string jsonMembers;
};

// Takes the text made so far, between rows, once there is a good piece of it (kPieceSize or
// more), and leaves `out` empty: the output goes out as it is made, and a large table never
// lies whole in memory.
using TablePieces = std::function<void(std::string& out)>;
inline constexpr std::size_t kPieceSize = 128 * 1024;

// Appends the table in one of the formats table, tsv, csv and json. Table: headings, rows
// aligned (text left, numbers right), then the end's lines. csv: every line ends in CR LF.
// JSON: one object, the rows as objects in the array named by the end, then its members.
void writeTable(std::string& out, std::span<const Column> columns, const TableRows& rows,
                Format format, const TableEnd& end, const TablePieces& pieces = {});

// A field quoted only where a reader would otherwise split it: on a comma, quote, CR or LF.
void appendCsvField(std::string& out, std::string_view text);

}  // namespace lw::cli
