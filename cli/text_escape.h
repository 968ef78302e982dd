#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lw::cli {

// A row's text for tsv and table: tab, CR, LF and backslash written as \t, \r, \n and \\, and
// every other byte below 0x20 and 0x7F as \xHH, so that one row stays one line, no name can send
// a terminal control sequence, and the escaping can be undone. Where the backslash is the
// separator (Windows), it is written as it is.
void appendEscaped(std::string& out, std::string_view text);

// A JSON string literal; valid UTF-8 passes, every other byte becomes U+FFFD.
void appendJsonString(std::string& out, std::string_view text);

// Whether appendJsonString keeps every byte of the text, so that a reader gets them back.
bool isValidUtf8(std::string_view text);

// Terminal columns of a text, for aligning a table: one per character of valid UTF-8.
std::size_t displayWidth(std::string_view text);

// A run's message as one line of standard error, the rest escaped: its first "\n\n" folded to
// one space and its last, if another, to ": ", so "Failed to open:\n\nPATH\n\nREASON" reads
// "Failed to open: PATH: REASON".
std::string messageLine(std::string_view message);

// "cannot search DIRECTORY: REASON" as one line of standard error, after the prefix.
std::string searchFailureLine(std::string_view prefix, std::string_view directory,
                              std::string_view reason);

}  // namespace lw::cli
