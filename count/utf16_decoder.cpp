#include "count/utf16_decoder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace lw {

namespace {

constexpr std::size_t kRawChunk = 64 * 1024;

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

constexpr std::uint32_t kReplacement = 0xFFFD;

// Passes the first read through unless it begins with a byte-order mark; from then on either
// forwards every read or decodes.
class Utf16DecodingFile final : public ReadableFile {
  public:
    explicit Utf16DecodingFile(std::unique_ptr<ReadableFile> inner) : inner_(std::move(inner)) {}

    ssize_t read(char* buffer, std::size_t size) override {
        if (mode_ == Mode::Plain) {
            return inner_->read(buffer, size);
        }
        if (mode_ == Mode::Undecided) {
            return firstRead(buffer, size);
        }
        return decodedRead(buffer, size);
    }

    std::string readFailure() const override { return inner_->readFailure(); }
    bool refusedAsOpen() const override { return inner_->refusedAsOpen(); }

  private:
    enum class Mode { Undecided, Plain, Decoding };

    ssize_t firstRead(char* buffer, std::size_t size) {
        if (size < 2) {
            // Too small to tell; such a caller gets the bytes as they are.
            mode_ = Mode::Plain;
            return inner_->read(buffer, size);
        }
        ssize_t got = inner_->read(buffer, size);
        if (got == 1 && isMarkByte(buffer[0])) {
            // A short read may have split the mark; one more byte decides.
            const ssize_t more = inner_->read(buffer + 1, 1);
            if (more < 0) {
                return -1;
            }
            got += more;
        }
        if (got < 2) {
            mode_ = Mode::Plain;
            return got;
        }
        const auto b0 = static_cast<unsigned char>(buffer[0]);
        const auto b1 = static_cast<unsigned char>(buffer[1]);
        if ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF)) {
            mode_ = Mode::Decoding;
            bigEndian_ = b0 == 0xFE;
            raw_.assign(buffer + 2, buffer + got);
            return decodedRead(buffer, size);
        }
        mode_ = Mode::Plain;
        return got;
    }

    static bool isMarkByte(char c) {
        const auto b = static_cast<unsigned char>(c);
        return b == 0xFF || b == 0xFE;
    }

    ssize_t decodedRead(char* buffer, std::size_t size) {
        while (outPos_ == out_.size() && !ended_) {
            out_.clear();
            outPos_ = 0;
            decodeWhole();
            if (!out_.empty()) {
                break;
            }
            if (inputEnded_) {
                finish();
                ended_ = true;
                break;
            }
            const std::size_t old = raw_.size();
            raw_.resize(old + kRawChunk);
            const ssize_t got = inner_->read(reinterpret_cast<char*>(raw_.data() + old), kRawChunk);
            if (got < 0) {
                return -1;
            }
            raw_.resize(old + static_cast<std::size_t>(got));
            inputEnded_ = got == 0;
        }
        const std::size_t n = std::min(size, out_.size() - outPos_);
        std::memcpy(buffer, out_.data() + outPos_, n);
        outPos_ += n;
        return static_cast<ssize_t>(n);
    }

    std::uint16_t unitAt(std::size_t i) const {
        return bigEndian_ ? static_cast<std::uint16_t>(raw_[i] << 8 | raw_[i + 1])
                          : static_cast<std::uint16_t>(raw_[i + 1] << 8 | raw_[i]);
    }

    // Decodes every complete unit in raw_, keeping an odd byte and a high surrogate whose partner
    // has not been read yet.
    void decodeWhole() {
        std::size_t i = 0;
        out_.reserve(raw_.size() * 3 / 2 + 4);
        while (i + 2 <= raw_.size()) {
            const std::uint16_t unit = unitAt(i);
            if (unit >= 0xD800 && unit <= 0xDBFF) {
                if (i + 4 > raw_.size()) {
                    if (!inputEnded_) {
                        break;
                    }
                    appendUtf8(out_, kReplacement);
                    i += 2;
                    continue;
                }
                const std::uint16_t next = unitAt(i + 2);
                if (next >= 0xDC00 && next <= 0xDFFF) {
                    appendUtf8(out_, 0x10000 + ((std::uint32_t{unit} - 0xD800) << 10) +
                                         (std::uint32_t{next} - 0xDC00));
                    i += 4;
                } else {
                    appendUtf8(out_, kReplacement);
                    i += 2;
                }
            } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
                appendUtf8(out_, kReplacement);
                i += 2;
            } else {
                appendUtf8(out_, unit);
                i += 2;
            }
        }
        raw_.erase(raw_.begin(), raw_.begin() + static_cast<std::ptrdiff_t>(i));
    }

    // At the end of the input: a unit cut short, or a high surrogate left without its partner.
    void finish() {
        if (!raw_.empty()) {
            decodeWhole();
            if (!raw_.empty()) {
                appendUtf8(out_, kReplacement);
                raw_.clear();
            }
        }
    }

    std::unique_ptr<ReadableFile> inner_;
    Mode mode_ = Mode::Undecided;
    bool bigEndian_ = false;
    bool inputEnded_ = false;
    bool ended_ = false;
    std::vector<unsigned char> raw_;
    std::string out_;
    std::size_t outPos_ = 0;
};

}  // namespace

std::unique_ptr<ReadableFile> withUtf16Decoding(std::unique_ptr<ReadableFile> file) {
    if (!file) {
        return file;
    }
    return std::make_unique<Utf16DecodingFile>(std::move(file));
}

}  // namespace lw
