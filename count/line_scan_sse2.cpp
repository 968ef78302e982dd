// The scan with SSE2, 16 bytes to an instruction. Built with SSE2 enabled also where the baseline
// lacks it (32-bit x86); the caller runs it only where the processor has it.
#include "count/line_scan_rule.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lw::scan {

#if defined(__SSE2__)

namespace {

inline std::uint64_t bitsOf(__m128i a, __m128i b, __m128i c, __m128i d) {
    return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(a))) |
           static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(b))) << 16 |
           static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(c))) << 32 |
           static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(d))) << 48;
}

struct Sse2Masks {
    struct Bytes {
        __m128i v[4];
    };

    static Bytes load(const unsigned char* p) {
        Bytes b;
        for (int k = 0; k < 4; ++k) {
            b.v[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        }
        return b;
    }

    template <typename Test>
    static std::uint64_t where(const Bytes& b, Test test) {
        return bitsOf(test(b.v[0]), test(b.v[1]), test(b.v[2]), test(b.v[3]));
    }

    static std::uint64_t equal(const Bytes& b, char c) {
        const __m128i value = _mm_set1_epi8(c);
        return where(b, [value](__m128i v) { return _mm_cmpeq_epi8(v, value); });
    }

    static ChunkBits bits(const unsigned char* p) {
        const Bytes b = load(p);
        const __m128i lf = _mm_set1_epi8('\n');
        const __m128i cr = _mm_set1_epi8('\r');
        const __m128i blank = _mm_set1_epi8(' ');
        const __m128i tab = _mm_set1_epi8(0x09);
        const __m128i controlRange = _mm_set1_epi8(0x0D - 0x09);
        const __m128i open = _mm_set1_epi8('{');
        const __m128i close = _mm_set1_epi8('}');
        ChunkBits out;
        out.lineEnd = where(b, [&](__m128i v) {
            return _mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr));
        });
        out.space = where(b, [&](__m128i v) {
            // 0x09 to 0x0D: v - 0x09 is at most 4 as an unsigned byte.
            const __m128i offset = _mm_sub_epi8(v, tab);
            const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(offset, controlRange), offset);
            return _mm_or_si128(control, _mm_cmpeq_epi8(v, blank));
        });
        out.brace = where(b, [&](__m128i v) {
            return _mm_or_si128(_mm_cmpeq_epi8(v, open), _mm_cmpeq_epi8(v, close));
        });
        out.slash = equal(b, '/');
        out.letterF = equal(b, 'F');
        out.letterI = equal(b, 'I');
        return out;
    }

    static std::uint64_t high(const unsigned char* p) {
        return where(load(p), [](__m128i v) { return v; });
    }

    static std::uint64_t equal(const unsigned char* p, char c) { return equal(load(p), c); }
};

void scan(ScanState& state, const unsigned char* data, std::size_t chunks) {
    scanChunks<Sse2Masks>(state, data, chunks);
}

}  // namespace

ScanFunction sse2Scan() {
    return scan;
}

#else

ScanFunction sse2Scan() {
    return nullptr;
}

#endif

}  // namespace lw::scan
