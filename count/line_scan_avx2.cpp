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

    static ChunkBits bits(const unsigned char* p) {
        const Bytes b = load(p);
        const __m256i lf = _mm256_set1_epi8('\n');
        const __m256i cr = _mm256_set1_epi8('\r');
        const __m256i blank = _mm256_set1_epi8(' ');
        const __m256i tab = _mm256_set1_epi8(0x09);
        const __m256i controlRange = _mm256_set1_epi8(0x0D - 0x09);
        const __m256i open = _mm256_set1_epi8('{');
        const __m256i close = _mm256_set1_epi8('}');
        ChunkBits out;
        out.lineEnd = where(b, [&](__m256i v) {
            return _mm256_or_si256(_mm256_cmpeq_epi8(v, lf), _mm256_cmpeq_epi8(v, cr));
        });
        out.space = where(b, [&](__m256i v) {
            // 0x09 to 0x0D: v - 0x09 is at most 4 as an unsigned byte.
            const __m256i offset = _mm256_sub_epi8(v, tab);
            const __m256i control =
                _mm256_cmpeq_epi8(_mm256_min_epu8(offset, controlRange), offset);
            return _mm256_or_si256(control, _mm256_cmpeq_epi8(v, blank));
        });
        out.brace = where(b, [&](__m256i v) {
            return _mm256_or_si256(_mm256_cmpeq_epi8(v, open), _mm256_cmpeq_epi8(v, close));
        });
        out.slash = equal(b, '/');
        out.star = equal(b, '*');
        out.letterF = equal(b, 'F');
        return out;
    }

    static std::uint64_t high(const unsigned char* p) {
        return where(load(p), [](__m256i v) { return v; });
    }

    static FixmeBits fixme(const unsigned char* p) {
        const Bytes b = load(p);
        return {equal(b, 'I'), equal(b, 'X'), equal(b, 'M'), equal(b, 'E')};
    }
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
