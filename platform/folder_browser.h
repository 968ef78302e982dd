#pragma once

#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace lw {

// The platform's modal folder chooser: directories only, no title, no initial selection.
// The chosen folder's path as the engine's bytes, or nullopt when cancelled.
std::optional<std::string> browseForFolder(QWidget* owner);

// Test seam: while an answerer is set, browseForFolder returns its answer instead of opening.
class FolderBrowserSeam {
  public:
    using Answerer = std::function<std::optional<std::string>()>;
    static void setAnswerer(Answerer answerer);
    static void clearAnswerer();
};

}  // namespace lw
