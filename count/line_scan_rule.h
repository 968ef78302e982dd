#pragma once

// The counting rule, applied to 64 bytes at once: included by the file of each instruction set,
// which supplies the bit masks of a chunk's bytes. Everything here has internal linkage, so that
// each file keeps its own copy, compiled for its own instruction set; for the same reason it
// uses builtins and no function of the standard library.
//
// The rule, per line: white space (0x09 to 0x0D, ' ') at both ends is trimmed; an empty line and
// a line of one '{' or '}' are skipped; every other line counts in the total, and once more in
// FIXMEs when it holds "FIXME". Then the markers "//", "/*" and "*/" are taken from left to
// right, a marker never beginning inside the one before:
// - "//" outside a block comment counts a comment, and code when text stands between the
//   scan's start and it; nothing after it on the line counts. Inside one it is passed over.
// - "/*" outside a block comment counts the same and opens one; inside one it is passed over.
// - "*/" closes a block comment, if one is open.
// The scan starts at the line's first non-space and goes on after each marker; it counts code
// once more when, after its last marker, the line holds a non-space (so a line without markers
// counts as code, in a block comment or not).
//
// Here every one of these is a mask over the 64 bytes of a chunk, and what runs from one chunk
// into the next is a carry: additions carry a state along the bytes up to where it changes.

#include <cstddef>
#include <cstdint>

#include "count/line_scan.h"

#if defined(__x86_64__)
#include <immintrin.h>  // _addcarry_u64, in every x86-64 processor
#endif

