#pragma once

#include <functional>
#include <string>

namespace lw {

class ModalDialog;

struct FolderChoice {
    enum class Outcome {
        Chosen,       // `path` holds the folder (at most 259 bytes on Win32)
        Cancelled,    // nothing chosen
        NoAllocator,  // the shell's allocator could not be had: "Error: Failed to SHGetMalloc"
    };
    Outcome outcome = Outcome::Cancelled;
    std::string path;
};

// The platform's modal folder chooser over `owner`: file-system folders only, no title, no
// initial selection.
FolderChoice browseForFolder(ModalDialog* owner);

// Test seam: while an answerer is set, browseForFolder returns its answer instead of opening.
class FolderBrowserSeam {
  public:
    using Answerer = std::function<FolderChoice()>;
    static void setAnswerer(Answerer answerer);
    static void clearAnswerer();
};

}  // namespace lw
