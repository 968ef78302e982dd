#pragma once

// Helpers shared by the QtTest suites: a fresh, private settings store for every test binary, a
// recorder for message boxes, and a way to answer a real modal dialog without a human.

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/message_box.h"

namespace lw::test {

// Points XDG_CONFIG_HOME and XDG_RUNTIME_DIR at fresh temporary directories and selects the
// offscreen platform. Call before the QApplication is made (QTEST_MAIN-like mains do it first).
inline void initGuiTestEnvironment() {
    static QTemporaryDir config;
    static QTemporaryDir runtime;
    setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    setenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
}

// Records every message box text while it lives, instead of showing boxes.
class MessageRecorder {
  public:
    MessageRecorder() {
        MessageBoxSeam::setRecorder([this](const std::string& text) { messages.push_back(text); });
    }
    ~MessageRecorder() { MessageBoxSeam::clearRecorder(); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    std::vector<std::string> messages;
};

// Once the next modal widget is up, calls `act` with it (poll every 10 ms, give up after 5 s).
inline void whenModalShown(std::function<void(QWidget*)> act, int attemptsLeft = 500) {
    QTimer::singleShot(10, [act = std::move(act), attemptsLeft]() mutable {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            act(modal);
        } else if (attemptsLeft > 0) {
            whenModalShown(std::move(act), attemptsLeft - 1);
        }
    });
}

}  // namespace lw::test

// A main for QtTest suites that sets the environment up before the QApplication exists.
#define LW_GUI_TEST_MAIN(TestClass)              \
    int main(int argc, char** argv) {            \
        lw::test::initGuiTestEnvironment();      \
        QApplication app(argc, argv);            \
        app.setAttribute(Qt::AA_Use96Dpi, true); \
        TestClass test;                          \
        QTEST_SET_MAIN_SOURCE_PATH               \
        return QTest::qExec(&test, argc, argv);  \
    }
