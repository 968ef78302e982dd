#pragma once

#include <cstdint>
#include <string_view>

#include "count/code_page.h"
#include "count/file_counts.h"

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
// lines "{" and "}"; nothing else has a meaning to it.
class LineClassifier {
  public:
    // How the text is searched. Automatic searches bytes directly where the code page allows it,
    // and classifies whole stretches of a source's text at once with vector instructions where
    // the processor has them. Scalar does the same without vector instructions (what a build for
    // a processor without them runs). CharacterStepping always steps character by character,
    // which is what multi-byte code pages need and what the byte search is checked against.
    enum class ScanPath : unsigned char { Automatic, CharacterStepping, Scalar };

    explicit LineClassifier(const CodePage& codePage = CodePage::system(),
                            ScanPath path = ScanPath::Automatic);

    // Classifies every line of the source, starting from zero counts outside a block comment.
    FileCounts classifyFile(LineSource& source);

    // Applies the per-line rules to one line, adding to the counts.
    void classifyLine(std::string_view line);

    // The same for a line that comes in pieces, in order, the last with `endsLine` true: the
    // counts are those of classifyLine on the whole line, in memory that does not grow with it.
    void classifyPiece(std::string_view piece, bool endsLine) {
        if (endsLine && !open_.open) {
            classifyLine(piece);
        } else {
            classifyPartOfLine(piece, endsLine);
        }
    }

    const FileCounts& counts() const { return counts_; }
    bool inBlockComment() const { return inBlockComment_; }

    // What is known of a line whose pieces have begun to arrive: enough to finish it exactly as
    // if it had come whole.
    struct OpenLine {
        bool open = false;           // a piece has arrived and the line has not ended
        bool begun = false;          // its first non-space character, where its trim begins
        std::uint8_t nonSpace = 0;   // its non-space characters, counted up to 2
        bool brace = false;          // the first of them is '{' or '}'
        bool fixme = false;          // it holds "FIXME"
        std::uint8_t fixmeHead = 0;  // how much of "FIXME" the text so far ends with
        bool scanDone = false;       // a "//" outside a block comment ended its marker scan
        char pending = 0;            // a last '/' or '*' that the next character may make a marker
        bool textBefore = false;     // characters between the scan's start and `pending` or the end
        bool nonSpaceAfter = false;  // a non-space character after the scan's start
        bool trail = false;          // the next byte is the second of a double-byte character
    };

  private:
    void classifyPartOfLine(std::string_view piece, bool endsLine);

    CodePage codePage_;
    bool stepping_ = false;
    bool vector_ = false;
    FileCounts counts_;
    bool inBlockComment_ = false;
    OpenLine open_;
};

}  // namespace lw
