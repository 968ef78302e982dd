#include "platform/qt/app_icon.h"

namespace lw {

QIcon applicationIcon() {
    // Not cached in a static: an icon must not outlive the application object.
    QIcon icon;
    for (int size : {16, 32, 48, 64, 96}) {
        icon.addFile(QStringLiteral(":/linewright/icons/linewright-%1.png").arg(size),
                     QSize(size, size));
    }
    return icon;
}

}  // namespace lw
