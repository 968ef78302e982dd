#include "count/line_classifier.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

#include "count/line_ends.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The marker that the '/' at `i` of the text ends or begins, if any, in the text from `start`
// on: a "*/" that ends on it begins one byte earlier than a "//" or "/*" that starts on it.
inline Leader markerAtSlash(const char* data, std::size_t size, std::size_t start, std::size_t i) {
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
    return {};
}

// The marker that two characters make, if any.
constexpr Marker markerOf(char first, char second) {
    if (first == '/') {
        return second == '/'   ? Marker::LineComment
               : second == '*' ? Marker::BlockOpen
                               : Marker::None;
    }
    return first == '*' && second == '/' ? Marker::BlockClose : Marker::None;
}

// The first '/' in [from, size), or `size`. Most lines are short, and for them a plain loop beats
// the call; memchr takes over for the rest of a long one.
inline std::size_t findSlash(const char* data, std::size_t from, std::size_t size) {
    const std::size_t shortEnd = size - from < 32 ? size : from + 32;
    for (; from < shortEnd; ++from) {
        if (data[from] == '/') {
            return from;
        }
    }
    if (from == size) {
        return size;
    }
    const void* hit = std::memchr(data + from, '/', size - from);
    return hit != nullptr ? static_cast<std::size_t>(static_cast<const char*>(hit) - data) : size;
}

// Byte search: exact for code pages in which a byte below 0x80 is always a whole character. Every
// marker holds a '/', so the first '/' that belongs to a marker gives the leader.
class ByteFinder {
  public:
    explicit ByteFinder(std::string_view text) : text_(text) {}

    Leader leader(std::size_t start) const {
        const char* data = text_.data();
        const std::size_t size = text_.size();
        std::size_t i = start;
        while (i < size) {
            i = findSlash(data, i, size);
            if (i == size) {
                break;
            }
            if (const Leader found = markerAtSlash(data, size, start, i);
                found.marker != Marker::None) {
                return found;
            }
            ++i;
        }
        return {};
    }

    bool containsFixme() const { return mayHoldFixme_ && text_.find(kFixme) != kNone; }

    // The caller knows that the text holds no 'F'.
    void ruleOutFixme() { mayHoldFixme_ = false; }

  private:
    std::string_view text_;
    bool mayHoldFixme_ = true;
};

// The byte search for a line that lies within one 64-byte chunk of the block scan, which already
// knows where its '/'s are: the markers are looked for at those bits alone.
class MaskFinder {
  public:
    // Bit i of `slashes` is set when text[i] is '/'; the text is at most 64 bytes long.
    MaskFinder(std::string_view text, std::uint64_t slashes, bool mayHoldFixme)
        : text_(text), slashes_(slashes), mayHoldFixme_(mayHoldFixme) {}

    Leader leader(std::size_t start) const {
        const char* data = text_.data();
        const std::size_t size = text_.size();
        std::uint64_t candidates = start >= 64 ? 0 : slashes_ & ~((std::uint64_t{1} << start) - 1);
        while (candidates != 0) {
            const auto i = static_cast<std::size_t>(std::countr_zero(candidates));
            if (const Leader found = markerAtSlash(data, size, start, i);
                found.marker != Marker::None) {
                return found;
            }
            candidates &= candidates - 1;
        }
        return {};
    }

    bool containsFixme() const { return mayHoldFixme_ && text_.find(kFixme) != kNone; }

  private:
    std::string_view text_;
    std::uint64_t slashes_;
    bool mayHoldFixme_;
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

// One step of the marker scan: acts on the marker that leads it, where `textBefore` tells whether
// text stands between the scan's start and the marker. False when the line is done.
inline bool actOnMarker(Marker marker, bool textBefore, FileCounts& counts, bool& inBlockComment) {
    switch (marker) {
        case Marker::LineComment:
            if (!inBlockComment) {
                if (textBefore) {
                    bump(counts.code);
                }
                bump(counts.comments);
                return false;
            }
            return true;
        case Marker::BlockOpen:
            if (!inBlockComment) {
                if (textBefore) {
                    bump(counts.code);
                }
                bump(counts.comments);
                inBlockComment = true;
            }
            return true;
        case Marker::BlockClose:
            inBlockComment = false;
            return true;
        case Marker::None:
            break;
    }
    return false;
}

// The per-line rules after the trim, written once for every way of searching.
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
        if (leader.marker == Marker::None) {
            bump(counts.code);
            return;
        }
        if (!actOnMarker(leader.marker, leader.pos > start, counts, inBlockComment)) {
            return;
        }
        start = leader.pos + 2;
        if (start >= text.size()) {
            return;
        }
    }
}