namespace lw::scan {
namespace {

// The bytes of a chunk, one bit a byte, as every instruction set computes them.
struct ChunkBits {
    std::uint64_t lineEnd;  // CR or LF
    std::uint64_t space;    // 0x09 to 0x0D, ' '
    std::uint64_t brace;    // '{' or '}'
    std::uint64_t slash;
    std::uint64_t letterF;
    std::uint64_t letterI;
};

constexpr std::uint64_t kEvenBits = 0x5555555555555555u;

inline int bitCount(std::uint64_t x) {
#if defined(__POPCNT__)
    return __builtin_popcountll(x);
#else
    // Without a popcnt instruction the builtin is a library call.
    x -= (x >> 1) & 0x5555555555555555u;
    x = (x & 0x3333333333333333u) + ((x >> 2) & 0x3333333333333333u);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
    return static_cast<int>((x * 0x0101010101010101u) >> 56);
#endif
}

// The mask shifted one byte on, with the last byte of the chunk before coming in at bit 0.
inline std::uint64_t after(std::uint64_t mask, std::uint64_t carry) {
    return mask << 1 | carry;
}

// A state that each bit of `set` turns on and each bit of `reset` turns off (never both on one
// byte), starting from `carry`: bit i of the result is the state before byte i, and `carry` takes
// out the state after the last byte. Adding `set` to the complement of `reset` runs a carry from
// each set bit up to the next reset bit.
inline std::uint64_t stateBefore(std::uint64_t set, std::uint64_t reset, std::uint64_t& carry) {
    const std::uint64_t propagate = ~reset;
#if defined(__x86_64__)
    // One add with carry, the carry kept in the flags.
    unsigned long long total;
    carry = _addcarry_u64(static_cast<unsigned char>(carry), propagate, set, &total);
#else
    std::uint64_t sum;
    std::uint64_t total;
    const bool first = __builtin_add_overflow(propagate, set, &sum);
    const bool second = __builtin_add_overflow(sum, carry, &total);
    carry = static_cast<std::uint64_t>(first || second);
#endif
    return total ^ propagate ^ set;
}

// Of runs of consecutive candidates, where each one taken rules out the next: the first, third,
// fifth... of each run. `carry` says whether the last byte of the chunk before was taken, and
// takes out the same of this chunk's last.
inline std::uint64_t takeAlternate(std::uint64_t candidates, std::uint64_t& carry) {
    const std::uint64_t c = candidates & ~carry;
    const std::uint64_t starts = c & ~(c << 1);
    // Adding each run's start to it clears the run: what the sum leaves are runs begun at odd
    // bytes.
    const std::uint64_t evenRuns = c & ~(c + (starts & kEvenBits));
    const std::uint64_t taken = (evenRuns & kEvenBits) | (c & ~evenRuns & ~kEvenBits);
    carry = taken >> 63;
    return taken;
}

// The bits of double-byte lead bytes among the high bytes of a chunk.
inline std::uint64_t leadCandidates(const ScanState& s, const unsigned char* data,
                                    std::uint64_t high) {
    std::uint64_t leads = 0;
    while (high != 0) {
        const int i = __builtin_ctzll(high);
        const unsigned byte = data[i] - 0x80u;
        leads |= std::uint64_t{(s.leadBytes[byte / 32] >> (byte % 32)) & 1u} << i;
        high &= high - 1;
    }
    return leads;
}

// Where "FIXME" ends in the chunk, also one begun in the chunk before. Few chunks hold an "FI"
// (`letterFI`, at the 'I'), so the other letters are looked for only after one.
template <typename Masks>
inline std::uint64_t fixmeEndsOf(ScanState& s, const unsigned char* data, std::uint64_t letterF,
                                 std::uint64_t letterFI) {
    const std::uint64_t heads = s.fixmeHeads;
    if ((letterFI | (heads >> 1)) == 0) {
        s.fixmeHeads = letterF >> 63;
        return 0;
    }
    const std::uint64_t fix = after(letterFI, (heads >> 1) & 1) & Masks::equal(data, 'X');
    const std::uint64_t fixm = after(fix, (heads >> 2) & 1) & Masks::equal(data, 'M');
    const std::uint64_t fixme = after(fixm, heads >> 3) & Masks::equal(data, 'E');
    s.fixmeHeads = letterF >> 63 | (letterFI >> 63) << 1 | (fix >> 63) << 2 | (fixm >> 63) << 3;
    return fixme;
}

// Whether the last byte of the chunk is `c`, as a carry.
inline std::uint64_t lastByteIs(const unsigned char* data, unsigned char c) {
    return static_cast<std::uint64_t>(data[kChunk - 1] == c);
}

// Applies the rule to one chunk of 64 bytes. `Masks` computes its masks: `bits` the ChunkBits,
// `equal` the bytes of one value, `high` the bytes of 0x80 and above. With
// `kPlainText` the caller has made sure that the bytes end lines, that no line end is forced and
// that every byte is a character of its own.
template <typename Masks, bool kPlainText>
inline void classifyChunk(ScanState& s, const unsigned char* data) {
    ChunkBits b = Masks::bits(data);
    const std::uint64_t ends = kPlainText        ? b.lineEnd
                               : s.bytesEndLines ? b.lineEnd | s.forcedEnds
                                                 : s.forcedEnds;
    std::uint64_t trail = 0;

    if (!kPlainText && s.doubleByte) {
        // The byte after a lead byte belongs to its character: never a marker, a brace or a
        // letter of "FIXME". A lead byte that ends its line is a character of its own.
        std::uint64_t leadCarry = s.lead;
        const std::uint64_t leads =
            takeAlternate(leadCandidates(s, data, Masks::high(data)), leadCarry);
        trail = after(leads, s.lead) & ~ends;
        s.lead = leadCarry;
        b.slash &= ~trail;
        b.brace &= ~trail;
        b.letterF &= ~trail;
    }
    const std::uint64_t fi = after(b.letterF, s.fixmeHeads & 1) & b.letterI;
    // The '*' mask is needed only where a '/' is about; elsewhere only its last byte carries.
    const std::uint64_t lastStar = lastByteIs(data, '*') & ~(trail >> 63);
    if (s.done != 0 && ends == 0) {
        // A "//" ended the scan of a line that runs on through the chunk: only "FIXME" can
        // still count in it, and nothing else carries on past its end.
        s.fixmeLine |= static_cast<std::uint64_t>(fixmeEndsOf<Masks>(s, data, b.letterF, fi) != 0);
        s.slash = b.slash >> 63;
        s.star = lastStar;
        s.takenTail = 0;
        return;
    }
    const std::uint64_t nonSpace = (~b.space | trail) & ~ends;

    // Which lines count: those with a non-space besides a single brace; which of them hold
    // "FIXME". What counts is a non-space, so a line that counts has been seen.
    const std::uint64_t braceBefore = stateBefore(b.brace, ends, s.brace);
    const std::uint64_t significant = (nonSpace & ~b.brace) | (b.brace & braceBefore);
    const std::uint64_t counted = stateBefore(significant, ends, s.counted) & ends;
    const int countedLines = bitCount(counted);
    const std::uint64_t fixmeEnds = fixmeEndsOf<Masks>(s, data, b.letterF, fi);
    if ((fixmeEnds | s.fixmeLine) != 0) {
        s.fixmes += bitCount(stateBefore(fixmeEnds, ends, s.fixmeLine) & ends);
    }

    if ((b.slash | s.slash | s.done) == 0) {
        // Every marker holds a '/', so there is none here, and the block-comment state stays.
        s.star = lastStar;
        s.takenTail = 0;
        const std::uint64_t textCarry = s.textAfter;
        const std::uint64_t seenCarry = s.seen;
        const std::uint64_t seen = stateBefore(nonSpace, ends, s.seen);
        s.seenBefore = seen >> 63;
        if (textCarry == seenCarry) {
            // Then the text after the last marker is all the line's text, and every line that
            // counts has some.
            s.textAfter = s.seen;
            s.code += countedLines;
        } else {
            std::uint64_t carry = textCarry;
            s.code += bitCount(counted & stateBefore(nonSpace, ends, carry));
            s.textAfter = carry;
        }
    } else {
        const std::uint64_t star = Masks::equal(data, '*') & ~trail;
        // Markers, at their second byte.
        const std::uint64_t slashBefore = after(b.slash, s.slash);
        const std::uint64_t starBefore = after(star, s.star);
        const std::uint64_t lineComments = b.slash & slashBefore;
        const std::uint64_t blockOpens = star & slashBefore;
        const std::uint64_t blockCloses = b.slash & starBefore;
        s.slash = b.slash >> 63;
        s.star = star >> 63;
        // The ends of the markers two bytes and one byte before the chunk, at bits 0 and 1.
        const std::uint64_t previousTaken = s.takenTail;
        std::uint64_t takenCarry = previousTaken >> 1;
        const std::uint64_t taken =
            takeAlternate(lineComments | blockOpens | blockCloses, takenCarry);
        s.takenTail = taken >> 62;
        const std::uint64_t takenLineComments = taken & lineComments;
        const std::uint64_t takenOpens = taken & blockOpens;
        const std::uint64_t takenCloses = taken & blockCloses;

        // The block-comment state and the lines whose scan a "//" ended depend on each other:
        // the first "//" of a line outside a block comment ends the line's scan, and a "/*"
        // after it then opens nothing. Where no "/*" follows such a "//", the block-comment
        // state worked out without the ended scans is the real one, and one pass finds them.
        std::uint64_t blockCarry = s.inBlock;
        std::uint64_t inBlockBefore = stateBefore(takenOpens, takenCloses, blockCarry);
        std::uint64_t doneCarry = s.done;
        std::uint64_t doneBefore = stateBefore(takenLineComments & ~inBlockBefore, ends, doneCarry);
        if ((takenOpens & doneBefore) != 0) {
            // Otherwise find the lines one by one: the lowest "//" outside a block comment and
            // outside an ended scan is one, and the states are carried anew after each.
            std::uint64_t activeLineComments = 0;
            doneCarry = s.done;
            doneBefore = stateBefore(0, ends, doneCarry);
            blockCarry = s.inBlock;
            inBlockBefore = stateBefore(takenOpens & ~doneBefore, takenCloses, blockCarry);
            for (;;) {
                const std::uint64_t candidates =
                    takenLineComments & ~inBlockBefore & ~doneBefore & ~activeLineComments;
                if (candidates == 0) {
                    break;
                }
                activeLineComments |= candidates & (~candidates + 1);
                doneCarry = s.done;
                doneBefore = stateBefore(activeLineComments, ends, doneCarry);
                blockCarry = s.inBlock;
                inBlockBefore = stateBefore(takenOpens & ~doneBefore, takenCloses, blockCarry);
            }
        }
        s.done = doneCarry;
        s.inBlock = blockCarry & ~doneCarry;
        // The markers acted on: outside a block comment and outside an ended scan.
        const std::uint64_t active =
            (takenOpens | takenLineComments) & ~inBlockBefore & ~doneBefore;

        // Text before a marker: its line holds a non-space before the marker's first byte, and the
        // byte before that is not the end of the marker before it.
        const std::uint64_t seenBefore = stateBefore(nonSpace, ends, s.seen);
        const std::uint64_t textBefore =
            after(seenBefore, s.seenBefore) & ~(taken << 2 | previousTaken);
        s.seenBefore = seenBefore >> 63;
        const std::uint64_t textAfter = stateBefore(nonSpace & ~taken, taken | ends, s.textAfter);

        s.comments += bitCount(active);
        s.code += bitCount(active & textBefore) + bitCount(counted & textAfter & ~doneBefore);
    }
    s.total += countedLines;
}

// Scans the chunks with the masks of one instruction set.
template <typename Masks>
inline void scanChunks(ScanState& state, const unsigned char* data, std::size_t chunks) {
    // A copy the compiler may keep in registers.
    ScanState s = state;
    const unsigned char* const end = data + chunks * kChunk;
    if (s.bytesEndLines && s.forcedEnds == 0 && !s.doubleByte) {
        for (; data != end; data += kChunk) {
            classifyChunk<Masks, true>(s, data);
        }
    } else {
        for (; data != end; data += kChunk) {
            classifyChunk<Masks, false>(s, data);
        }
    }
    state = s;
}

}  // namespace
}  // namespace lw::scan
