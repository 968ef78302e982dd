#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "count/code_page.h"
#include "count/file_counts.h"
#include "count/line_scan.h"

namespace lw {

// A line, or a piece of one: a reader serves a line longer than its buffer in several pieces,
// and only the last of them ends the line.
struct LinePiece {
    std::string_view text;
    bool endsLine = true;
};

// Yields the lines of one file without their terminators.
class LineSource {
  public:
    virtual ~LineSource() = default;

    // True with the next piece in `piece` (its text valid until the next call), or false at the
    // end. Every line ends with a piece whose endsLine is true; an empty line is one empty piece.
    virtual bool readLine(LinePiece& piece) = 0;

    // Whether readText serves this source's text, for a classifier that splits lines itself.
    virtual bool hasText() const { return false; }
    // The next stretch of the text in which every CR and every LF ends a line; a line may run on
    // from one stretch into the next, and the end of the text ends the last one. False at the
    // end. A source is read either with readLine or with readText, not both.
    virtual bool readText(std::string_view& text) {
        (void)text;
        return false;
    }
};

// Turns the lines of one source file into its FileCounts. Knows "//", "/*", "*/", "FIXME" and the
// lines "{" and "}"; nothing else has a meaning to it. In a double-byte code page the byte after
// a lead byte is part of its character, and never taken for any of these.
class LineClassifier {
  public:
    // The instructions that classify the text. Automatic takes the widest the processor has:
    // AVX-512, else AVX2, else SSE2, else none (Scalar). The others are for tests and benchmarks;
    // one that the processor or the build lacks (see supports) falls back to Automatic.
    enum class ScanPath : unsigned char { Automatic, Scalar, Sse2, Avx2, Avx512 };
    static bool supports(ScanPath path);

    explicit LineClassifier(const CodePage& codePage = CodePage::system(),
                            ScanPath path = ScanPath::Automatic);

    // Classifies every line of the source, starting from zero counts outside a block comment.
    FileCounts classifyFile(LineSource& source);

    // Applies the per-line rules to one line, adding to the counts. CR and LF in it are white
    // space like any other.
    void classifyLine(std::string_view line) { classifyPiece(line, true); }

    // The same for a line that comes in pieces, in order, the last with `endsLine` true: the
    // counts are those of classifyLine on the whole line, in memory that does not grow with it.
    // Until its last piece, a line may be counted in part.
    void classifyPiece(std::string_view piece, bool endsLine);

    const FileCounts& counts() const {
        refresh();
        return counts_;
    }
    bool inBlockComment() const {
        refresh();
        return inBlock_;
    }

  private:
    void restart(bool bytesEndLines);
    void feed(std::string_view bytes);
    void endLine();
    void scanStage();
    void finish();
    void refresh() const;

    scan::ScanFunction scan_;
    scan::ScanState state_{};
    std::size_t staged_ = 0;  // bytes in stage_: the start of a chunk that is not yet whole
    unsigned char stage_[scan::kChunk];
    // The counts and the state after the bytes staged, worked out when asked for.
    mutable bool stale_ = false;
    mutable bool inBlock_ = false;
    mutable FileCounts counts_;
};

}  // namespace lw
