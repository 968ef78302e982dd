#pragma once

#include <string>

namespace lw::win32 {

// UTF-8 (the text of res/) as UTF-16 (what a dialog template holds). Invalid sequences become
// U+FFFD.
std::wstring wideFromUtf8(const std::string& utf8);

// Text in the ANSI code page (the engine's bytes) as UTF-16, as the wide functions take it.
std::wstring wideFromAnsi(const std::string& ansi);

// UTF-8 in the ANSI code page, as the "A" functions take text. A character the code page lacks
// becomes the code page's default character ("?").
std::string ansiFromUtf8(const std::string& utf8);

}  // namespace lw::win32
