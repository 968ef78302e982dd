#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "cli/baseline.h"

namespace lw::cli {

// What the command line needs of the system it runs on: one implementation per platform
// (system_posix.cpp, system_win32.cpp), chosen by CMake.

// Called before anything is opened or written: standard output then takes the bytes as they are,
// with no CR put in front of an LF; on POSIX systems a standard descriptor that came closed is
// held on /dev/null, read-only, so that nothing the program opens lands there and writing to it
// still fails.
void prepareStandardStreams();

// Asks that the memory be faulted in a large page at a time where the system can: a page fault
// costs about as much for 2 MB as for 4 KB, and microseconds on a virtual machine. A hint only.
void adviseLargePages(const void* data, std::size_t bytes);

// Whether standard error is a terminal that shows a progress line and can erase it again.
bool standardErrorIsTerminal();

// A path or message of the system's text code page as UTF-8, for JSON: converted from the ANSI
// code page on Windows (unchanged where that is UTF-8); unchanged on POSIX systems, whose file
// names have no code page of record.
std::string toUtf8(std::string_view systemText);

// The paths of a baseline (JSON, so UTF-8) in the system's text code page, the form of the run's
// paths that they are matched with: converted to the ANSI code page on Windows (unchanged where
// that is UTF-8); unchanged on POSIX systems.
void baselineToSystemText(Baseline& baseline);

}  // namespace lw::cli
