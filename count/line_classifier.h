#pragma once

#include <string_view>

#include "count/code_page.h"
#include "count/file_counts.h"

namespace lw {

// Yields the lines of one file without their terminators.
class LineSource {
  public:
    virtual ~LineSource() = default;
    // True with the next line in `line` (valid until the next call), or false at the end.
    virtual bool readLine(std::string_view& line) = 0;
};

// Turns the lines of one source file into its FileCounts. Knows "//", "/*", "*/", "FIXME" and the
// lines "{" and "}"; nothing else has a meaning to it.
class LineClassifier {
  public:
    // How the text is searched. Automatic searches bytes directly where the code page allows it,
    // and classifies whole buffers of a FileLineSource at once with vector instructions where
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

    const FileCounts& counts() const { return counts_; }
    bool inBlockComment() const { return inBlockComment_; }

  private:
    CodePage codePage_;
    bool stepping_ = false;
    bool vector_ = false;
    FileCounts counts_;
    bool inBlockComment_ = false;
};

}  // namespace lw
