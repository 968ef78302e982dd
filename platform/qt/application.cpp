#include "platform/application.h"

#include <QApplication>

#include "platform/qt/text.h"

namespace lw {

int runApplication(int argc, char** argv, const std::function<bool()>& initInstance) {
    // The program takes no arguments of its own; Qt sees them for its platform options.
    QApplication application(argc, argv);
    return initInstance() ? QApplication::exec() : 0;
}

void prepareCommonControls() {}

std::string applicationName() {
    return toBytes(QCoreApplication::applicationName());
}

}  // namespace lw
