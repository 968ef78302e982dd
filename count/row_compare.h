#pragma once

#include <cstdint>
#include <string>

namespace lw {

// The orders the File List sorts by, free of any window so that every host sorts alike.

// Paths: unsigned bytes, shorter first on a common prefix; no locale takes part. -1, 0 or 1.
std::int32_t compareRowTexts(const std::string& a, const std::string& b);

// The C library's atoi, except that a value beyond the int32 range saturates instead of being
// undefined.
std::int32_t atoiSaturating(const std::string& text);

// Numbers: the difference of the two values read as atoiSaturating does, saturated.
std::int32_t compareRowNumbers(const std::string& a, const std::string& b);

}  // namespace lw
