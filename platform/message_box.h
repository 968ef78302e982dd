#pragma once

#include <functional>
#include <string>

namespace lw {

class ModalDialog;

// A modal box with the text, one OK button and the application's name as caption, owned by
// `owner` (which takes no input meanwhile); returns when it is dismissed.
void showMessage(ModalDialog* owner, const std::string& text);

// Test seam: while a recorder is set, showMessage hands the text to it instead of showing a box.
class MessageBoxSeam {
  public:
    using Recorder = std::function<void(const std::string& text)>;
    static void setRecorder(Recorder recorder);
    static void clearRecorder();
};

}  // namespace lw
