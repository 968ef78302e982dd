#include "cli/compare.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <numeric>
#include <unordered_map>

#include "cli/json_reader.h"
#include "cli/output.h"
#include "count/file_counts.h"
#include "count/row_compare.h"

namespace lw::cli {

namespace {

constexpr std::array<std::string_view, 4> kCountNames = {"fixmes", "code", "comments", "total"};
constexpr std::array<std::string_view, 4> kChangeNames = {"added", "removed", "changed", "same"};
constexpr std::int64_t kMaxCount = std::numeric_limits<std::int32_t>::max();
// A change is the difference of two counts, so it never goes beyond this either way.
constexpr std::int64_t kMaxChange = std::int64_t{1} << 32;
// Far beyond the output of any run (a million rows write some 100 MB); a larger file is not one.
constexpr std::size_t kMaxBaselineBytes = std::size_t{1} << 30;

std::string quoted(std::string_view name) {
    return "\"" + std::string(name) + "\"";
}

int countIndex(std::string_view key) {
    const auto* found = std::find(kCountNames.begin(), kCountNames.end(), key);
    return found == kCountNames.end() ? -1 : static_cast<int>(found - kCountNames.begin());
}

// Notes a member as read; a second one of the same name is an error, as a reader that keeps
// the last would silently differ from one that keeps the first.
void markSeen(std::vector<std::string_view>& seen, std::string_view key, std::size_t keyOffset) {
    if (std::find(seen.begin(), seen.end(), key) != seen.end()) {
        throw JsonError(keyOffset, quoted(key) + " appears twice");
    }
    seen.push_back(key);
}

std::string_view seenName(const std::vector<std::string_view>& names, std::string_view key) {
    const auto found = std::find(names.begin(), names.end(), key);
    return found == names.end() ? std::string_view() : *found;
}

// The "compare" member of a row written by a run with --compare; only its kind matters here.
ChangeKind readRowChange(JsonReader& json, std::size_t row) {
    static const std::vector<std::string_view> kMembers = {"change", "fixmes", "code", "comments",
                                                           "total"};
    std::vector<std::string_view> seen;
    std::optional<ChangeKind> kind;
    std::string key;
    json.beginObject();
    while (json.nextMember(key)) {
        const std::size_t at = json.offset();
        const std::string_view name = seenName(kMembers, key);
        if (name.empty()) {
            json.fail("row " + std::to_string(row) + " compares with an unknown member " +
                      quoted(key));
        }
        markSeen(seen, name, at);
        if (name == "change") {
            const std::string text = json.readString();
            const auto* found = std::find(kChangeNames.begin(), kChangeNames.end(), text);
            if (found == kChangeNames.end()) {
                throw JsonError(
                    at, "row " + std::to_string(row) + " has an unknown change " + quoted(text));
            }
            kind = static_cast<ChangeKind>(found - kChangeNames.begin());
        } else {
            json.readInteger(-kMaxChange, kMaxChange);
        }
    }
    if (seen.size() != kMembers.size()) {
        json.fail("row " + std::to_string(row) + " has an incomplete \"compare\"");
    }
    return *kind;
}

// One row; false for a removed row of an earlier comparison, which that run did not count.
bool readRow(JsonReader& json, std::size_t row, BaselineRow& out) {
    static const std::vector<std::string_view> kMembers = {"path",     "path_hex", "fixmes", "code",
                                                           "comments", "total",    "compare"};
    const std::string number = "row " + std::to_string(row);
    std::vector<std::string_view> seen;
    std::optional<std::string> path;
    std::optional<std::string> hex;
    std::size_t hexOffset = 0;
    int nulls = 0;
    ChangeKind kind = ChangeKind::Same;
    std::string key;
    json.beginObject();
    while (json.nextMember(key)) {
        const std::size_t at = json.offset();
        const std::string_view name = seenName(kMembers, key);
        if (name.empty()) {
            json.fail(number + " has an unknown member " + quoted(key));
        }
        markSeen(seen, name, at);
        if (name == "path") {
            path = json.readString();
        } else if (name == "path_hex") {
            hexOffset = json.offset();
            hex = json.readString();
        } else if (name == "compare") {
            kind = readRowChange(json, row);
        } else if (json.readNull()) {
            ++nulls;
        } else {
            out.counts[static_cast<std::size_t>(countIndex(name))] =
                static_cast<std::int32_t>(json.readInteger(0, kMaxCount));
        }
    }
    for (const std::string_view name : kMembers) {
        if (name != "path_hex" && name != "compare" && seenName(seen, name).empty()) {
            json.fail(number + " has no " + quoted(name));
        }
    }
    // A removed row has no counts in the run that wrote it; every other row has all four.
    const bool removed = kind == ChangeKind::Removed;
    if (nulls != (removed ? 4 : 0)) {
        json.fail(number + (removed ? " is removed yet has counts" : " has a count of null"));
    }
    if (hex) {
        std::optional<std::string> bytes = fromHex(*hex);
        if (!bytes) {
            throw JsonError(hexOffset, number + " has a \"path_hex\" that is not hexadecimal");
        }
        // The path is the bytes as the json output shows them; a mismatch means an edit.
        std::string shown;
        std::string given;
        appendJsonString(shown, *bytes);
        appendJsonString(given, *path);
        if (shown != given) {
            throw JsonError(hexOffset, number + " has a \"path_hex\" that is not its \"path\"");
        }
        path = std::move(bytes);
    }
    out.path = std::move(*path);
    return !removed;
}

void readTotals(JsonReader& json, RunTotals& totals) {
    static const std::vector<std::string_view> kMembers = {"files", "fixmes", "code", "comments",
                                                           "total"};
    std::vector<std::string_view> seen;
    std::string key;
    json.beginObject();
    while (json.nextMember(key)) {
        const std::size_t at = json.offset();
        const std::string_view name = seenName(kMembers, key);
        if (name.empty()) {
            json.fail("\"totals\" has an unknown member " + quoted(key));
        }
        markSeen(seen, name, at);
        const auto value = static_cast<std::int32_t>(json.readInteger(0, kMaxCount));
        (name == "files"      ? totals.files
         : name == "fixmes"   ? totals.fixmes
         : name == "code"     ? totals.code
         : name == "comments" ? totals.comments
                              : totals.total) = value;
    }
    if (seen.size() != kMembers.size()) {
        json.fail("\"totals\" lacks a member");
    }
}

void readTotalsChange(JsonReader& json) {
    static const std::vector<std::string_view> kMembers = {"files", "fixmes", "code", "comments",
                                                           "total"};
    std::vector<std::string_view> seen;
    std::string key;
    json.beginObject();
    while (json.nextMember(key)) {
        const std::size_t at = json.offset();
        const std::string_view name = seenName(kMembers, key);
        if (name.empty()) {
            json.fail("\"totals_change\" has an unknown member " + quoted(key));
        }
        markSeen(seen, name, at);
        json.readInteger(-kMaxChange, kMaxChange);
    }
    if (seen.size() != kMembers.size()) {
        json.fail("\"totals_change\" lacks a member");
    }
}

std::string signedText(std::int64_t value) {
    return value > 0 ? "+" + std::to_string(value) : std::to_string(value);
}

std::array<std::int64_t, 4> rowCounts(const ResultRow& row) {
    return {atoiSaturating(row.cells[1]), atoiSaturating(row.cells[2]),
            atoiSaturating(row.cells[3]), atoiSaturating(row.cells[4])};
}

}  // namespace

Baseline parseBaseline(std::string_view text) {
    static const std::vector<std::string_view> kMembers = {"rows", "totals", "failed", "status",
                                                           "totals_change"};
    JsonReader json(text);
    Baseline baseline;
    std::vector<std::string_view> seen;
    std::size_t failed = 0;
    std::size_t rowsRead = 0;
    std::string status;
    std::string key;
    json.beginObject();
    while (json.nextMember(key)) {
        const std::size_t at = json.offset();
        const std::string_view name = seenName(kMembers, key);
        if (name.empty()) {
            json.fail("unknown member " + quoted(key));
        }
        markSeen(seen, name, at);
        if (name == "rows") {
            json.beginArray();
            while (json.nextElement()) {
                BaselineRow row;
                ++rowsRead;
                if (readRow(json, rowsRead, row)) {
                    baseline.rows.push_back(std::move(row));
                }
            }
        } else if (name == "totals") {
            readTotals(json, baseline.totals);
        } else if (name == "failed") {
            json.beginArray();
            for (; json.nextElement(); ++failed) {
                json.readString();
            }
        } else if (name == "status") {
            status = json.readString();
        } else {
            readTotalsChange(json);
        }
    }
    for (const std::string_view name : {"rows", "totals", "failed", "status"}) {
        if (seenName(seen, name).empty()) {
            json.fail("there is no " + quoted(name));
        }
    }
    json.end();

    // The totals are the saturated sums of the rows, and every file is a row or a failure, so
    // a file whose rows were cut down (--only-changed) or edited shows here.
    std::array<std::int64_t, 4> sums{};
    for (const BaselineRow& row : baseline.rows) {
        for (std::size_t c = 0; c < 4; ++c) {
            sums[c] += row.counts[c];
        }
    }
    const RunTotals& t = baseline.totals;
    if (saturateToInt32(sums[0]) != t.fixmes || saturateToInt32(sums[1]) != t.code ||
        saturateToInt32(sums[2]) != t.comments || saturateToInt32(sums[3]) != t.total ||
        saturateToInt32(static_cast<std::int64_t>(baseline.rows.size() + failed)) != t.files) {
        throw JsonError(JsonError::kWhole,
                        "its rows do not add up to its \"totals\"; was it "
                        "written with --only-changed, or edited?");
    }
    if (status != FormatStatusLine(t)) {
        throw JsonError(JsonError::kWhole,
                        "its \"status\" is not the status line of its \"totals\"");
    }
    return baseline;
}

std::optional<std::string> readBaseline(const std::string& fileName, Baseline& baseline) {
    const std::string prefix = "cannot compare with " + fileName + ": ";
    std::FILE* file = std::fopen(fileName.c_str(), "rb");
    if (file == nullptr) {
        return prefix + std::strerror(errno);
    }
    std::string text;
    std::array<char, 64 * 1024> buffer;
    errno = 0;
    std::size_t got = 0;
    while (text.size() <= kMaxBaselineBytes &&
           (got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) {
        text.append(buffer.data(), got);
    }
    const int error = errno;
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        return prefix + std::strerror(error);
    }
    if (text.size() > kMaxBaselineBytes) {
        return prefix + "it is larger than the output of any run";
    }
    if (text.empty()) {
        return prefix + "it is empty, not the JSON output of linewright-count";
    }
    try {
        baseline = parseBaseline(text);
    } catch (const JsonError& e) {
        const std::string where =
            e.offset() == JsonError::kWhole ? "" : describePosition(text, e.offset()) + ": ";
        return prefix + "it is not the JSON output of linewright-count (" + where + e.what() + ")";
    }
    return std::nullopt;
}

void compareRows(std::vector<ResultRow>& rows, const Baseline& baseline, bool onlyChanged,
                 std::vector<RowChange>& changes) {
    constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
    const std::vector<BaselineRow>& old = baseline.rows;
    // The earlier rows of each path chained in their order: the map holds the first not yet
    // matched, next[i] the one after row i.
    std::unordered_map<std::string_view, std::size_t> firstOf;
    firstOf.reserve(old.size());
    std::vector<std::size_t> next(old.size(), kNone);
    for (std::size_t i = old.size(); i-- > 0;) {
        const auto [it, inserted] = firstOf.try_emplace(old[i].path, i);
        if (!inserted) {
            next[i] = it->second;
            it->second = i;
        }
    }

    std::vector<bool> matched(old.size(), false);
    changes.clear();
    changes.reserve(rows.size());
    for (const ResultRow& row : rows) {
        RowChange change;
        change.counts = rowCounts(row);
        const auto it = firstOf.find(row.cells[0]);
        if (it == firstOf.end() || it->second == kNone) {
            change.kind = ChangeKind::Added;
        } else {
            const std::size_t j = it->second;
            it->second = next[j];
            matched[j] = true;
            for (std::size_t c = 0; c < 4; ++c) {
                change.counts[c] -= old[j].counts[c];
            }
            change.kind = change.counts == std::array<std::int64_t, 4>{} ? ChangeKind::Same
                                                                         : ChangeKind::Changed;
        }
        changes.push_back(change);
    }
    for (std::size_t j = 0; j < old.size(); ++j) {
        if (!matched[j]) {
            ResultRow row;
            row.cells[0] = old[j].path;
            row.tag = static_cast<std::intptr_t>(rows.size());
            rows.push_back(std::move(row));
            RowChange change;
            change.kind = ChangeKind::Removed;
            for (std::size_t c = 0; c < 4; ++c) {
                change.counts[c] = -std::int64_t{old[j].counts[c]};
            }
            changes.push_back(change);
        }
    }

    if (onlyChanged) {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (changes[i].kind != ChangeKind::Same) {
                if (kept != i) {
                    rows[kept] = std::move(rows[i]);
                    rows[kept].tag = static_cast<std::intptr_t>(kept);
                    changes[kept] = changes[i];
                }
                ++kept;
            }
        }
        rows.resize(kept);
        changes.resize(kept);
    }
}