void classifyByteLine(std::string_view line, FileCounts& counts, bool& inBlockComment,
                      bool mayHoldFixme = true) {
    const std::string_view trimmed = trimBytes(line);
    if (isSkipped(trimmed)) {
        return;
    }
    ByteFinder finder(trimmed);
    if (!mayHoldFixme) {
        finder.ruleOutFixme();
    }
    classifyTrimmed(trimmed, finder, counts, inBlockComment);
}

using OpenLine = LineClassifier::OpenLine;

// The rules applied to a line that comes in pieces. What the rules ask of the whole line is kept
// as it goes: where the trim begins, whether the line is one that is skipped, whether it holds
// "FIXME", and for the marker scan whether text stands before the next marker and after the
// last. The trailing trim needs nothing: white space at the end adds nothing to any of these.
// Markers are acted on as they come; a line that holds one is never skipped.

// Ends the line whose pieces have all arrived.
void finishLine(OpenLine& line, FileCounts& counts) {
    const bool skipped = line.nonSpace == 0 || (line.nonSpace == 1 && line.brace);
    if (!skipped) {
        if (line.fixme) {
            bump(counts.fixmes);
        }
        bump(counts.total);
        // The scan ended on text that holds no marker.
        if (!line.scanDone && line.nonSpaceAfter) {
            bump(counts.code);
        }
    }
    line = OpenLine{};
}

// One character of the marker scan, given by its first byte.
inline void stepMarkerScan(OpenLine& line, unsigned char c, FileCounts& counts,
                           bool& inBlockComment) {
    if (line.pending != 0) {
        const Marker marker = markerOf(line.pending, static_cast<char>(c));
        line.pending = 0;
        if (marker != Marker::None) {
            if (!actOnMarker(marker, line.textBefore, counts, inBlockComment)) {
                line.scanDone = true;
                return;
            }
            line.textBefore = false;
            line.nonSpaceAfter = false;
            return;
        }
        line.textBefore = true;  // the '/' or '*' began no marker: it is text
    }
    if (c == '/' || c == '*') {
        line.pending = static_cast<char>(c);
    } else {
        line.textBefore = true;
    }
    if (!isSpace(c)) {
        line.nonSpaceAfter = true;
    }
}

// A piece of a line in a multi-byte code page, a character at a time. A lead byte and the byte
// after it are one character even when a piece ends between them; a lead byte that turns out to be
// the line's last is a character of its own, which makes no difference to anything counted.
void feedCharacters(OpenLine& line, std::string_view piece, const CodePage& codePage,
                    FileCounts& counts, bool& inBlockComment) {
    line.open = true;
    for (const char byte : piece) {
        const auto c = static_cast<unsigned char>(byte);
        if (line.trail) {
            line.trail = false;
            continue;
        }
        // A lead byte is 0x81 or above: never white space, a brace, a marker or part of "FIXME".
        line.trail = codePage.isLeadByte(c);
        const bool space = isSpace(c);
        if (!line.begun) {
            if (space) {
                continue;
            }
            line.begun = true;
        }
        if (!space && line.nonSpace < 2) {
            if (line.nonSpace == 0) {
                line.brace = c == '{' || c == '}';
            }
            ++line.nonSpace;
        }
        if (!line.fixme) {
            // "FIXME" begins with the only 'F' it holds, so a mismatch starts over at this byte.
            if (static_cast<char>(c) == kFixme[line.fixmeHead]) {
                line.fixme = ++line.fixmeHead == kFixme.size();
            } else {
                line.fixmeHead = c == 'F' ? 1 : 0;
            }
        }
        if (!line.scanDone) {
            stepMarkerScan(line, c, counts, inBlockComment);
        }
    }
}

