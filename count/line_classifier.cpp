#include "count/line_classifier.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <typeinfo>

#include "count/line_source.h"

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
    // Most lines are short, and for them a plain loop beats the call; memchr takes over for the
    // rest of a long one.
    static std::size_t findSlash(const char* data, std::size_t from, std::size_t size) {
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
        return hit != nullptr ? static_cast<std::size_t>(static_cast<const char*>(hit) - data)
                              : size;
    }

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
        if (c == '\n' || c == '\r') {
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
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
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
        m.lineEnd |= bits(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)), part);
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

// For every line end in `ends`, whether the line it ends holds a bit of `marks` (a set of
// positions that are not line ends): adding the marks to the complement of the line ends lets
// each mark's carry run up to the next line end. `carry` brings in whether the line that
// continues from the previous chunk holds a mark, and takes out the same for the line that
// continues into the next one.
inline std::uint64_t linesHolding(std::uint64_t marks, std::uint64_t ends, bool& carry) {
    const std::uint64_t propagate = ~ends;
    const std::uint64_t sum = propagate + marks;
    const bool carry1 = sum < propagate;
    const std::uint64_t total = sum + static_cast<std::uint64_t>(carry);
    const bool carry2 = total < sum;
    carry = carry1 || carry2;
    return total & ends;
}

// Per chunk, with `ends` its line ends: the braces that have another brace before them on the
// same line. A line of braces alone counts when it holds two or more.
inline std::uint64_t secondBraces(std::uint64_t braces, std::uint64_t ends, bool& carry) {
    const std::uint64_t propagate = ~ends;
    const std::uint64_t sum = propagate + braces;
    const bool carry1 = sum < propagate;
    const std::uint64_t total = sum + static_cast<std::uint64_t>(carry);
    const bool carry2 = total < sum;
    carry = carry1 || carry2;
    // At a brace the sum bit is the carry that came in, set only by an earlier brace.
    return total & braces;
}

// Classifies a run of whole lines in one pass over its bytes, 64 bytes at a time. A line without
// '/' and 'F' needs no marker scan: it is skipped when it holds nothing but white space and at
// most one brace, and otherwise counts once in total and once as code, whatever the block-comment
// state; such lines are counted a chunk at a time. Only lines with a '/' go through the marker
// scan, and lines with an 'F' through the search for "FIXME".
// Every CR and every LF ends a line here; the empty line between the two bytes of a CR LF is
// skipped and changes nothing.
template <bool Vectors>
void scanBlock(std::string_view block, FileCounts& counts, bool& inBlockComment,
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
    if (lineStart < size) {
        if (slashSeen || letterFSeen) {
            classifyMarked(lineStart, size, slashSeen, letterFSeen);
        } else if (counted) {
            ++plainLines;
        }
    }
    plain.lines += plainLines;
    plain.fixmes += plainFixmes;
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

FileCounts LineClassifier::classifyFile(LineSource& source) {
    counts_ = FileCounts{};
    inBlockComment_ = false;
    // Only the reader itself is read in blocks: a class derived from it may have changed what
    // readLine yields.
    auto* file = !stepping_ && typeid(source) == typeid(FileLineSource)
                     ? static_cast<FileLineSource*>(&source)
                     : nullptr;
    if (file != nullptr) {
        PlainCounts plain;
        std::string_view block;
        while (file->readLines(block)) {
            if (vector_) {
                scanBlock<true>(block, counts_, inBlockComment_, plain);
            } else {
                scanBlock<false>(block, counts_, inBlockComment_, plain);
            }
        }
        // Every addition is positive, so adding these last saturates exactly as adding them
        // one by one would.
        counts_.total = saturateToInt32(std::int64_t{counts_.total} + plain.lines);
        counts_.code = saturateToInt32(std::int64_t{counts_.code} + plain.lines);
        counts_.fixmes = saturateToInt32(std::int64_t{counts_.fixmes} + plain.fixmes);
    } else {
        std::string_view line;
        while (source.readLine(line)) {
            classifyLine(line);
        }
    }
    return counts_;
}

}  // namespace lw