TotalsChange compareTotals(const RunTotals& totals, const Baseline& baseline) {
    const RunTotals& old = baseline.totals;
    return {std::int64_t{totals.files} - old.files, std::int64_t{totals.fixmes} - old.fixmes,
            std::int64_t{totals.code} - old.code, std::int64_t{totals.comments} - old.comments,
            std::int64_t{totals.total} - old.total};
}

void sortRows(std::vector<ResultRow>& rows, std::vector<RowChange>& changes, int column) {
    const auto c = static_cast<std::size_t>(column);
    std::vector<std::size_t> order(rows.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    // The File List's orders, and as stable as its sort, so equal rows keep the run's order.
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (column >= kFirstChangeColumn) {
            return changes[a].counts[c - kFirstChangeColumn] <
                   changes[b].counts[c - kFirstChangeColumn];
        }
        return c == 0 ? compareRowTexts(rows[a].cells[0], rows[b].cells[0]) < 0
                      : compareRowNumbers(rows[a].cells[c], rows[b].cells[c]) < 0;
    });
    std::vector<ResultRow> sortedRows;
    sortedRows.reserve(rows.size());
    std::vector<RowChange> sortedChanges;
    sortedChanges.reserve(changes.size());
    for (const std::size_t i : order) {
        sortedRows.push_back(std::move(rows[i]));
        sortedRows.back().tag = static_cast<std::intptr_t>(sortedRows.size() - 1);
        if (!changes.empty()) {
            sortedChanges.push_back(changes[i]);
        }
    }
    rows = std::move(sortedRows);
    changes = std::move(sortedChanges);
}

