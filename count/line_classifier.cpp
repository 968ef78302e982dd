#include "count/line_classifier.h"

#include <cstring>

namespace lw {

namespace {

struct Scans {
    scan::ScanFunction scalar = scan::scalarScan();
    scan::ScanFunction sse2 = nullptr;
    scan::ScanFunction avx2 = nullptr;
    scan::ScanFunction avx512 = nullptr;
};

// Asked once: the processor does not change while the program runs.
const Scans& availableScans() {
    static const Scans scans = [] {
        Scans s;
#if defined(__x86_64__) || defined(__i386__)
        // The check reads what the runtime learnt of the processor; that is filled in before
        // main() on some systems only, so make sure it is.
        __builtin_cpu_init();
        if (__builtin_cpu_supports("sse2")) {
            s.sse2 = scan::sse2Scan();
        }
        // The AVX2 scan also counts bits and finds them with BMI and POPCNT instructions; every
        // processor with AVX2 has both, but ask rather than assume.
        if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
            __builtin_cpu_supports("popcnt")) {
            s.avx2 = scan::avx2Scan();
        }
        if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
            __builtin_cpu_supports("bmi") && __builtin_cpu_supports("popcnt")) {
            s.avx512 = scan::avx512Scan();
        }
#endif
        return s;
    }();
    return scans;
}

scan::ScanFunction scanFor(LineClassifier::ScanPath path) {
    const Scans& scans = availableScans();
    using Path = LineClassifier::ScanPath;
    if (path == Path::Scalar) {
        return scans.scalar;
    }
    if (path == Path::Sse2 && scans.sse2 != nullptr) {
        return scans.sse2;
    }
    if (path == Path::Avx2 && scans.avx2 != nullptr) {
        return scans.avx2;
    }
    if (path == Path::Avx512 && scans.avx512 != nullptr) {
        return scans.avx512;
    }
    for (scan::ScanFunction widest : {scans.avx512, scans.avx2, scans.sse2}) {
        if (widest != nullptr) {
            return widest;
        }
    }
    return scans.scalar;
}

}  // namespace

bool LineClassifier::supports(ScanPath path) {
    const Scans& scans = availableScans();
    switch (path) {
        case ScanPath::Automatic:
        case ScanPath::Scalar:
            return true;
        case ScanPath::Sse2:
            return scans.sse2 != nullptr;
        case ScanPath::Avx2:
            return scans.avx2 != nullptr;
        case ScanPath::Avx512:
            return scans.avx512 != nullptr;
    }
    return false;
}

LineClassifier::LineClassifier(const CodePage& codePage, ScanPath path) : scan_(scanFor(path)) {
    state_.doubleByte = !codePage.stepsByByte();
    for (int k = 0; k < 4; ++k) {
        state_.leadBytes[k] = codePage.leadBytes()[static_cast<std::size_t>(4 + k)];
    }
}

void LineClassifier::restart(bool bytesEndLines) {
    const scan::ScanState fresh = state_;
    state_ = scan::ScanState{};
    state_.doubleByte = fresh.doubleByte;
    std::memcpy(state_.leadBytes, fresh.leadBytes, sizeof state_.leadBytes);
    state_.bytesEndLines = bytesEndLines;
    staged_ = 0;
    stale_ = true;
}

// Whole chunks are scanned where they lie; the rest waits in the stage for the bytes that
// complete it.
void LineClassifier::feed(std::string_view bytes) {
    stale_ = true;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t size = bytes.size();
    if (staged_ > 0) {
        const std::size_t n = size < scan::kChunk - staged_ ? size : scan::kChunk - staged_;
        std::memcpy(stage_ + staged_, data, n);
        staged_ += n;
        data += n;
        size -= n;
        if (staged_ < scan::kChunk) {
            return;
        }
        scanStage();
    }
    const std::size_t chunks = size / scan::kChunk;
    if (chunks > 0) {
        scan_(state_, data, chunks);
    }
    const std::size_t rest = size % scan::kChunk;
    if (rest > 0) {
        std::memcpy(stage_, data + chunks * scan::kChunk, rest);
        staged_ = rest;
    }
}

// An LF ends the line, also where the bytes do not end lines: it is white space, and the scan
// learns of the line end from the position.
void LineClassifier::endLine() {
    stale_ = true;
    stage_[staged_] = '\n';
    if (!state_.bytesEndLines) {
        state_.forcedEnds |= std::uint64_t{1} << staged_;
    }
    if (++staged_ == scan::kChunk) {
        scanStage();
    }
}

void LineClassifier::scanStage() {
    scan_(state_, stage_, 1);
    state_.forcedEnds = 0;
    staged_ = 0;
}

// After a line end, blanks to the end of the chunk change nothing.
void LineClassifier::finish() {
    if (staged_ > 0) {
        std::memset(stage_ + staged_, ' ', scan::kChunk - staged_);
        scanStage();
    }
}

void LineClassifier::refresh() const {
    if (!stale_) {
        return;
    }
    scan::ScanState state = state_;
    if (staged_ > 0) {
        unsigned char chunk[scan::kChunk];
        std::memcpy(chunk, stage_, staged_);
        std::memset(chunk + staged_, ' ', scan::kChunk - staged_);
        scan_(state, chunk, 1);
    }
    // Every addition is positive, so saturating the sums saturates exactly as saturating each
    // addition would.
    counts_ = {saturateToInt32(state.fixmes), saturateToInt32(state.code),
               saturateToInt32(state.comments), saturateToInt32(state.total)};
    inBlock_ = state.inBlock != 0;
    stale_ = false;
}

void LineClassifier::classifyPiece(std::string_view piece, bool endsLine) {
    if (state_.bytesEndLines) {
        // After a file's text: its last line has ended, and the stage is empty.
        state_.bytesEndLines = false;
    }
    feed(piece);
    if (endsLine) {
        endLine();
    }
}

FileCounts LineClassifier::classifyFile(LineSource& source) {
    if (source.hasText()) {
        restart(true);
        std::string_view text;
        while (source.readText(text)) {
            feed(text);
        }
        // The end of the text ends the line that ran on to it.
        endLine();
    } else {
        restart(false);
        LinePiece piece;
        bool lineOpen = false;
        while (source.readLine(piece)) {
            feed(piece.text);
            if (piece.endsLine) {
                endLine();
            }
            lineOpen = !piece.endsLine;
        }
        if (lineOpen) {
            endLine();
        }
    }
    finish();
    return counts();
}

}  // namespace lw