// Whether the text holds a byte that is not white space.
inline bool holdsNonSpace(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return !isSpace(static_cast<unsigned char>(c)); });
}

// "FIXME" in a piece of a line that has begun, also one that began in the pieces before.
void findFixme(OpenLine& line, std::string_view text) {
    if (line.fixmeHead > 0) {
        const std::size_t needed = kFixme.size() - line.fixmeHead;
        const std::size_t have = std::min(needed, text.size());
        if (text.substr(0, have) == kFixme.substr(line.fixmeHead, have)) {
            line.fixme = have == needed;
            line.fixmeHead = static_cast<std::uint8_t>(line.fixmeHead + have);
            return;
        }
        line.fixmeHead = 0;
    }
    if (text.find(kFixme) != kNone) {
        line.fixme = true;
        return;
    }
    for (std::size_t k = std::min<std::size_t>(kFixme.size() - 1, text.size()); k > 0; --k) {
        if (text.substr(text.size() - k) == kFixme.substr(0, k)) {
            line.fixmeHead = static_cast<std::uint8_t>(k);
            return;
        }
    }
}

// The marker scan over a piece of a line that has begun, searching bytes as ByteFinder does.
void scanMarkers(OpenLine& line, std::string_view text, FileCounts& counts, bool& inBlockComment) {
    const char* const data = text.data();
    const std::size_t size = text.size();
    if (size == 0) {
        return;
    }
    std::size_t start = 0;  // where the scan goes on in this piece
    bool marked = false;    // a marker was acted on in this piece
    if (line.pending != 0) {
        // The last character of the piece before and the first of this one.
        const Marker marker = markerOf(line.pending, data[0]);
        line.pending = 0;
        if (marker != Marker::None) {
            if (!actOnMarker(marker, line.textBefore, counts, inBlockComment)) {
                line.scanDone = true;
                return;
            }
            line.textBefore = false;
            marked = true;
            start = 1;
        } else {
            line.textBefore = true;
        }
    }
    std::size_t i = start;
    while (i < size) {
        i = findSlash(data, i, size);
        if (i == size) {
            break;
        }
        const Leader found = markerAtSlash(data, size, start, i);
        if (found.marker == Marker::None) {
            ++i;
            continue;
        }
        if (!actOnMarker(found.marker, line.textBefore || found.pos > start, counts,
                         inBlockComment)) {
            line.scanDone = true;
            return;
        }
        line.textBefore = false;
        marked = true;
        start = i = found.pos + 2;
    }
    // A last '/' or '*' may make a marker with the first byte of the next piece.
    std::size_t end = size;
    if (start < size && (data[size - 1] == '/' || data[size - 1] == '*')) {
        line.pending = data[size - 1];
        end = size - 1;
    }
    line.textBefore = line.textBefore || end > start;
    if (marked) {
        line.nonSpaceAfter = false;
    }
    if (!line.nonSpaceAfter) {
        line.nonSpaceAfter = holdsNonSpace(text.substr(start));
    }
}

// A piece of a line where every byte is a character.
void feedBytes(OpenLine& line, std::string_view piece, FileCounts& counts, bool& inBlockComment) {
    line.open = true;
    std::size_t i = 0;
    if (!line.begun) {
        while (i < piece.size() && isSpace(static_cast<unsigned char>(piece[i]))) {
            ++i;
        }
        if (i == piece.size()) {
            return;
        }
        line.begun = true;
    }
    const std::string_view text = piece.substr(i);
    for (std::size_t k = 0; k < text.size() && line.nonSpace < 2; ++k) {
        const auto c = static_cast<unsigned char>(text[k]);
        if (!isSpace(c)) {
            if (line.nonSpace == 0) {
                line.brace = c == '{' || c == '}';
            }
            ++line.nonSpace;
        }
    }
    if (!line.fixme) {
        findFixme(line, text);
    }
    if (!line.scanDone) {
        scanMarkers(line, text, counts, inBlockComment);
    }
}

// What the block scan needs to know of each byte of a 64-byte chunk, one bit per byte.
struct ChunkMasks {
    std::uint64_t lineEnd = 0;   // CR or LF
    std::uint64_t slash = 0;     // every marker holds one
    std::uint64_t letterF = 0;   // "FIXME" starts with one
    std::uint64_t nonSpace = 0;  // not white space
    std::uint64_t brace = 0;     // '{' or '}'
};