std::array<std::string, 5> changeCells(const RowChange& change) {
    return {signedText(change.counts[0]), signedText(change.counts[1]),
            signedText(change.counts[2]), signedText(change.counts[3]),
            std::string(kChangeNames[static_cast<std::size_t>(change.kind)])};
}

std::string changeStatusLine(const TotalsChange& change) {
    return "Change: FIXMEs " + signedText(change.fixmes) + " Code " + signedText(change.code) +
           " Comments " + signedText(change.comments) + " Total " + signedText(change.total);
}

void appendJsonRowChange(std::string& out, const RowChange& change) {
    out += ",\"compare\":{\"change\":\"";
    out += kChangeNames[static_cast<std::size_t>(change.kind)];
    out += '"';
    for (std::size_t c = 0; c < 4; ++c) {
        out += ",\"";
        out += kCountNames[c];
        out += "\":";
        out += std::to_string(change.counts[c]);
    }
    out += '}';
}

void appendJsonTotalsChange(std::string& out, const TotalsChange& change) {
    out += ",\"totals_change\":{\"files\":" + std::to_string(change.files) +
           ",\"fixmes\":" + std::to_string(change.fixmes) +
           ",\"code\":" + std::to_string(change.code) +
           ",\"comments\":" + std::to_string(change.comments) +
           ",\"total\":" + std::to_string(change.total) + "}";
}

