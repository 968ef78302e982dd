#pragma once

#include <string>

class QWidget;

namespace lw {

// Opens a file path (the engine's bytes) or a web address ("http://", "https://") in whatever the
// desktop associates with it. Never builds a command line. The result is not reported.
void shellOpen(QWidget* owner, const std::string& pathOrAddress);

}  // namespace lw
