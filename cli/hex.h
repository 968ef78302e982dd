#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lw::cli {

// Lower-case hexadecimal of the bytes, and back; fromHex takes either case and gives nothing for
// text that is not pairs of hexadecimal digits.
std::string toHex(std::string_view bytes);
std::optional<std::string> fromHex(std::string_view hex);

}  // namespace lw::cli
