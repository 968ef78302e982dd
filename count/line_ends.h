#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lw {

// Where lines end: every CR and every LF. The reader and the classifier share these scans.
constexpr bool isLineEnd(unsigned char c) {
    return c == '\n' || c == '\r';
}

#if defined(__SSE2__)
// Bit i set where byte i of the 16 is CR or LF.
inline unsigned lineEndBits(__m128i bytes) {
    const __m128i lf = _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'));
    const __m128i cr = _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r'));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(lf, cr)));
}
#endif

// The first CR or LF in [from, to), or `to`. One pass for both bytes: searching for LF first and
// then for CR in front of it would rescan the rest of the buffer for every line of a file that
// ends its lines with CR alone.
inline const char* findLineEnd(const char* from, const char* to) {
#if defined(__SSE2__)
    while (to - from >= 16) {
        const unsigned bits = lineEndBits(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from)));
        if (bits != 0) {
            return from + __builtin_ctz(bits);
        }
        from += 16;
    }
#endif
    while (from < to && !isLineEnd(static_cast<unsigned char>(*from))) {
        ++from;
    }
    return from;
}

}  // namespace lw