std::vector<std::string> exceededLimits(const Limits& limits, const RunTotals& totals,
                                        const std::optional<TotalsChange>& change) {
    std::vector<std::string> messages;
    if (limits.maxFixmes && totals.fixmes > *limits.maxFixmes) {
        messages.push_back("the FIXMEs total " + std::to_string(totals.fixmes) +
                           " exceeds --max-fixmes " + std::to_string(*limits.maxFixmes) + " by " +
                           std::to_string(totals.fixmes - *limits.maxFixmes));
    }
    if (limits.maxNewFixmes && change && change->fixmes > *limits.maxNewFixmes) {
        messages.push_back("the FIXMEs total grew by " + std::to_string(change->fixmes) +
                           ", which exceeds --max-new-fixmes " +
                           std::to_string(*limits.maxNewFixmes) + " by " +
                           std::to_string(change->fixmes - *limits.maxNewFixmes));
    }
    return messages;
}

std::string toHex(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        hex += kHex[b >> 4];
        hex += kHex[b & 0xF];
    }
    return hex;
}

std::optional<std::string> fromHex(std::string_view hex) {
    const auto digit = [](char c) {
        return c >= '0' && c <= '9'   ? c - '0'
               : c >= 'a' && c <= 'f' ? c - 'a' + 10
               : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                      : -1;
    };
    if (hex.size() % 2 != 0) {
        return std::nullopt;
    }
    std::string bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = digit(hex[i]);
        const int low = digit(hex[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
}

}  // namespace lw::cli