ChunkMasks scalarMasks(const unsigned char* p, std::size_t n) {
    ChunkMasks m;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char c = p[i];
        const std::uint64_t bit = std::uint64_t{1} << i;
        if (isLineEnd(c)) {
            m.lineEnd |= bit;
        }
        if (c == '/') {
            m.slash |= bit;
        }
        if (c == 'F') {
            m.letterF |= bit;
        }
        if (!isSpace(c)) {
            m.nonSpace |= bit;
        }
        if (c == '{' || c == '}') {
            m.brace |= bit;
        }
    }
    return m;
}

#if defined(__SSE2__)
constexpr bool kHaveVectors = true;

inline std::uint64_t bits(__m128i mask, int part) {
    return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(mask)))
           << (16 * part);
}

ChunkMasks vectorMasks(const unsigned char* p) {
    const __m128i slash = _mm_set1_epi8('/');
    const __m128i letterF = _mm_set1_epi8('F');
    const __m128i open = _mm_set1_epi8('{');
    const __m128i close = _mm_set1_epi8('}');
    const __m128i blank = _mm_set1_epi8(' ');
    const __m128i tab = _mm_set1_epi8(0x09);
    const __m128i controlRange = _mm_set1_epi8(0x0D - 0x09);
    ChunkMasks m;
    std::uint64_t space = 0;
    for (int part = 0; part < 4; ++part) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
        m.lineEnd |= static_cast<std::uint64_t>(lineEndBits(v)) << (16 * part);
        m.slash |= bits(_mm_cmpeq_epi8(v, slash), part);
        m.letterF |= bits(_mm_cmpeq_epi8(v, letterF), part);
        m.brace |= bits(_mm_or_si128(_mm_cmpeq_epi8(v, open), _mm_cmpeq_epi8(v, close)), part);
        // 0x09 to 0x0D: v - 0x09 is at most 4 as an unsigned byte.
        const __m128i offset = _mm_sub_epi8(v, tab);
        const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(offset, controlRange), offset);
        space |= bits(_mm_or_si128(control, _mm_cmpeq_epi8(v, blank)), part);
    }
    m.nonSpace = ~space;
    return m;
}
#else
constexpr bool kHaveVectors = false;

ChunkMasks vectorMasks(const unsigned char* p) {
    return scalarMasks(p, 64);
}
#endif

// Without a popcnt instruction in the baseline, std::popcount becomes a library call.
constexpr int bitCount(std::uint64_t x) {
#if defined(__POPCNT__)
    return std::popcount(x);
#else
    x -= (x >> 1) & 0x5555555555555555u;
    x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return static_cast<int>((x * 0x0101010101010101u) >> 56);
#endif
}

// Bits 0 to n - 1.
constexpr std::uint64_t bitsBelow(unsigned n) {
    return n >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1;
}

// Lines classified from their masks alone, added to the counts once at the end of the file.
struct PlainCounts {
    std::int64_t lines = 0;   // each one counts in total and in code
    std::int64_t fixmes = 0;  // those of them that hold "FIXME"
};

// a + b + carry, with the carry out left in `carry`: a 64-bit lane of a wider addition.
inline std::uint64_t addWithCarry(std::uint64_t a, std::uint64_t b, bool& carry) {
    const std::uint64_t sum = a + b;
    const bool carry1 = sum < a;
    const std::uint64_t total = sum + static_cast<std::uint64_t>(carry);
    carry = carry1 || total < sum;
    return total;
}

// For every line end in `ends`, whether the line it ends holds a bit of `marks` (a set of
// positions that are not line ends): adding the marks to the complement of the line ends lets
// each mark's carry run up to the next line end. `carry` brings in whether the line that
// continues from the previous chunk holds a mark, and takes out the same for the line that
// continues into the next one.
inline std::uint64_t linesHolding(std::uint64_t marks, std::uint64_t ends, bool& carry) {
    return addWithCarry(~ends, marks, carry) & ends;
}

