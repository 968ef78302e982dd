#include "cli/compare.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <numeric>
#include <span>

#include "cli/json_reader.h"
#include "cli/output.h"
#include "count/file_counts.h"
#include "count/row_compare.h"

namespace lw::cli {

namespace {

constexpr std::array<std::string_view, 4> kCountNames = {"fixmes", "code", "comments", "total"};
constexpr std::array<std::string_view, 4> kChangeNames = {"added", "removed", "changed", "same"};
constexpr std::int64_t kMaxCount = std::numeric_limits<std::int32_t>::max();
// A change is the difference of two counts of 0 to kMaxCount, so it stays within this either way.
constexpr std::int64_t kMaxChange = kMaxCount;
// Far beyond the output of any run (a million rows write some 100 MB); a larger file is not one.
constexpr std::size_t kMaxBaselineBytes = std::size_t{1} << 30;

// Built by appending: GCC 12 warns falsely (-Wrestrict) on a literal + a temporary string.
std::string quoted(std::string_view name) {
    std::string text = "\"";
    text += name;
    text += '"';
    return text;
}

constexpr std::string_view kTopMembers[] = {"rows", "totals", "failed", "status", "totals_change"};
constexpr std::string_view kRowMembers[] = {"path",  "fixmes",   "code",   "comments",
                                            "total", "path_hex", "compare"};
constexpr std::string_view kCompareMembers[] = {"change", "fixmes", "code", "comments", "total"};
constexpr std::string_view kTotalsMembers[] = {"files", "fixmes", "code", "comments", "total"};

// The members one object of the output may hold, the required ones first, and those a reader
// has met in it. A member that comes twice is refused: readers that keep the first and readers
// that keep the last would see different files.
class Members {
  public:
    // The owner is named in messages: "row 3" for owner "row" and number 3.
    Members(std::span<const std::string_view> names, std::size_t required, std::string_view owner,
            std::size_t number = 0)
        : names_(names), required_(required), owner_(owner), number_(number) {}

    // The index of the next member's name, or -1 at the end of the object.
    int next(JsonReader& json, std::string& key) {
        if (!json.nextMember(key)) {
            for (std::size_t i = 0; i < required_; ++i) {
                if ((seen_ & (1u << i)) == 0) {
                    json.fail(owner() + " has no " + quoted(names_[i]));
                }
            }
            return -1;
        }
        for (std::size_t i = 0; i < names_.size(); ++i) {
            if (names_[i] == key) {
                if ((seen_ & (1u << i)) != 0) {
                    json.fail(owner() + " has " + quoted(key) + " twice");
                }
                seen_ |= 1u << i;
                return static_cast<int>(i);
            }
        }
        json.fail(owner() + " has an unknown member " + quoted(key));
    }

    // Made only for a message, as most objects never need it.
    std::string owner() const {
        std::string text(owner_);
        if (number_ > 0) {
            text += ' ';
            text += std::to_string(number_);
        }
        return text;
    }

