#pragma once

#include <memory>

#include "count/file_system.h"

namespace lw {

// The POSIX file system for a run that searches each directory with several patterns one after
// another: the directory is read once, at its first search, and each following search of the
// same directory matches its pattern against that listing. What changes in the directory between
// those searches goes unseen. The directories listed last stay open, a descriptor each, and their
// matches are opened by name within them; they are let go whenever descriptors run out. Its
// enumerate() must be called from one thread at a time; the other operations are as safe to
// share as systemFileSystem()'s.
std::unique_ptr<FileSystem> makeListingFileSystem();

}  // namespace lw
