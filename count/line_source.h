#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "count/file_system.h"
#include "count/line_classifier.h"

namespace lw {

// Bytes as read, not cleared first. It grows with realloc, which moves a large block by remapping
// its pages rather than by copying and clearing them: a line of a gigabyte costs about its own
// size in memory, not three times it.
class ReadBuffer {
  public:
    explicit ReadBuffer(std::size_t size);  // throws std::bad_alloc when memory runs out
    ~ReadBuffer();
    ReadBuffer(const ReadBuffer&) = delete;
    ReadBuffer& operator=(const ReadBuffer&) = delete;

    char* data() const { return data_; }
    std::size_t size() const { return size_; }
    char operator[](std::size_t i) const { return data_[i]; }
    void grow();  // doubles the size; throws std::bad_alloc when memory runs out
    // Gives back what a long line made it grow beyond `size`.
    void shrinkTo(std::size_t size);

  private:
    char* data_;
    std::size_t size_;
};

// The lines of an open file. One large read at a time into a reused buffer; a line ends at LF,
// CR LF or a lone CR, and a last line without terminator counts. A UTF-8 byte-order mark at the
// very start of the file is not part of the first line. No limit on the length of a line.
class FileLineSource : public LineSource {
  public:
    explicit FileLineSource(ReadableFile& file, std::size_t bufferSize = kDefaultBufferSize);
    // Reads into a buffer that outlives the source, so that a run of many files reuses one
    // buffer instead of allocating and faulting in a new one for each. The buffer may grow.
    FileLineSource(ReadableFile& file, ReadBuffer& buffer);

    bool readLine(std::string_view& line) override;

    // True once a read failed; readLine has then returned false and the file must be given up.
    bool failed() const { return failed_; }

    // The next run of whole lines, for readers that split lines themselves: it ends behind a
    // line terminator (or at the end of the file), and every CR and every LF in it ends a line,
    // so a CR LF pair shows as a line end followed by an empty line. A source is read either with
    // readLine or with readLines, not both.
    bool readLines(std::string_view& block);

    static constexpr std::size_t kDefaultBufferSize = 256 * 1024;

  private:
    bool fill();     // one read behind the unconsumed bytes; false on a read error
    bool prepare();  // drops the byte-order mark at the very start; false once failed

    ReadableFile& file_;
    std::optional<ReadBuffer> own_;
    ReadBuffer& buffer_;
    std::size_t begin_ = 0;  // first unconsumed byte
    std::size_t end_ = 0;    // one past the last valid byte
    bool eof_ = false;
    bool failed_ = false;
    bool atStart_ = true;
    bool pendingCr_ = false;  // the previous line ended at a CR that was the last byte read
};

}  // namespace lw
