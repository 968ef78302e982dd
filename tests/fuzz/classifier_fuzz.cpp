// Feeds arbitrary bytes as a file through every way of classifying it and stops on the first
// disagreement: the reader at an input-chosen buffer and read size, so that lines split across
// buffers at any offset, against the plain character-stepping classifier over whole lines split
// here in the simplest way. The same for a double-byte code page, whose characters the buffers
// split too.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "count/line_classifier.h"
#include "count/line_source.h"

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

lw::FileCounts referenceCounts(std::string_view content, lw::CodePage codePage) {
    if (content.substr(0, 3) == "\xEF\xBB\xBF") {
        content.remove_prefix(3);
    }
    lw::LineClassifier classifier(codePage, Path::CharacterStepping);
    std::size_t begin = 0;
    while (begin < content.size()) {
        std::size_t end = begin;
        while (end < content.size() && content[end] != '\n' && content[end] != '\r') {
            ++end;
        }
        classifier.classifyLine(content.substr(begin, end - begin));
        begin = end + 1;
        if (end + 1 < content.size() && content[end] == '\r' && content[end + 1] == '\n') {
            ++begin;
        }
    }
    return classifier.counts();
}

void check(bool agrees) {
    if (!agrees) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    // Small buffers make lines, CR LF pairs and double-byte characters straddle buffer ends.
    const std::size_t bufferSize = 1 + data[0] % 64;
    const std::size_t chunk = 1 + data[1] % 128;
    const std::string_view content(reinterpret_cast<const char*>(data) + 2, size - 2);

    const lw::FileCounts want = referenceCounts(content, lw::CodePage());
    for (std::size_t buffer : {bufferSize, std::size_t{4096}}) {
        for (Path path : {Path::Automatic, Path::Scalar, Path::CharacterStepping}) {
            FuzzFile file(content, chunk);
            lw::FileLineSource source(file, buffer);
            check(lw::LineClassifier(lw::CodePage(), path).classifyFile(source) == want);
        }
        // The pieces of the reader, handed on one by one.
        FuzzFile again(content, chunk);
        lw::FileLineSource lines(again, buffer);
        lw::LineClassifier byPiece{lw::CodePage()};
        lw::LinePiece piece;
        while (lines.readLine(piece)) {
            byPiece.classifyPiece(piece.text, piece.endsLine);
        }
        check(byPiece.counts() == want);
    }
    const lw::CodePage cp932(lw::CodePage::Kind::ShiftJis);
    FuzzFile file(content, chunk);
    lw::FileLineSource source(file, bufferSize);
    check(lw::LineClassifier(cp932).classifyFile(source) == referenceCounts(content, cp932));
    return 0;
}
