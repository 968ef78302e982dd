// A main for the GoogleTest window suites on Qt: private settings and runtime directories and the
// offscreen platform, set before the QApplication exists.

#include <gtest/gtest.h>

#include <QApplication>

#include "tests/support/gui_test_support.h"

int main(int argc, char** argv) {
    lw::test::initGuiTestEnvironment();
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
