// The scan with AVX-512: a chunk is one register, and each comparison gives its 64-bit mask
// directly. Built with AVX-512 F and BW, BMI and POPCNT enabled; the caller runs it only where the
// processor has all of them.
#include "count/line_scan_rule.h"

#if defined(__AVX512BW__)
#include <immintrin.h>
#endif

namespace lw::scan {

#if defined(__AVX512BW__)

namespace {

struct Avx512Masks {
    static __m512i load(const unsigned char* p) { return _mm512_loadu_si512(p); }

    static std::uint64_t equal(__m512i v, char c) {
        return _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(c));
    }

    static ChunkBits bits(const unsigned char* p) {
        const __m512i v = load(p);
        ChunkBits out;
        out.lineEnd = equal(v, '\n') | equal(v, '\r');
        // 0x09 to 0x0D: v - 0x09 is at most 4 as an unsigned byte.
        out.space = _mm512_cmple_epu8_mask(_mm512_sub_epi8(v, _mm512_set1_epi8(0x09)),
                                           _mm512_set1_epi8(0x0D - 0x09)) |
                    equal(v, ' ');
        out.brace = equal(v, '{') | equal(v, '}');
        out.slash = equal(v, '/');
        out.letterF = equal(v, 'F');
        out.letterI = equal(v, 'I');
        return out;
    }

    static std::uint64_t high(const unsigned char* p) { return _mm512_movepi8_mask(load(p)); }

    static std::uint64_t equal(const unsigned char* p, char c) { return equal(load(p), c); }
};

void scan(ScanState& state, const unsigned char* data, std::size_t chunks) {
    scanChunks<Avx512Masks>(state, data, chunks);
}

}  // namespace

ScanFunction avx512Scan() {
    return scan;
}

#else

ScanFunction avx512Scan() {
    return nullptr;
}

#endif

}  // namespace lw::scan
