#pragma once

// The classifier's scan: text is classified 64 bytes at a time, one bit a byte, by one rule that
// every way of feeding it and every instruction set shares. Internal to the classifier.
//
// This header is also compiled with vector instructions enabled (one file per instruction set),
// so it holds plain data and declarations only: an inline function here would be compiled once
// per instruction set, and the linker could keep the copy that the processor cannot run.

#include <cstddef>
#include <cstdint>

namespace lw::scan {

constexpr std::size_t kChunk = 64;

// Everything the scan carries from one chunk to the next, and the counts so far. A trivial
// aggregate: value-initialise it (`ScanState state{}`) for the start of a file.
struct ScanState {
    // Counted so far; added to the file's saturating counters at the end.
    std::int64_t fixmes;
    std::int64_t code;
    std::int64_t comments;
    std::int64_t total;

    // How the bytes are read: whether CR and LF in the bytes end lines (text), or only the
    // positions in `forcedEnds` do (lines handed over one by one), and for a double-byte code
    // page the bytes that lead a character (bit b % 32 of word b / 32 - 4, for b from 0x80).
    bool bytesEndLines;
    bool doubleByte;
    std::uint64_t forcedEnds;  // line ends of the next chunk scanned, where bytes do not end lines
    std::uint32_t leadBytes[4];

    // Of the last byte scanned, or the line it belongs to. Each is 0 or 1 but for the tail and
    // the heads, which hold a bit for each of the last bytes. A marker is taken when the scan
    // acts on it or steps over it.
    std::uint64_t slash;       // it is '/'
    std::uint64_t star;        // it is '*'
    std::uint64_t lead;        // it leads a double-byte character
    std::uint64_t takenTail;   // bit 1 it, bit 0 the byte before: ends a marker taken
    std::uint64_t seenBefore;  // its line holds a non-space before it
    std::uint64_t seen;        // its line holds a non-space up to it
    std::uint64_t fixmeHeads;  // bit k: it ends the first k + 1 letters of "FIXME"
    std::uint64_t fixmeLine;   // its line holds "FIXME"
    std::uint64_t counted;     // its line is not one of those that are skipped
    std::uint64_t brace;       // its line holds a '{' or '}'
    std::uint64_t textAfter;   // a non-space follows the last marker of its line (or its start)
    std::uint64_t done;        // a "//" outside a block comment ended its line's marker scan
    std::uint64_t inBlock;     // within a block comment
};

// Scans `chunks` chunks of 64 bytes from `data` on.
using ScanFunction = void (*)(ScanState& state, const unsigned char* data, std::size_t chunks);

// Each instruction set's scan, or null where the processor (or the build) lacks it.
ScanFunction scalarScan();
ScanFunction sse2Scan();
ScanFunction avx2Scan();
ScanFunction avx512Scan();

}  // namespace lw::scan
