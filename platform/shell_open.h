#pragma once

#include <functional>
#include <string>

namespace lw {

class ModalDialog;

// Opens a file path (the engine's bytes) or a web address in whatever the system associates with
// it, with the verb "open". Never builds a command line. The result is not reported.
void shellOpen(ModalDialog* owner, const std::string& pathOrAddress);

// Test seam: while a recorder is set, shellOpen hands the path to it instead of opening.
class ShellOpenSeam {
  public:
    using Recorder = std::function<void(const std::string& pathOrAddress)>;
    static void setRecorder(Recorder recorder);
    static void clearRecorder();
};

}  // namespace lw
