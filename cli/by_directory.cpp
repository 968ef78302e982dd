#include "cli/by_directory.h"

#include <unordered_map>

#include "count/file_counts.h"
#include "count/path_text.h"
#include "count/row_compare.h"

namespace lw::cli {

namespace {

// The bytes of a full path's root: the separators it begins with, and where the separator is
// the backslash also a drive ("C:\").
std::size_t rootLength(std::string_view path) {
    if constexpr (kSeparator == '\\') {
        if (path.size() >= 3 && path[1] == ':' && path[2] == kSeparator) {
            return 3;
        }
    }
    std::size_t length = 0;
    while (length < path.size() && path[length] == kSeparator) {
        ++length;
    }
    return length;
}

class DirectorySums {
  public:
    void add(std::string_view path, const std::array<std::int32_t, 4>& counts, unsigned depth) {
        std::string directory = directoryOf(path, depth);
        auto [at, added] = index_.try_emplace(directory, rows_.size());
        if (added) {
            rows_.push_back({std::move(directory), {}, false});
        }
        std::array<std::int32_t, 5>& sums = rows_[at->second].counts;
        sums[0] = saturatingAdd(sums[0], 1);
        for (std::size_t c = 0; c < 4; ++c) {
            sums[c + 1] = saturatingAdd(sums[c + 1], counts[c]);
        }
    }
    std::vector<DirectoryRow> take() { return std::move(rows_); }

  private:
    std::vector<DirectoryRow> rows_;
    std::unordered_map<std::string, std::size_t> index_;
};

constexpr Column kDirectoryColumns[] = {
    {"Directory", "directory", CellKind::Path},  {"Files", "files", CellKind::Count},
    {"FIXMEs", "fixmes", CellKind::Count},       {"Code", "code", CellKind::Count},
    {"Comments", "comments", CellKind::Count},   {"Total", "total", CellKind::Count},
    {"Files change", "files", CellKind::Change}, {"FIXMEs change", "fixmes", CellKind::Change},
    {"Code change", "code", CellKind::Change},   {"Comments change", "comments", CellKind::Change},
    {"Total change", "total", CellKind::Change}, {"Change", "change", CellKind::Word},
};
constexpr std::size_t kPlainDirectoryColumns = 6;

class DirectoryTable final : public TableRows {
  public:
    DirectoryTable(const std::vector<DirectoryRow>& rows,
                   const std::vector<DirectoryChange>& changes)
        : rows_(rows), changes_(changes) {}
    std::size_t size() const override { return rows_.size(); }
    std::string_view cell(std::size_t row, std::size_t column,
                          std::string& scratch) const override {
        const DirectoryRow& r = rows_[row];
        if (column == 0) {
            return r.directory;
        }
        if (column < kPlainDirectoryColumns) {
            scratch = r.removed ? "" : std::to_string(r.counts[column - 1]);
        } else if (column == kPlainDirectoryColumns + 5) {
            return changeKindName(changes_[row].kind);
        } else {
            scratch = signedText(changes_[row].counts[column - kPlainDirectoryColumns]);
        }
        return scratch;
    }

  private:
    const std::vector<DirectoryRow>& rows_;
    const std::vector<DirectoryChange>& changes_;
};

}  // namespace

std::string directoryOf(std::string_view path, unsigned depth) {
    const std::size_t root = rootLength(path);
    const std::size_t last = path.rfind(kSeparator);
    if (last == std::string_view::npos) {
        return {};
    }
    std::size_t end = std::max(last, root);
    if (depth > 0) {
        std::size_t at = root;
        for (unsigned component = 0; component < depth && at < end; ++component) {
            const std::size_t next = path.find(kSeparator, at);
            at = next == std::string_view::npos || next > end ? end : next + 1;
        }
        // `at` is just behind the separator that ends the last component kept.
        if (at < end) {
            end = std::max(at - 1, root);
        }
    }
    return std::string(path.substr(0, end));
}

std::vector<DirectoryRow> sumByDirectory(const std::vector<ResultRow>& rows, unsigned depth) {
    DirectorySums sums;
    for (const ResultRow& row : rows) {
        sums.add(row.cells[0], rowCounts(row), depth);
    }
    return sums.take();
}

std::vector<DirectoryRow> sumByDirectory(const Baseline& baseline, unsigned depth) {
    DirectorySums sums;
    for (const BaselineRow& row : baseline.rows) {
        sums.add(baseline.path(row), row.counts, depth);
    }
    return sums.take();
}

void compareDirectories(std::vector<DirectoryRow>& rows, const std::vector<DirectoryRow>& old,
                        bool onlyChanged, std::vector<DirectoryChange>& changes) {
    std::vector<std::string_view> newKeys;
    for (const DirectoryRow& row : rows) {
        newKeys.emplace_back(row.directory);
    }
    std::vector<std::string_view> oldKeys;
    for (const DirectoryRow& row : old) {
        oldKeys.emplace_back(row.directory);
    }
    const std::vector<std::uint32_t> matches = matchInOrder(newKeys, oldKeys);
    std::vector<bool> matched(old.size(), false);
    changes.clear();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        DirectoryChange change{ChangeKind::Added, rows[i].counts};
        if (const std::uint32_t j = matches[i]; j != kNoMatch) {
            matched[j] = true;
            for (std::size_t c = 0; c < 5; ++c) {
                change.counts[c] = saturatingSub(change.counts[c], old[j].counts[c]);
            }
            change.kind = change.counts == std::array<std::int32_t, 5>{} ? ChangeKind::Same
                                                                         : ChangeKind::Changed;
        }
        changes.push_back(change);
    }
    for (std::size_t j = 0; j < old.size(); ++j) {
        if (!matched[j]) {
            rows.push_back({old[j].directory, {}, true});
            DirectoryChange change{ChangeKind::Removed, {}};
            for (std::size_t c = 0; c < 5; ++c) {
                change.counts[c] = -old[j].counts[c];
            }
            changes.push_back(change);
        }
    }
    if (onlyChanged) {
        dropUnchanged(rows, changes);
    }
}

void sortDirectories(std::vector<DirectoryRow>& rows, std::vector<DirectoryChange>& changes,
                     SortKey key) {
    const auto field = static_cast<std::size_t>(key.field);  // files is 1, as in the counts
    const std::vector<std::size_t> order =
        stableOrder(rows.size(), [&](std::size_t a, std::size_t b) {
            if (key.field == SortField::Path) {
                return compareRowTexts(rows[a].directory, rows[b].directory) < 0;
            }
            if (key.change) {
                return changes[a].counts[field - 1] < changes[b].counts[field - 1];
            }
            return rows[a].counts[field - 1] < rows[b].counts[field - 1];
        });
    reorder(rows, order);
    reorder(changes, order);
}

void formatDirectories(std::string& out, const std::vector<DirectoryRow>& rows,
                       const std::vector<DirectoryChange>& changes, const RunResult& run,
                       Format format) {
    const std::size_t columns =
        run.totalsChange ? std::size(kDirectoryColumns) : kPlainDirectoryColumns;
    writeTable(out, std::span(kDirectoryColumns, columns), DirectoryTable(rows, changes), format,
               runEnd(run, "directories"));
}

}  // namespace lw::cli