  private:
    std::span<const std::string_view> names_;
    std::size_t required_;
    std::string_view owner_;
    std::size_t number_;
    unsigned seen_ = 0;
};

// The "compare" member of a row written by a run with --compare; only its kind matters here.
ChangeKind readRowChange(JsonReader& json, std::size_t row) {
    Members members(kCompareMembers, std::size(kCompareMembers), "the \"compare\" of row", row);
    ChangeKind kind = ChangeKind::Same;
    std::string key;
    json.beginObject();
    for (int index; (index = members.next(json, key)) >= 0;) {
        if (index == 0) {
            const std::string text = json.readString();
            const auto* found = std::find(kChangeNames.begin(), kChangeNames.end(), text);
            if (found == kChangeNames.end()) {
                json.fail("row " + std::to_string(row) + " has an unknown change " + quoted(text));
            }
            kind = static_cast<ChangeKind>(found - kChangeNames.begin());
        } else {
            json.readInteger(-kMaxChange, kMaxChange);
        }
    }
    return kind;
}

// One row, added to the baseline unless it is a removed row of an earlier comparison, which
// that run did not count. Its path is read straight onto the end of the baseline's paths.
void readRow(JsonReader& json, std::size_t number, Baseline& baseline) {
    Members members(kRowMembers, 5, "row", number);
    std::string& paths = baseline.paths;
    const std::size_t start = paths.size();
    std::optional<std::string> bytes;
    BaselineRow row;
    int nulls = 0;
    ChangeKind kind = ChangeKind::Same;
    std::string key;
    json.beginObject();
    for (int index; (index = members.next(json, key)) >= 0;) {
        if (index == 0) {
            json.readString(paths);
        } else if (index == 5) {
            bytes = fromHex(json.readString());
            if (!bytes) {
                json.fail(members.owner() + " has a \"path_hex\" that is not hexadecimal");
            }
        } else if (index == 6) {
            kind = readRowChange(json, number);
        } else if (json.readNull()) {
            ++nulls;
        } else {
            row.counts[static_cast<std::size_t>(index - 1)] =
                static_cast<std::int32_t>(json.readInteger(0, kMaxCount));
        }
    }
    // A removed row has no counts in the run that wrote it; every other row has all four.
    const bool removed = kind == ChangeKind::Removed;
    if (nulls != (removed ? 4 : 0)) {
        json.fail(members.owner() +
                  (removed ? " is removed yet has counts" : " has a count of null"));
    }
    if (bytes) {
        // The path is the bytes as the json output shows them; a mismatch means an edit.
        std::string shown;
        std::string given;
        appendJsonString(shown, *bytes);
        appendJsonString(given, std::string_view(paths).substr(start));
        if (shown != given) {
            json.fail(members.owner() + " has a \"path_hex\" that is not its \"path\"");
        }
        paths.resize(start);
        paths += *bytes;
    }
    if (removed) {
        paths.resize(start);
        return;
    }
    row.pathStart = static_cast<std::uint32_t>(start);
    row.pathLength = static_cast<std::uint32_t>(paths.size() - start);
    baseline.rows.push_back(row);
}

void readTotals(JsonReader& json, RunTotals& totals) {
    Members members(kTotalsMembers, std::size(kTotalsMembers), "\"totals\"");
    std::string key;
    json.beginObject();
    for (int index; (index = members.next(json, key)) >= 0;) {
        const auto value = static_cast<std::int32_t>(json.readInteger(0, kMaxCount));
        std::int32_t* const fields[] = {&totals.files, &totals.fixmes, &totals.code,
                                        &totals.comments, &totals.total};
        *fields[index] = value;
    }
}

void readTotalsChange(JsonReader& json) {
    Members members(kTotalsMembers, std::size(kTotalsMembers), "\"totals_change\"");
    std::string key;
    json.beginObject();
    while (members.next(json, key) >= 0) {
        json.readInteger(-kMaxChange, kMaxChange);
    }
}

std::string signedText(std::int64_t value) {
    std::string text = value > 0 ? "+" : "";
    text += std::to_string(value);
    return text;
}

std::array<std::int32_t, 4> rowCounts(const ResultRow& row) {
    return {atoiSaturating(row.cells[1]), atoiSaturating(row.cells[2]),
            atoiSaturating(row.cells[3]), atoiSaturating(row.cells[4])};
}

}  // namespace

Baseline parseBaseline(JsonReader& json, std::size_t textSize) {
    Members members(kTopMembers, 4, "the output");
    Baseline baseline;
    // Room for all the rows and paths the text can hold, so that they are never copied as they
    // grow; the pages of room that stays unused are never touched, and cost nothing.
    constexpr std::size_t kShortestRow =
        sizeof R"({"path":"","fixmes":0,"code":0,"comments":0,"total":0})" - 1;
    constexpr std::size_t kMostReserved = std::size_t{64} << 20;
    baseline.rows.reserve(std::min(textSize, kMostReserved) / kShortestRow);
    baseline.paths.reserve(std::min(textSize, kMostReserved));
    std::size_t failed = 0;
    std::size_t rowsRead = 0;
    std::string status;
    std::string key;
    json.beginObject();
    for (int index; (index = members.next(json, key)) >= 0;) {
        if (index == 0) {
            json.beginArray();
            while (json.nextElement()) {
                readRow(json, ++rowsRead, baseline);
            }
        } else if (index == 1) {
            readTotals(json, baseline.totals);
        } else if (index == 2) {
            json.beginArray();
            for (; json.nextElement(); ++failed) {
                json.readString();
            }
        } else if (index == 3) {
            status = json.readString();
        } else {
            readTotalsChange(json);
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
        throw JsonError("",
                        "its rows do not add up to its \"totals\"; was it written with "
                        "--only-changed, or edited?");
    }
    if (status != FormatStatusLine(t)) {
        throw JsonError("", "its \"status\" is not the status line of its \"totals\"");
    }
    return baseline;
}

Baseline parseBaseline(std::string_view text) {
    JsonReader json(text);
    return parseBaseline(json, text.size());
}

std::optional<std::string> readBaseline(const std::string& fileName, Baseline& baseline) {
    const std::string prefix = "cannot compare with " + fileName + ": ";
    std::FILE* file = std::fopen(fileName.c_str(), "rb");
    if (file == nullptr) {
        return prefix + std::strerror(errno);
    }
    // Read in pieces, so that only the rows are kept, not the text they came in.
    struct ReadFailed {
        int error;
    };
    struct TooLarge {};
    std::size_t size = 0;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        size = static_cast<std::size_t>(std::max(0L, std::ftell(file)));
    }
    std::rewind(file);
    std::vector<char> buffer(64 * 1024);
    std::size_t total = 0;
    JsonReader json([&]() {
        errno = 0;
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file);
        if (got == 0 && std::ferror(file) != 0) {
            throw ReadFailed{errno};
        }
        total += got;
        if (total > kMaxBaselineBytes) {
            throw TooLarge{};
        }
        return std::string_view(buffer.data(), got);
    });
    std::optional<std::string> message;
    try {
        baseline = parseBaseline(json, size);
    } catch (const ReadFailed& e) {
        message = prefix + (e.error != 0 ? std::strerror(e.error) : "a read failed");
    } catch (const TooLarge&) {
        message = prefix + "it is larger than the output of any run";
    } catch (const JsonError& e) {
        if (total == 0) {
            message = prefix + "it is empty, not the JSON output of linewright-count";
        } else {
            const std::string where = e.position().empty() ? "" : e.position() + ": ";
            message =
                prefix + "it is not the JSON output of linewright-count (" + where + e.what() + ")";
        }
    }
    std::fclose(file);
    return message;
}

