#include "count/line_source.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include "count/line_ends.h"

namespace lw {

namespace {

constexpr unsigned char kBom[3] = {0xEF, 0xBB, 0xBF};
static_assert(sizeof kBom == FileLineSource::kMinimumBufferSize);

// Where the buffer starts within a page. A copy out of the page cache into a destination a few
// bytes past the source's offset within a page runs at half speed on some processors (the
// kernel's string copy trips over the false overlap), and malloc places a large block 16 bytes
// into a page: a buffer that starts a page lets the first read of every file, the one that takes
// nearly every source file whole, copy at full speed.
constexpr std::size_t kBufferAlignment = 4096;

}  // namespace

ReadBuffer::ReadBuffer(std::size_t size)
    : raw_(static_cast<char*>(std::malloc(std::max<std::size_t>(size, 1) + kBufferAlignment - 1))),
      data_(nullptr),
      size_(std::max<std::size_t>(size, 1)) {
    if (raw_ == nullptr) {
        throw std::bad_alloc();
    }
    const auto address = reinterpret_cast<std::uintptr_t>(raw_);
    data_ = raw_ + ((kBufferAlignment - address % kBufferAlignment) % kBufferAlignment);
}

ReadBuffer::~ReadBuffer() {
    std::free(raw_);
}

FileLineSource::FileLineSource(ReadableFile& file, std::size_t bufferSize)
    : file_(file), own_(std::in_place, std::max(bufferSize, kMinimumBufferSize)), buffer_(*own_) {}

FileLineSource::FileLineSource(ReadableFile& file, ReadBuffer& buffer)
    : file_(file), buffer_(buffer) {}

bool FileLineSource::fill() {
    if (begin_ == end_) {
        begin_ = 0;
        end_ = 0;
    }
    const ssize_t got = file_.read(buffer_.data() + end_, buffer_.size() - end_);
    if (got < 0) {
        failed_ = true;
        return false;
    }
    if (got == 0) {
        eof_ = true;
    }
    end_ += static_cast<std::size_t>(got);
    return true;
}

bool FileLineSource::dropByteOrderMark() {
    // The mark may come in several short reads; the buffer holds all of it.
    while (end_ < sizeof kBom && !eof_) {
        if (!fill()) {
            return false;
        }
    }
    if (end_ >= sizeof kBom && std::memcmp(buffer_.data(), kBom, sizeof kBom) == 0) {
        begin_ = sizeof kBom;
    }
    atStart_ = false;
    return true;
}

bool FileLineSource::readLine(LinePiece& piece) {
    if (!prepare()) {
        return false;
    }
    char* const data = buffer_.data();
    for (;;) {
        if (begin_ == end_) {
            if (eof_) {
                pendingCr_ = false;
                if (lineOpen_) {
                    // The end of the file ends the line whose pieces were served.
                    lineOpen_ = false;
                    piece = {std::string_view(), true};
                    return true;
                }
                return false;
            }
            if (!fill()) {
                return false;
            }
            continue;
        }
        if (pendingCr_) {
            pendingCr_ = false;
            if (data[begin_] == '\n') {
                ++begin_;
                continue;
            }
        }
        const char* const hit = findLineEnd(data + begin_, data + end_);
        if (hit != data + end_) {
            const auto pos = static_cast<std::size_t>(hit - data);
            piece = {std::string_view(data + begin_, pos - begin_), true};
            lineOpen_ = false;
            begin_ = pos + 1;
            if (*hit == '\r') {
                if (begin_ < end_) {
                    if (data[begin_] == '\n') {
                        ++begin_;
                    }
                } else {
                    pendingCr_ = true;
                }
            }
            return true;
        }
        // No line end in what the buffer holds: hand it out as a piece and read on.
        piece = {std::string_view(data + begin_, end_ - begin_), eof_};
        lineOpen_ = !eof_;
        begin_ = end_;
        return true;
    }
}

bool FileLineSource::readText(std::string_view& text) {
    if (!prepare()) {
        return false;
    }
    if (begin_ == end_) {
        if (eof_ || !fill() || begin_ == end_) {
            return false;
        }
    }
    text = std::string_view(buffer_.data() + begin_, end_ - begin_);
    begin_ = end_;
    return true;
}

}  // namespace lw
