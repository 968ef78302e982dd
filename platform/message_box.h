#pragma once

#include <functional>
#include <string>

class QWidget;

namespace lw {

// A modal box with the text, one OK button and the application's name as caption; returns when
// it is dismissed. The text is the engine's bytes (decoded for display).
void showMessage(QWidget* owner, const std::string& text);

// Test seam: while a recorder is set, showMessage hands the text to it instead of showing a box.
class MessageBoxSeam {
  public:
    using Recorder = std::function<void(const std::string& text)>;
    static void setRecorder(Recorder recorder);
    static void clearRecorder();
};

}  // namespace lw
