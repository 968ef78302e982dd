// The scan without vector instructions: what a processor without them runs, and what the vector
// scans are checked against.
#include "count/line_scan_rule.h"

namespace lw::scan {

namespace {

struct ScalarMasks {
    static ChunkBits bits(const unsigned char* p) {
        ChunkBits b{};
        for (unsigned i = 0; i < kChunk; ++i) {
            const unsigned c = p[i];
            const std::uint64_t bit = std::uint64_t{1} << i;
            b.lineEnd |= c == '\n' || c == '\r' ? bit : 0;
            b.space |= c == ' ' || (c >= 0x09 && c <= 0x0D) ? bit : 0;
            b.brace |= c == '{' || c == '}' ? bit : 0;
            b.slash |= c == '/' ? bit : 0;
            b.star |= c == '*' ? bit : 0;
            b.letterF |= c == 'F' ? bit : 0;
        }
        return b;
    }

    static std::uint64_t high(const unsigned char* p) {
        std::uint64_t h = 0;
        for (unsigned i = 0; i < kChunk; ++i) {
            h |= p[i] >= 0x80 ? std::uint64_t{1} << i : 0;
        }
        return h;
    }

    static FixmeBits fixme(const unsigned char* p) {
        FixmeBits f{};
        for (unsigned i = 0; i < kChunk; ++i) {
            const unsigned c = p[i];
            const std::uint64_t bit = std::uint64_t{1} << i;
            f.i |= c == 'I' ? bit : 0;
            f.x |= c == 'X' ? bit : 0;
            f.m |= c == 'M' ? bit : 0;
            f.e |= c == 'E' ? bit : 0;
        }
        return f;
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
