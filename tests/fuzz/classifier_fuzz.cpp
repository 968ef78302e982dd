// Feeds arbitrary bytes as a file through every way of classifying it and stops on the first
// disagreement: the reader with its bulk path at an input-chosen buffer and read size, against the
// plain character-stepping classifier over lines split here in the simplest way.
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

lw::FileCounts referenceCounts(std::string_view content) {
    if (content.substr(0, 3) == "\xEF\xBB\xBF") {
        content.remove_prefix(3);
    }
    lw::LineClassifier classifier(lw::CodePage(), lw::LineClassifier::ScanPath::CharacterStepping);
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    // Small buffers make lines straddle buffer ends and CR LF pairs split across reads.
    const std::size_t bufferSize = 1 + data[0] % 64;
    const std::size_t chunk = 1 + data[1] % 128;
    const std::string_view content(reinterpret_cast<const char*>(data) + 2, size - 2);

    const lw::FileCounts want = referenceCounts(content);
    for (std::size_t buffer : {bufferSize, std::size_t{4096}}) {
        for (auto path :
             {lw::LineClassifier::ScanPath::Automatic, lw::LineClassifier::ScanPath::Scalar}) {
            FuzzFile file(content, chunk);
            lw::FileLineSource source(file, buffer);
            if (!(lw::LineClassifier(lw::CodePage(), path).classifyFile(source) == want)) {
                std::abort();
            }
        }
        FuzzFile again(content, chunk);
        lw::FileLineSource lines(again, buffer);
        lw::LineClassifier byLine{lw::CodePage()};
        std::string_view line;
        while (lines.readLine(line)) {
            byLine.classifyLine(line);
        }
        if (!(byLine.counts() == want)) {
            std::abort();
        }
    }
    FuzzFile file(content, chunk);
    lw::FileLineSource source(file, bufferSize);
    const lw::FileCounts cp932 =
        lw::LineClassifier(lw::CodePage(lw::CodePage::Kind::ShiftJis)).classifyFile(source);
    if (cp932.fixmes > cp932.total) {
        std::abort();
    }
    return 0;
}