// Per chunk, with `ends` its line ends: the braces that have another brace before them on the
// same line. A line of braces alone counts when it holds two or more. At a brace the sum bit is
// the carry that came in, set only by an earlier brace.
inline std::uint64_t secondBraces(std::uint64_t braces, std::uint64_t ends, bool& carry) {
    return addWithCarry(~ends, braces, carry) & braces;
}

// Classifies the lines of a block that begins at the start of a line in one pass over its bytes,
// 64 bytes at a time, and returns where the line that runs on past its end begins. A line without
// '/' and 'F' needs no marker scan: it is skipped when it holds nothing but white space and at
// most one brace, and otherwise counts once in total and once as code, whatever the block-comment
// state; such lines are counted a chunk at a time. Only lines with a '/' go through the marker
// scan, and lines with an 'F' through the search for "FIXME".
// Every CR and every LF ends a line here; the empty line between the two bytes of a CR LF is
// skipped and changes nothing.
template <bool Vectors>
std::size_t scanBlock(std::string_view block, FileCounts& counts, bool& inBlockComment,
                      PlainCounts& plain) {
    const auto* data = reinterpret_cast<const unsigned char*>(block.data());
    const std::size_t size = block.size();
    std::size_t lineStart = 0;  // of the line that continues from the previous chunk
    bool counted = false;       // that line holds something besides white space and one brace
    bool braceSeen = false;
    bool slashSeen = false;
    bool letterFSeen = false;
    std::int64_t plainLines = 0;
    std::int64_t plainFixmes = 0;
    // Of the chunk before, for the lines that begin in it and end in the next.
    std::uint64_t previousNonSpace = 0;
    std::uint64_t previousSlash = 0;

    const auto classifyMarked = [&](std::size_t begin, std::size_t end, bool slash, bool letterF) {
        const std::string_view line = block.substr(begin, end - begin);
        if (slash) {
            classifyByteLine(line, counts, inBlockComment, letterF);
        } else {
            // An 'F' is not white space, so the line counts.
            ++plainLines;
            if (line.find(kFixme) != kNone) {
                ++plainFixmes;
            }
        }
    };

    for (std::size_t base = 0; base < size; base += 64) {
        const std::size_t n = size - base < 64 ? size - base : 64;
        const ChunkMasks m =
            Vectors && n == 64 ? vectorMasks(data + base) : scalarMasks(data + base, n);
        const std::uint64_t ends = m.lineEnd;
        const std::uint64_t significant =
            (m.nonSpace & ~m.brace) | secondBraces(m.brace, ends, braceSeen);
        const std::uint64_t countedEnds = linesHolding(significant, ends, counted);
        const std::uint64_t slashEnds = linesHolding(m.slash, ends, slashSeen);
        const std::uint64_t letterFEnds = linesHolding(m.letterF, ends, letterFSeen);
        std::uint64_t markedEnds = slashEnds | letterFEnds;
        plainLines += bitCount(countedEnds & ~markedEnds);
        while (markedEnds != 0) {
            const auto at = static_cast<unsigned>(std::countr_zero(markedEnds));
            const std::uint64_t endsBefore = ends & bitsBelow(at);
            const std::size_t begin =
                endsBefore != 0 ? base + 64 - static_cast<std::size_t>(std::countl_zero(endsBefore))
                                : lineStart;
            const bool slash = (slashEnds >> at) & 1;
            const bool letterF = (letterFEnds >> at) & 1;
            const std::size_t end = base + at;
            if (slash && end - begin <= 64) {
                // A line of at most 64 bytes lies in this chunk or ends in it having begun in the
                // one before, so the masks of the two tell where its text begins and ends and
                // where its '/'s are. It has text, since a '/' is not white space, and so it is
                // never one of the lines that are skipped.
                std::uint64_t text = 0;
                std::uint64_t slashes = 0;
                if (begin >= base) {
                    text = m.nonSpace >> (begin - base);
                    slashes = m.slash >> (begin - base);
                } else {
                    const auto from = static_cast<unsigned>(begin - (base - 64));
                    text = from == 0 ? previousNonSpace
                                     : (previousNonSpace >> from) | (m.nonSpace << (64 - from));
                    slashes = from == 0 ? previousSlash
                                        : (previousSlash >> from) | (m.slash << (64 - from));
                }
                const std::uint64_t line = bitsBelow(static_cast<unsigned>(end - begin));
                text &= line;
                const auto first = static_cast<unsigned>(std::countr_zero(text));
                const auto last = 63u - static_cast<unsigned>(std::countl_zero(text));
                const std::string_view trimmed = block.substr(begin + first, last + 1 - first);
                MaskFinder finder(trimmed, (slashes & line) >> first, letterF);
                classifyTrimmed(trimmed, finder, counts, inBlockComment);
            } else {
                classifyMarked(begin, end, slash, letterF);
            }
            markedEnds &= markedEnds - 1;
        }
        if (ends != 0) {
            lineStart = base + 64 - static_cast<std::size_t>(std::countl_zero(ends));
        }
        previousNonSpace = m.nonSpace;
        previousSlash = m.slash;
    }
    plain.lines += plainLines;
    plain.fixmes += plainFixmes;
    return lineStart;
}

