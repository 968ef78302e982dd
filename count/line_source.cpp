#include "count/line_source.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace lw {

namespace {

constexpr unsigned char kBom[3] = {0xEF, 0xBB, 0xBF};

// The first CR or LF in [from, to), or `to`. One pass for both bytes: searching for LF first and
// then for CR in front of it would rescan the rest of the buffer for every line of a file that
// ends its lines with CR alone.
const char* findLineEnd(const char* from, const char* to) {
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    while (to - from >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        const int mask =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)));
        if (mask != 0) {
            return from + __builtin_ctz(static_cast<unsigned>(mask));
        }
        from += 16;
    }
#endif
    while (from < to && *from != '\n' && *from != '\r') {
        ++from;
    }
    return from;
}

}  // namespace

ReadBuffer::ReadBuffer(std::size_t size)
    : data_(static_cast<char*>(std::malloc(std::max<std::size_t>(size, 1)))),
      size_(std::max<std::size_t>(size, 1)) {
    if (data_ == nullptr) {
        throw std::bad_alloc();
    }
}

ReadBuffer::~ReadBuffer() {
    std::free(data_);
}

void ReadBuffer::grow() {
    if (size_ > static_cast<std::size_t>(-1) / 2) {
        throw std::bad_alloc();
    }
    void* grown = std::realloc(data_, size_ * 2);
    if (grown == nullptr) {
        throw std::bad_alloc();
    }
    data_ = static_cast<char*>(grown);
    size_ *= 2;
}

void ReadBuffer::shrinkTo(std::size_t size) {
    size = std::max<std::size_t>(size, 1);
    if (size_ <= size) {
        return;
    }
    // Shrinking in place cannot fail in practice; should it, the larger block simply stays.
    if (void* shrunk = std::realloc(data_, size)) {
        data_ = static_cast<char*>(shrunk);
        size_ = size;
    }
}

FileLineSource::FileLineSource(ReadableFile& file, std::size_t bufferSize)
    : file_(file), own_(std::in_place, bufferSize), buffer_(*own_) {}

FileLineSource::FileLineSource(ReadableFile& file, ReadBuffer& buffer)
    : file_(file), buffer_(buffer) {}

bool FileLineSource::fill() {
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == buffer_.size()) {
        // A line longer than the buffer: keep all of it, there is no limit on a line's length.
        buffer_.grow();
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

bool FileLineSource::prepare() {
    if (failed_) {
        return false;
    }
    if (atStart_) {
        while (end_ - begin_ < sizeof kBom && !eof_) {
            if (!fill()) {
                return false;
            }
        }
        if (end_ - begin_ >= sizeof kBom && std::memcmp(buffer_.data() + begin_, kBom, 3) == 0) {
            begin_ += sizeof kBom;
        }
        atStart_ = false;
    }
    return true;
}

bool FileLineSource::readLine(std::string_view& line) {
    if (!prepare()) {
        return false;
    }
    std::size_t scanned = 0;  // bytes after begin_ already known to hold no terminator
    for (;;) {
        if (pendingCr_) {
            if (begin_ < end_) {
                if (buffer_[begin_] == '\n') {
                    ++begin_;
                }
                pendingCr_ = false;
            } else if (eof_) {
                pendingCr_ = false;
            }
        }
        if (!pendingCr_) {
            char* const from = buffer_.data() + begin_ + scanned;
            char* const to = buffer_.data() + end_;
            char* hit = const_cast<char*>(findLineEnd(from, to));
            if (hit == to) {
                hit = nullptr;
            }
            if (hit != nullptr) {
                const std::size_t pos = static_cast<std::size_t>(hit - buffer_.data());
                line = std::string_view(buffer_.data() + begin_, pos - begin_);
                begin_ = pos + 1;
                if (*hit == '\r') {
                    if (begin_ < end_) {
                        if (buffer_[begin_] == '\n') {
                            ++begin_;
                        }
                    } else {
                        pendingCr_ = true;
                    }
                }
                return true;
            }
            if (eof_) {
                if (begin_ == end_) {
                    return false;
                }
                line = std::string_view(buffer_.data() + begin_, end_ - begin_);
                begin_ = end_;
                return true;
            }
            scanned = end_ - begin_;
        }
        if (!fill()) {
            return false;
        }
    }
}

bool FileLineSource::readLines(std::string_view& block) {
    if (!prepare()) {
        return false;
    }
    std::size_t scanned = 0;
    for (;;) {
        // The block ends behind the last terminator in the buffer; what follows is kept for the
        // next read, so that no line is cut.
        std::size_t last = end_;
        bool found = false;
        for (std::size_t i = end_; i > begin_ + scanned; --i) {
            const char c = buffer_[i - 1];
            if (c == '\n' || c == '\r') {
                last = i;
                found = true;
                break;
            }
        }
        if (found || (eof_ && begin_ < end_)) {
            block = std::string_view(buffer_.data() + begin_, last - begin_);
            begin_ = last;
            return true;
        }
        if (eof_) {
            return false;
        }
        scanned = end_ - begin_;
        if (!fill()) {
            return false;
        }
    }
}

}  // namespace lw
