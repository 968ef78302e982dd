#pragma once

// The counting rule in its plainest reading, for the tests to check the classifier against: a
// line at a time, trimmed, searched a character at a time for the marker that leads what is left.
// Slow and obviously so; it shares nothing with the classifier but CodePage.

#include <cstddef>
#include <string_view>

#include "count/code_page.h"
#include "count/file_counts.h"

namespace lw::test {

class ReferenceClassifier {
  public:
    explicit ReferenceClassifier(const CodePage& codePage = CodePage()) : codePage_(codePage) {}

    void classifyLine(std::string_view line) {
        const std::string_view text = trim(line);
        if (text.empty() || text == "{" || text == "}") {
            return;
        }
        if (find(text, 0, "FIXME") != kNone) {
            ++counts_.fixmes;
        }
        ++counts_.total;
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t at = kNone;
            std::string_view marker;
            for (std::string_view m : {"//", "/*", "*/"}) {
                const std::size_t found = find(text, start, m);
                if (found < at) {
                    at = found;
                    marker = m;
                }
            }
            if (at == kNone) {
                ++counts_.code;
                return;
            }
            const bool textBefore = at > start;
            if (marker == "*/") {
                inBlock_ = false;
            } else if (!inBlock_) {
                counts_.code += textBefore ? 1 : 0;
                ++counts_.comments;
                if (marker == "//") {
                    return;
                }
                inBlock_ = true;
            }
            start = at + 2;
        }
    }

    // Splits text at every CR and LF, as the reader does (CR LF leaves an empty line between).
    void classifyText(std::string_view text) {
        std::size_t begin = 0;
        for (std::size_t i = 0; i <= text.size(); ++i) {
            if (i == text.size() || text[i] == '\n' || text[i] == '\r') {
                classifyLine(text.substr(begin, i - begin));
                begin = i + 1;
            }
        }
    }

    const FileCounts& counts() const { return counts_; }
    bool inBlockComment() const { return inBlock_; }

  private:
    static constexpr std::size_t kNone = std::string_view::npos;

    static bool isSpace(char c) { return c == ' ' || (c >= 0x09 && c <= 0x0D); }

    std::size_t step(std::string_view text, std::size_t i) const {
        return codePage_.charLength(text, i);
    }

    // Leading white space, then the white space after the last character that is not.
    std::string_view trim(std::string_view line) const {
        std::size_t begin = 0;
        while (begin < line.size() && isSpace(line[begin])) {
            begin += step(line, begin);
        }
        std::size_t end = begin;
        for (std::size_t i = begin; i < line.size(); i += step(line, i)) {
            if (!isSpace(line[i])) {
                end = i + step(line, i);
            }
        }
        return line.substr(begin, end - begin);
    }

    std::size_t find(std::string_view text, std::size_t from, std::string_view needle) const {
        for (std::size_t i = from; i + needle.size() <= text.size(); i += step(text, i)) {
            if (text.substr(i, needle.size()) == needle) {
                return i;
            }
        }
        return kNone;
    }

    CodePage codePage_;
    FileCounts counts_;
    bool inBlock_ = false;
};

}  // namespace lw::test
