#pragma once

#include <QIcon>

namespace lw {

// Icon 128, the program's icon, in every size that is shipped (16 to 96 pixels).
QIcon applicationIcon();

}  // namespace lw
