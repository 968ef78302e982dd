// The scan with AVX2, 32 bytes to an instruction. Built with AVX2, BMI and POPCNT enabled; the
// caller runs it only where the processor has all three.
#include "count/line_scan_rule.h"

#if defined(__AVX2__)
#include <immintrin.h>
#endif

namespace lw::scan {

#if defined(__AVX2__)

namespace {

struct Avx2Masks {
    struct Bytes {
        __m256i low, high;
    };

    static Bytes load(const unsigned char* p) {
        return {_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)),
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32))};
    }

    template <typename Test>
    static std::uint64_t where(const Bytes& b, Test test) {
        return static_cast<std::uint64_t>(
                   static_cast<unsigned>(_mm256_movemask_epi8(test(b.low)))) |
               static_cast<std::uint64_t>(static_cast<unsigned>(_mm256_movemask_epi8(test(b.high))))
                   << 32;
    }

    static std::uint64_t equal(const Bytes& b, char c) {
        const __m256i value = _mm256_set1_epi8(c);
        return where(b, [value](__m256i v) { return _mm256_cmpeq_epi8(v, value); });
    }

    // Sets of bytes below 0x80 as tables of one byte for each value of the low four bits: the
    // set's byte with those low bits, or one with other low bits where the set has none. The
    // same 16 bytes in both halves of the register, which look up separately.
    static __m256i table(char b0, char b9, char b10, char b11, char b12, char b13) {
        return _mm256_setr_epi8(b0, 0, 0, 0, 0, 0, 0, 0, 0, b9, b10, b11, b12, b13, 0, 0,  //
                                b0, 0, 0, 0, 0, 0, 0, 0, 0, b9, b10, b11, b12, b13, 0, 0);
    }

    // Where the bytes are in the table's set: a byte from 0x80 on looks up zero, and is not.
    static __m256i inTable(__m256i v, __m256i lookup) {
        return _mm256_cmpeq_epi8(_mm256_shuffle_epi8(lookup, v), v);
    }

    static ChunkBits bits(const unsigned char* p) {
        const __m256i lineEnd = table(1, 0, '\n', 0, 0, '\r');
        const __m256i space = table(' ', '\t', '\n', '\v', '\f', '\r');
        const __m256i brace = table(1, 0, 0, '{', 0, '}');
        const Bytes b = load(p);
        ChunkBits out;
        out.lineEnd = where(b, [lineEnd](__m256i v) { return inTable(v, lineEnd); });
        out.space = where(b, [space](__m256i v) { return inTable(v, space); });
        out.brace = where(b, [brace](__m256i v) { return inTable(v, brace); });
        out.slash = equal(b, '/');
        out.letterF = equal(b, 'F');
        out.letterI = equal(b, 'I');
        return out;
    }

    static std::uint64_t high(const unsigned char* p) {
        return where(load(p), [](__m256i v) { return v; });
    }

    static std::uint64_t equal(const unsigned char* p, char c) { return equal(load(p), c); }
};

void scan(ScanState& state, const unsigned char* data, std::size_t chunks) {
    scanChunks<Avx2Masks>(state, data, chunks);
}

}  // namespace

ScanFunction avx2Scan() {
    return scan;
}

#else

ScanFunction avx2Scan() {
    return nullptr;
}

#endif

}  // namespace lw::scan
