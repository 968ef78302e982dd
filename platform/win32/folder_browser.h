#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace lw::win32 {

struct FolderChoice {
    enum class Outcome {
        Chosen,       // `path` holds the folder (at most 259 bytes)
        Cancelled,    // nothing chosen
        NoAllocator,  // the shell's allocator could not be had: "Error: Failed to SHGetMalloc"
    };
    Outcome outcome = Outcome::Cancelled;
    std::string path;
};

// The shell's modal folder browser over `owner` (SHBrowseForFolderA): file-system folders only,
// a field to type a folder's name, the resizable browser; no root, title, initial selection or
// callback. A chosen folder that has no file-system path counts as cancelled.
FolderChoice browseForFolder(HWND owner);

// Test seam: while an answerer is set, browseForFolder returns its answer instead of opening.
class FolderBrowserSeam {
  public:
    using Answerer = std::function<FolderChoice()>;
    static void setAnswerer(Answerer answerer);
    static void clearAnswerer();
};

}  // namespace lw::win32
