#pragma once

#include <memory>

#include "count/file_system.h"

namespace lw {

// Wraps a file so that text starting with a UTF-16 byte-order mark (FF FE little-endian, FE FF
// big-endian) reads as UTF-8 without the mark, and so counts like the same text saved as UTF-8.
// Anything else reads unchanged, byte for byte, without an extra read. An unpaired surrogate and
// an odd last byte read as U+FFFD. nullptr stays nullptr.
std::unique_ptr<ReadableFile> withUtf16Decoding(std::unique_ptr<ReadableFile> file);

}  // namespace lw
