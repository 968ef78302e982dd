// The scan without vector instructions: what a processor without them runs, and what the vector
// scans are checked against.
#include "count/line_scan_rule.h"

namespace lw::scan {

namespace {

// Eight bytes at a time in a 64-bit word.
constexpr std::uint64_t kOnes = 0x0101010101010101u;
constexpr std::uint64_t kHighBits = 0x8080808080808080u;

// The top bit of each byte of the word that equals c.
inline std::uint64_t equalBytes(std::uint64_t word, unsigned char c) {
    const std::uint64_t x = word ^ (kOnes * c);
    // A byte of x is zero exactly when adding 0x7F to its low seven bits leaves its top bit
    // clear and its top bit is clear too; no carry crosses into the next byte.
    return ~(((x & ~kHighBits) + ~kHighBits) | x) & kHighBits;
}

// The top bits of the eight bytes as eight bits, byte 0 in bit 0.
inline std::uint64_t packed(std::uint64_t tops) {
    return ((tops >> 7) * 0x0102040810204080u) >> 56;
}

// Byte i of the memory in bits 8i to 8i + 7.
inline std::uint64_t wordAt(const unsigned char* p) {
    std::uint64_t word;
    __builtin_memcpy(&word, p, sizeof word);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    word = __builtin_bswap64(word);
#endif
    return word;
}

struct ScalarMasks {
    static ChunkBits bits(const unsigned char* p) {
        ChunkBits b{};
        for (unsigned k = 0; k < kChunk / 8; ++k) {
            const std::uint64_t w = wordAt(p + 8 * k);
            const std::uint64_t lineEnd = equalBytes(w, '\n') | equalBytes(w, '\r');
            const std::uint64_t space = lineEnd | equalBytes(w, ' ') | equalBytes(w, '\t') |
                                        equalBytes(w, '\v') | equalBytes(w, '\f');
            const unsigned shift = 8 * k;
            b.lineEnd |= packed(lineEnd) << shift;
            b.space |= packed(space) << shift;
            b.brace |= packed(equalBytes(w, '{') | equalBytes(w, '}')) << shift;
            b.slash |= packed(equalBytes(w, '/')) << shift;
            b.letterF |= packed(equalBytes(w, 'F')) << shift;
            b.letterI |= packed(equalBytes(w, 'I')) << shift;
        }
        return b;
    }

    static std::uint64_t high(const unsigned char* p) {
        std::uint64_t h = 0;
        for (unsigned k = 0; k < kChunk / 8; ++k) {
            h |= packed(wordAt(p + 8 * k) & kHighBits) << (8 * k);
        }
        return h;
    }

    static std::uint64_t equal(const unsigned char* p, unsigned char c) {
        std::uint64_t m = 0;
        for (unsigned k = 0; k < kChunk / 8; ++k) {
            m |= packed(equalBytes(wordAt(p + 8 * k), c)) << (8 * k);
        }
        return m;
    }
};

void scan(ScanState& state, const unsigned char* data, std::size_t chunks) {
    scanChunks<ScalarMasks>(state, data, chunks);
}

}  // namespace

ScanFunction scalarScan() {
    return scan;
}

}  // namespace lw::scan
