#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "count/file_system.h"
#include "count/line_classifier.h"

namespace lw::test {

// Hands out a fixed list of lines, each whole.
class VectorLineSource : public LineSource {
  public:
    explicit VectorLineSource(std::vector<std::string> lines) : lines_(std::move(lines)) {}

    bool readLine(LinePiece& piece) override {
        if (next_ == lines_.size()) {
            return false;
        }
        piece = {lines_[next_++], true};
        return true;
    }

  private:
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
};

// A file held in memory that returns at most `chunk` bytes per read and fails with -1 once
// `failAt` bytes have been delivered.
class MemoryFile : public ReadableFile {
  public:
    explicit MemoryFile(std::string content, std::size_t chunk = static_cast<std::size_t>(-1),
                        std::size_t failAt = static_cast<std::size_t>(-1))
        : content_(std::move(content)), chunk_(chunk), failAt_(failAt) {}

    ssize_t read(char* buffer, std::size_t size) override {
        ++reads_;
        if (pos_ >= failAt_) {
            return -1;
        }
        std::size_t n = std::min({size, chunk_, content_.size() - pos_, failAt_ - pos_});
        content_.copy(buffer, n, pos_);
        pos_ += n;
        return static_cast<ssize_t>(n);
    }

    int reads() const { return reads_; }

  private:
    std::string content_;
    std::size_t chunk_;
    std::size_t failAt_;
    std::size_t pos_ = 0;
    int reads_ = 0;
};

// Every instruction set of the classifier's scan that this processor can run.
inline std::vector<LineClassifier::ScanPath> supportedScanPaths() {
    using Path = LineClassifier::ScanPath;
    std::vector<Path> out;
    for (Path path : {Path::Scalar, Path::Sse2, Path::Avx2, Path::Avx512}) {
        if (LineClassifier::supports(path)) {
            out.push_back(path);
        }
    }
    return out;
}

}  // namespace lw::test
