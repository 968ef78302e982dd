#include "cli/output.h"

#include "cli/text_escape.h"

namespace lw::cli {

namespace {

constexpr Column kFileColumns[] = {
    {"Relative path", "path", CellKind::Path},   {"FIXMEs", "fixmes", CellKind::Count},
    {"Code", "code", CellKind::Count},           {"Comments", "comments", CellKind::Count},
    {"Total", "total", CellKind::Count},         {"FIXMEs change", "fixmes", CellKind::Change},
    {"Code change", "code", CellKind::Change},   {"Comments change", "comments", CellKind::Change},
    {"Total change", "total", CellKind::Change}, {"Change", "change", CellKind::Word},
};
constexpr std::size_t kPlainFileColumns = 5;

class FileRows final : public TableRows {
  public:
    explicit FileRows(const RunResult& result) : result_(result) {}
    std::size_t size() const override { return result_.rows.size(); }
    std::string_view cell(std::size_t row, std::size_t column,
                          std::string& scratch) const override {
        if (column < kPlainFileColumns) {
            return result_.rows[row].cells[column];
        }
        const RowChange& change = result_.changes[row];
        if (column == kPlainFileColumns + 4) {
            return changeKindName(change.kind);
        }
        scratch = signedText(change.counts[column - kPlainFileColumns]);
        return scratch;
    }

  private:
    const RunResult& result_;
};

void appendTotalsMember(std::string& out, std::string_view name, const std::int64_t (&values)[5]) {
    static constexpr std::string_view kNames[] = {"files", "fixmes", "code", "comments", "total"};
    out += ",\"";
    out += name;
    out += "\":{";
    for (std::size_t i = 0; i < 5; ++i) {
        if (i > 0) {
            out += ',';
        }
        out += '"';
        out += kNames[i];
        out += "\":";
        out += std::to_string(values[i]);
    }
    out += '}';
}

}  // namespace

std::array<std::string, 5> changeCells(const RowChange& change) {
    return {signedText(change.counts[0]), signedText(change.counts[1]),
            signedText(change.counts[2]), signedText(change.counts[3]),
            std::string(changeKindName(change.kind))};
}

std::string changeStatusLine(const TotalsChange& change) {
    return "Change: FIXMEs " + signedText(change.fixmes) + " Code " + signedText(change.code) +
           " Comments " + signedText(change.comments) + " Total " + signedText(change.total);
}

TableEnd runEnd(const RunResult& result, std::string_view jsonArray) {
    TableEnd end;
    end.jsonArray = jsonArray;
    end.tableLines.push_back(result.status);
    const RunTotals& t = result.totals;
    appendTotalsMember(end.jsonMembers, "totals", {t.files, t.fixmes, t.code, t.comments, t.total});
    if (result.totalsChange) {
        const TotalsChange& c = *result.totalsChange;
        end.tableLines.push_back(changeStatusLine(c));
        appendTotalsMember(end.jsonMembers, "totals_change",
                           {c.files, c.fixmes, c.code, c.comments, c.total});
    }
    std::string& out = end.jsonMembers;
    out += ",\"failed\":[";
    for (std::size_t i = 0; i < result.failed.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        appendJsonString(out, result.failed[i]);
    }
    out += "],\"status\":";
    appendJsonString(out, result.status);
    return end;
}

void formatResult(std::string& out, const RunResult& result, Format format,
                  const TablePieces& pieces) {
    const std::size_t columns = result.totalsChange ? std::size(kFileColumns) : kPlainFileColumns;
    writeTable(out, std::span(kFileColumns, columns), FileRows(result), format,
               runEnd(result, "rows"), pieces);
}

}  // namespace lw::cli
