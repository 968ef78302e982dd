// Feeds arbitrary bytes as a file through every way of classifying it and stops on the first
// disagreement with the plain reading of the rules: on every instruction set the processor has,
// through the reader at an input-chosen buffer and read size (so that lines split across buffers
// at any offset), and line by line, each line whole and in pieces cut at input-chosen points. The
// same for a double-byte code page, whose characters the buffers and cuts split too.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "count/line_classifier.h"
#include "count/line_source.h"
#include "tests/count/reference_classifier.h"

namespace {

using Path = lw::LineClassifier::ScanPath;

class FuzzFile : public lw::ReadableFile {
  public:
    FuzzFile(std::string_view content, std::size_t chunk) : content_(content), chunk_(chunk) {}
    ssize_t read(char* buffer, std::size_t size) override {
        const std::size_t n = std::min({size, chunk_, content_.size() - pos_});
        std::memcpy(buffer, content_.data() + pos_, n);
        pos_ += n;
        return static_cast<ssize_t>(n);
    }

  private:
    std::string_view content_;
    std::size_t chunk_;
    std::size_t pos_ = 0;
};

void check(bool agrees) {
    if (!agrees) {
        std::abort();
    }
}

void checkCodePage(std::string_view content, std::size_t bufferSize, std::size_t chunk,
                   std::size_t cutStep, const lw::CodePage& codePage) {
    std::string_view text = content;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    lw::test::ReferenceClassifier reference(codePage);
    reference.classifyText(text);
    const lw::FileCounts want = reference.counts();
    for (Path path : {Path::Scalar, Path::Sse2, Path::Avx2, Path::Avx512}) {
        if (!lw::LineClassifier::supports(path)) {
            continue;
        }
        for (std::size_t buffer : {bufferSize, std::size_t{4096}}) {
            FuzzFile file(content, chunk);
            lw::FileLineSource source(file, buffer);
            check(lw::LineClassifier(codePage, path).classifyFile(source) == want);
        }
        // Line by line, the same lines whole and cut every `cutStep` bytes.
        lw::LineClassifier whole(codePage, path);
        lw::LineClassifier pieces(codePage, path);
        std::size_t begin = 0;
        for (std::size_t i = 0; i <= text.size(); ++i) {
            if (i < text.size() && text[i] != '\n' && text[i] != '\r') {
                continue;
            }
            const std::string_view line = text.substr(begin, i - begin);
            whole.classifyLine(line);
            for (std::size_t from = 0;; from += cutStep) {
                if (from + cutStep >= line.size()) {
                    pieces.classifyPiece(line.substr(std::min(from, line.size())), true);
                    break;
                }
                pieces.classifyPiece(line.substr(from, cutStep), false);
            }
            begin = i + 1;
        }
        check(whole.counts() == want && whole.inBlockComment() == reference.inBlockComment());
        check(pieces.counts() == want);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    // Small buffers make lines, CR LF pairs and double-byte characters straddle buffer ends.
    const std::size_t bufferSize = 1 + data[0] % 64;
    const std::size_t chunk = 1 + data[1] % 128;
    const std::size_t cutStep = 1 + data[2] % 80;
    const std::string_view content(reinterpret_cast<const char*>(data) + 3, size - 3);
    checkCodePage(content, bufferSize, chunk, cutStep, lw::CodePage());
    checkCodePage(content, bufferSize, chunk, cutStep, lw::CodePage(lw::CodePage::Kind::ShiftJis));
    return 0;
}