// A stretch of a source's text: the line that ran on from the stretch before ends at the first
// line end, the whole lines after it go through the block scan, and the line that runs on past
// the end is begun.
template <bool Vectors>
void scanText(std::string_view text, FileCounts& counts, bool& inBlockComment, OpenLine& open,
              PlainCounts& plain) {
    std::size_t from = 0;
    if (open.open) {
        const char* const end = findLineEnd(text.data(), text.data() + text.size());
        from = static_cast<std::size_t>(end - text.data());
        feedBytes(open, text.substr(0, from), counts, inBlockComment);
        if (from == text.size()) {
            return;
        }
        finishLine(open, counts);
        ++from;
    }
    const std::size_t runsOn =
        from + scanBlock<Vectors>(text.substr(from), counts, inBlockComment, plain);
    if (runsOn < text.size()) {
        feedBytes(open, text.substr(runsOn), counts, inBlockComment);
    }
}

}  // namespace

LineClassifier::LineClassifier(const CodePage& codePage, ScanPath path)
    : codePage_(codePage),
      stepping_(path == ScanPath::CharacterStepping || !codePage.stepsByByte()),
      vector_(kHaveVectors && path == ScanPath::Automatic) {}

void LineClassifier::classifyLine(std::string_view line) {
    if (stepping_) {
        const std::string_view trimmed = trimStepping(line, codePage_);
        if (isSkipped(trimmed)) {
            return;
        }
        SteppingFinder finder(trimmed, codePage_);
        classifyTrimmed(trimmed, finder, counts_, inBlockComment_);
    } else {
        classifyByteLine(line, counts_, inBlockComment_);
    }
}

void LineClassifier::classifyPartOfLine(std::string_view piece, bool endsLine) {
    if (stepping_) {
        feedCharacters(open_, piece, codePage_, counts_, inBlockComment_);
    } else {
        feedBytes(open_, piece, counts_, inBlockComment_);
    }
    if (endsLine) {
        finishLine(open_, counts_);
    }
}

FileCounts LineClassifier::classifyFile(LineSource& source) {
    counts_ = FileCounts{};
    inBlockComment_ = false;
    open_ = OpenLine{};
    if (!stepping_ && source.hasText()) {
        PlainCounts plain;
        std::string_view text;
        while (source.readText(text)) {
            if (vector_) {
                scanText<true>(text, counts_, inBlockComment_, open_, plain);
            } else {
                scanText<false>(text, counts_, inBlockComment_, open_, plain);
            }
        }
        // Every addition is positive, so adding these last saturates exactly as adding them
        // one by one would.
        counts_.total = saturateToInt32(std::int64_t{counts_.total} + plain.lines);
        counts_.code = saturateToInt32(std::int64_t{counts_.code} + plain.lines);
        counts_.fixmes = saturateToInt32(std::int64_t{counts_.fixmes} + plain.fixmes);
    } else {
        LinePiece piece;
        while (source.readLine(piece)) {
            classifyPiece(piece.text, piece.endsLine);
        }
    }
    // The end of the text ends the line that ran on to it.
    if (open_.open) {
        finishLine(open_, counts_);
    }
    return counts_;
}

}  // namespace lw
