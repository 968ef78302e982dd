#include "cli/baseline.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <span>

#include "cli/hex.h"
#include "cli/row_diff.h"
#include "cli/text_escape.h"
#include "count/file_counts.h"
#include "count/row_compare.h"

namespace lw::cli {

namespace {

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

// The members of each object of the output, in the order of their enumerators; the required
// ones come first.
enum class TopMember { Rows, Totals, Failed, Status, TotalsChange };
constexpr std::string_view kTopMembers[] = {"rows", "totals", "failed", "status", "totals_change"};
constexpr std::size_t kTopRequired = 4;

enum class RowMember { Path, Fixmes, Code, Comments, Total, PathHex, Compare };
constexpr std::string_view kRowMembers[] = {"path",  "fixmes",   "code",   "comments",
                                            "total", "path_hex", "compare"};
constexpr std::size_t kRowRequired = 5;

enum class CompareMember { Change, Fixmes, Code, Comments, Total };
constexpr std::string_view kCompareMembers[] = {"change", "fixmes", "code", "comments", "total"};

enum class TotalsMember { Files, Fixmes, Code, Comments, Total };
constexpr std::string_view kTotalsMembers[] = {"files", "fixmes", "code", "comments", "total"};

// The members one object of the output may hold, and those a reader has met in it. A member that
// comes twice is refused: readers that keep the first and readers that keep the last would see
// different files.
template <typename Member>
class Members {
  public:
    // The owner is named in messages: "row 3" for owner "row" and number 3.
    Members(std::span<const std::string_view> names, std::size_t required, std::string_view owner,
            std::size_t number = 0)
        : names_(names), required_(required), owner_(owner), number_(number) {}

    // The next member, its name in key, or nothing at the end of the object.
    std::optional<Member> next(JsonReader& json, std::string& key) {
        if (!json.nextMember(key)) {
            for (std::size_t i = 0; i < required_; ++i) {
                if ((seen_ & (1u << i)) == 0) {
                    json.fail(owner() + " has no " + quoted(names_[i]));
                }
            }
            return std::nullopt;
        }
        for (std::size_t i = 0; i < names_.size(); ++i) {
            if (names_[i] == key) {
                if ((seen_ & (1u << i)) != 0) {
                    json.fail(owner() + " has " + quoted(key) + " twice");
                }
                seen_ |= 1u << i;
                return static_cast<Member>(i);
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
    Members<CompareMember> members(kCompareMembers, std::size(kCompareMembers),
                                   "the \"compare\" of row", row);
    ChangeKind kind = ChangeKind::Same;
    std::string key;
    json.beginObject();
    while (const std::optional<CompareMember> member = members.next(json, key)) {
        if (*member != CompareMember::Change) {
            json.readInteger(-kMaxChange, kMaxChange);
            continue;
        }
        const std::string text = json.readString();
        const std::optional<ChangeKind> found = changeKindNamed(text);
        if (!found) {
            json.fail("row " + std::to_string(row) + " has an unknown change " + quoted(text));
        }
        kind = *found;
    }
    return kind;
}

// One row, added to the baseline unless it is a removed row of an earlier comparison, which
// that run did not count. Its path is read straight onto the end of the baseline's paths.
void readRow(JsonReader& json, std::size_t number, Baseline& baseline) {
    Members<RowMember> members(kRowMembers, kRowRequired, "row", number);
    std::string& paths = baseline.paths;
    const std::size_t start = paths.size();
    std::optional<std::string> bytes;
    BaselineRow row;
    int nulls = 0;
    ChangeKind kind = ChangeKind::Same;
    std::string key;
    json.beginObject();
    while (const std::optional<RowMember> member = members.next(json, key)) {
        switch (*member) {
            case RowMember::Path:
                json.readString(paths);
                break;
            case RowMember::PathHex:
                bytes = fromHex(json.readString());
                if (!bytes) {
                    json.fail(members.owner() + " has a \"path_hex\" that is not hexadecimal");
                }
                break;
            case RowMember::Compare:
                kind = readRowChange(json, number);
                break;
            case RowMember::Fixmes:
            case RowMember::Code:
            case RowMember::Comments:
            case RowMember::Total:
                if (json.readNull()) {
                    ++nulls;
                } else {
                    const auto count = static_cast<std::size_t>(*member) -
                                       static_cast<std::size_t>(RowMember::Fixmes);
                    row.counts[count] = static_cast<std::int32_t>(json.readInteger(0, kMaxCount));
                }
                break;
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
    Members<TotalsMember> members(kTotalsMembers, std::size(kTotalsMembers), "\"totals\"");
    std::string key;
    json.beginObject();
    while (const std::optional<TotalsMember> member = members.next(json, key)) {
        const auto value = static_cast<std::int32_t>(json.readInteger(0, kMaxCount));
        switch (*member) {
            case TotalsMember::Files:
                totals.files = value;
                break;
            case TotalsMember::Fixmes:
                totals.fixmes = value;
                break;
            case TotalsMember::Code:
                totals.code = value;
                break;
            case TotalsMember::Comments:
                totals.comments = value;
                break;
            case TotalsMember::Total:
                totals.total = value;
                break;
        }
    }
}

void readTotalsChange(JsonReader& json) {
    Members<TotalsMember> members(kTotalsMembers, std::size(kTotalsMembers), "\"totals_change\"");
    std::string key;
    json.beginObject();
    while (members.next(json, key)) {
        json.readInteger(-kMaxChange, kMaxChange);
    }
}

}  // namespace

std::array<std::int32_t, 4> rowCounts(const ResultRow& row) {
    return {atoiSaturating(row.cells[1]), atoiSaturating(row.cells[2]),
            atoiSaturating(row.cells[3]), atoiSaturating(row.cells[4])};
}

Baseline baselineOf(const std::vector<ResultRow>& rows, const RunTotals& totals) {
    Baseline baseline;
    baseline.rows.reserve(rows.size());
    for (const ResultRow& row : rows) {
        baseline.addRow(row.cells[0], rowCounts(row));
    }
    baseline.totals = totals;
    return baseline;
}

Baseline parseBaseline(JsonReader& json, std::size_t textSize) {
    Members<TopMember> members(kTopMembers, kTopRequired, "the output");
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
    while (const std::optional<TopMember> member = members.next(json, key)) {
        switch (*member) {
            case TopMember::Rows:
                json.beginArray();
                while (json.nextElement()) {
                    readRow(json, ++rowsRead, baseline);
                }
                break;
            case TopMember::Totals:
                readTotals(json, baseline.totals);
                break;
            case TopMember::Failed:
                json.beginArray();
                for (; json.nextElement(); ++failed) {
                    json.readString();
                }
                break;
            case TopMember::Status:
                status = json.readString();
                break;
            case TopMember::TotalsChange:
                readTotalsChange(json);
                break;
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
    if (status != statusLineText(t)) {
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

}  // namespace lw::cli
