#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "count/file_system.h"
#include "count/line_classifier.h"

namespace lw {

// Bytes as read, not cleared first, of a size fixed when made, starting a page.
class ReadBuffer {
  public:
    explicit ReadBuffer(std::size_t size);  // throws std::bad_alloc when memory runs out
    ~ReadBuffer();
    ReadBuffer(const ReadBuffer&) = delete;
    ReadBuffer& operator=(const ReadBuffer&) = delete;

    char* data() const { return data_; }
    std::size_t size() const { return size_; }

  private:
    char* raw_;  // as allocated
    char* data_;
    std::size_t size_;
};

// The lines of an open file, read into a buffer of fixed size that serves every read: a line
// longer than the buffer comes in pieces, so memory does not grow with the length of a line. A
// line ends at LF, CR LF or a lone CR, and a last line without terminator counts. A UTF-8
// byte-order mark at the very start of the file is not part of the first line.
class FileLineSource : public LineSource {
  public:
    // The smallest buffer: one that holds a byte-order mark. A smaller size is rounded up to it.
    static constexpr std::size_t kMinimumBufferSize = 3;
    static constexpr std::size_t kDefaultBufferSize = 256 * 1024;

    explicit FileLineSource(ReadableFile& file, std::size_t bufferSize = kDefaultBufferSize);
    // Reads into a buffer that outlives the source, so that a run of many files reuses one
    // buffer instead of allocating and faulting in a new one for each. It holds at least
    // kMinimumBufferSize bytes.
    FileLineSource(ReadableFile& file, ReadBuffer& buffer);

    bool readLine(LinePiece& piece) override;
    bool hasText() const override { return true; }
    bool readText(std::string_view& text) override;

    // True once a read failed; the source has then ended early and the file must be given up.
    bool failed() const { return failed_; }

  private:
    bool fill();  // one read behind the unconsumed bytes; false on a read error
    // False once failed; drops the byte-order mark at the very start. Called for every line, so
    // the common case stays inline.
    bool prepare() { return !failed_ && (!atStart_ || dropByteOrderMark()); }
    bool dropByteOrderMark();

    ReadableFile& file_;
    std::optional<ReadBuffer> own_;
    ReadBuffer& buffer_;
    std::size_t begin_ = 0;  // first unconsumed byte
    std::size_t end_ = 0;    // one past the last valid byte
    bool eof_ = false;
    bool failed_ = false;
    bool atStart_ = true;
    bool pendingCr_ = false;  // the previous line ended at a CR that was the last byte read
    bool lineOpen_ = false;   // a piece of a line was served and the line has not ended yet
};

}  // namespace lw
