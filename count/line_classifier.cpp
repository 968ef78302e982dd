#include "count/line_classifier.h"

#include <cstdint>
#include <cstring>
#include <limits>

#include "count/line_source.h"

namespace lw {

namespace {

constexpr std::size_t kNone = std::string_view::npos;
constexpr std::string_view kFixme = "FIXME";

// Only these ASCII bytes are white space; a byte of 0x80 or above never is, so a double-byte
// space of the code page survives the trim.
constexpr bool isSpace(unsigned char c) {
    return c == ' ' || (c >= 0x09 && c <= 0x0D);
}

// Counters saturate instead of wrapping: a wrapped count would show a negative number of lines.
inline void bump(std::int32_t& counter) {
    if (counter != std::numeric_limits<std::int32_t>::max()) {
        ++counter;
    }
}

enum class Marker : unsigned char { None, LineComment, BlockOpen, BlockClose };

struct Leader {
    Marker marker = Marker::None;
    std::size_t pos = kNone;
};

// Byte search: exact for code pages in which a byte below 0x80 is always a whole character. Every
// marker holds a '/', so the first '/' that belongs to a marker gives the leader: a "*/" that ends
// on it begins one byte earlier than a "//" or "/*" that starts on it.
class ByteFinder {
  public:
    explicit ByteFinder(std::string_view text) : text_(text) {}

    Leader leader(std::size_t start) const {
        const char* data = text_.data();
        const std::size_t size = text_.size();
        std::size_t i = start;
        while (i < size) {
            const void* hit = std::memchr(data + i, '/', size - i);
            if (hit == nullptr) {
                break;
            }
            i = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
            if (i > start && data[i - 1] == '*') {
                return {Marker::BlockClose, i - 1};
            }
            if (i + 1 < size) {
                if (data[i + 1] == '/') {
                    return {Marker::LineComment, i};
                }
                if (data[i + 1] == '*') {
                    return {Marker::BlockOpen, i};
                }
            }
            ++i;
        }
        return {};
    }

    bool containsFixme() const { return text_.find(kFixme) != kNone; }

  private:
    std::string_view text_;
};

// Steps through the text a whole character at a time, so that no match begins on a trail byte.
// Each marker's last position is kept and searched for again only once the scan has moved past
// it: text already known to hold no marker of a kind is never searched twice, which keeps a line
// of many markers linear.
class SteppingFinder {
  public:
    SteppingFinder(std::string_view text, const CodePage& codePage)
        : text_(text), codePage_(codePage) {}

    Leader leader(std::size_t start) {
        Leader best;
        for (int k = 0; k < 3; ++k) {
            if (!known_[k] || (found_[k] != kNone && found_[k] < start)) {
                found_[k] = find(start, kMarkers[k]);
                known_[k] = true;
            }
            if (found_[k] < best.pos) {
                best = {static_cast<Marker>(k + 1), found_[k]};
            }
        }
        return best;
    }

    bool containsFixme() const { return find(0, kFixme) != kNone; }

  private:
    static constexpr std::string_view kMarkers[3] = {"//", "/*", "*/"};

    std::size_t find(std::size_t from, std::string_view needle) const {
        for (std::size_t i = from; i + needle.size() <= text_.size();
             i += codePage_.charLength(text_, i)) {
            if (text_.compare(i, needle.size(), needle) == 0) {
                return i;
            }
        }
        return kNone;
    }

    std::string_view text_;
    const CodePage& codePage_;
    std::size_t found_[3] = {kNone, kNone, kNone};
    bool known_[3] = {false, false, false};
};

std::string_view trimBytes(std::string_view line) {
    std::size_t begin = 0;
    std::size_t end = line.size();
    while (begin < end && isSpace(static_cast<unsigned char>(line[begin]))) {
        ++begin;
    }
    while (end > begin && isSpace(static_cast<unsigned char>(line[end - 1]))) {
        --end;
    }
    return line.substr(begin, end - begin);
}

// The trailing run is found walking forward, because walking back from the end cannot tell a
// trail byte from a single-byte character.
std::string_view trimStepping(std::string_view line, const CodePage& codePage) {
    std::size_t begin = 0;
    while (begin < line.size() && isSpace(static_cast<unsigned char>(line[begin]))) {
        begin += codePage.charLength(line, begin);
    }
    std::size_t cut = line.size();
    bool inRun = false;
    for (std::size_t i = begin; i < line.size(); i += codePage.charLength(line, i)) {
        if (isSpace(static_cast<unsigned char>(line[i]))) {
            if (!inRun) {
                cut = i;
                inRun = true;
            }
        } else {
            inRun = false;
        }
    }
    if (!inRun) {
        cut = line.size();
    }
    return line.substr(begin, cut - begin);
}

bool isSkipped(std::string_view trimmed) {
    return trimmed.empty() || trimmed == "{" || trimmed == "}";
}

// The per-line rules after the trim, written once for both ways of searching.
template <typename Finder>
void classifyTrimmed(std::string_view text, Finder& finder, FileCounts& counts,
                     bool& inBlockComment) {
    if (finder.containsFixme()) {
        bump(counts.fixmes);
    }
    bump(counts.total);

    std::size_t start = 0;
    for (;;) {
        const Leader leader = finder.leader(start);
        switch (leader.marker) {
            case Marker::None:
                bump(counts.code);
                return;
            case Marker::LineComment:
                if (!inBlockComment) {
                    if (leader.pos > start) {
                        bump(counts.code);
                    }
                    bump(counts.comments);
                    return;
                }
                break;
            case Marker::BlockOpen:
                if (!inBlockComment) {
                    if (leader.pos > start) {
                        bump(counts.code);
                    }
                    bump(counts.comments);
                    inBlockComment = true;
                }
                break;
            case Marker::BlockClose:
                inBlockComment = false;
                break;
        }
        start = leader.pos + 2;
        if (start >= text.size()) {
            return;
        }
    }
}

}  // namespace

LineClassifier::LineClassifier(const CodePage& codePage, ScanPath path)
    : codePage_(codePage),
      stepping_(path == ScanPath::CharacterStepping || !codePage.stepsByByte()) {}

void LineClassifier::classifyLine(std::string_view line) {
    if (stepping_) {
        const std::string_view trimmed = trimStepping(line, codePage_);
        if (isSkipped(trimmed)) {
            return;
        }
        SteppingFinder finder(trimmed, codePage_);
        classifyTrimmed(trimmed, finder, counts_, inBlockComment_);
    } else {
        const std::string_view trimmed = trimBytes(line);
        if (isSkipped(trimmed)) {
            return;
        }
        ByteFinder finder(trimmed);
        classifyTrimmed(trimmed, finder, counts_, inBlockComment_);
    }
}

void LineClassifier::classifyBlock(std::string_view block) {
    // Every CR and every LF ends a line here. A CR LF pair thus yields an extra empty line, which
    // is skipped and changes nothing, so the counts equal those of the line-by-line reading.
    std::size_t begin = 0;
    while (begin < block.size()) {
        std::size_t end = begin;
        while (end < block.size() && block[end] != '\n' && block[end] != '\r') {
            ++end;
        }
        classifyLine(block.substr(begin, end - begin));
        begin = end + 1;
    }
}

FileCounts LineClassifier::classifyFile(LineSource& source) {
    counts_ = FileCounts{};
    inBlockComment_ = false;
    std::string_view line;
    while (source.readLine(line)) {
        classifyLine(line);
    }
    return counts_;
}

}  // namespace lw
