#include <QApplication>

#include "app/capp_main.h"

int main(int argc, char** argv) {
    // The program takes no arguments of its own; Qt sees them for its platform options.
    QApplication application(argc, argv);
    lw::CappMain theApp;
    return theApp.InitInstance() ? QApplication::exec() : 0;
}
