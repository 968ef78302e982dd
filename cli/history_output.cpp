#include "cli/history_output.h"

#include "cli/dates.h"
#include "cli/svg_chart.h"

namespace lw::cli {

namespace {

constexpr Column kHistoryColumns[] = {
    {"Commit", "commit", CellKind::Text}, {"Date", "date", CellKind::Text},
    {"Files", "files", CellKind::Count},  {"FIXMEs", "fixmes", CellKind::Count},
    {"Code", "code", CellKind::Count},    {"Comments", "comments", CellKind::Count},
    {"Total", "total", CellKind::Count},
};

class HistoryTable final : public TableRows {
  public:
    explicit HistoryTable(const std::vector<HistoryRow>& rows) : rows_(rows) {}
    std::size_t size() const override { return rows_.size(); }
    std::string_view cell(std::size_t row, std::size_t column,
                          std::string& scratch) const override {
        const HistoryRow& r = rows_[row];
        const RunTotals& t = r.totals;
        switch (column) {
            case 0:
                return r.commit;
            case 1:
                scratch = formatIsoDate(r.time);
                return scratch;
            case 2:
                scratch = std::to_string(t.files);
                break;
            case 3:
                scratch = std::to_string(t.fixmes);
                break;
            case 4:
                scratch = std::to_string(t.code);
                break;
            case 5:
                scratch = std::to_string(t.comments);
                break;
            default:
                scratch = std::to_string(t.total);
                break;
        }
        return scratch;
    }

  private:
    const std::vector<HistoryRow>& rows_;
};

}  // namespace

void formatHistory(std::string& out, const std::vector<HistoryRow>& rows, Format format) {
    if (format == Format::Svg) {
        out += historyChart(rows);
        return;
    }
    TableEnd end;
    end.jsonArray = "commits";
    writeTable(out, kHistoryColumns, HistoryTable(rows), format, end);
}

}  // namespace lw::cli