void compareRows(std::vector<ResultRow>& rows, const Baseline& baseline, bool onlyChanged,
                 std::vector<RowChange>& changes) {
    constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
    const std::vector<BaselineRow>& old = baseline.rows;
    // The earlier rows by path, in a table of open addressing: a slot holds a row of its path,
    // which names the slot, and the first row of that path not yet matched; next[i] is the row
    // of the same path after row i. Flat arrays, as a baseline may hold a great many rows.
    struct Slot {
        std::uint32_t key = kNone;
        std::uint32_t first = kNone;
    };
    // At most two slots in three taken, so that a search ends soon.
    const std::size_t mask = std::bit_ceil(std::max<std::size_t>(16, old.size() * 3 / 2 + 1)) - 1;
    std::vector<Slot> slots(mask + 1);
    const auto slotOf = [&](std::string_view path) -> Slot& {
        for (std::size_t i = std::hash<std::string_view>{}(path)&mask;; i = (i + 1) & mask) {
            if (slots[i].key == kNone || baseline.path(old[slots[i].key]) == path) {
                return slots[i];
            }
        }
    };
    std::vector<std::uint32_t> next(old.size(), kNone);
    for (std::size_t i = old.size(); i-- > 0;) {
        Slot& slot = slotOf(baseline.path(old[i]));
        next[i] = slot.first;
        slot.key = slot.first = static_cast<std::uint32_t>(i);
    }

    std::vector<bool> matched(old.size(), false);
    changes.clear();
    changes.reserve(rows.size());
    for (const ResultRow& row : rows) {
        RowChange change;
        change.counts = rowCounts(row);
        Slot& slot = slotOf(row.cells[0]);
        if (slot.first == kNone) {
            change.kind = ChangeKind::Added;
        } else {
            const std::uint32_t j = slot.first;
            slot.first = next[j];
            matched[j] = true;
            for (std::size_t c = 0; c < 4; ++c) {
                change.counts[c] -= old[j].counts[c];
            }
            change.kind = change.counts == std::array<std::int32_t, 4>{} ? ChangeKind::Same
                                                                         : ChangeKind::Changed;
        }
        changes.push_back(change);
    }
    for (std::size_t j = 0; j < old.size(); ++j) {
        if (!matched[j]) {
            ResultRow row;
            row.cells[0] = baseline.path(old[j]);
            row.tag = static_cast<std::intptr_t>(rows.size());
            rows.push_back(std::move(row));
            RowChange change;
            change.kind = ChangeKind::Removed;
            for (std::size_t c = 0; c < 4; ++c) {
                change.counts[c] = -old[j].counts[c];
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
