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
    explicit LineClassifier(const CodePage& codePage = CodePage::system());

    // Classifies every line of the source, starting from zero counts outside a block comment.
    FileCounts classifyFile(LineSource& source);

    // Applies the per-line rules to one line, adding to the counts.
    void classifyLine(std::string_view line);

    const FileCounts& counts() const { return counts_; }
    bool inBlockComment() const { return inBlockComment_; }

private:
    CodePage codePage_;
    FileCounts counts_;
    bool inBlockComment_ = false;
};

}  // namespace lw
