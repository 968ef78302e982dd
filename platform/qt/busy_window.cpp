#include "platform/busy_window.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QWindow>

#include "platform/qt/modal_dialog.h"
#include "platform/seams.h"

namespace lw {

namespace {

constexpr std::chrono::milliseconds kRepaintEvery{40};
constexpr std::chrono::milliseconds kProgressAfter{500};

bool isUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::InputMethod:
            return true;
        default:
            return false;
    }
}

// Drops the user's input to the busy window and its controls, and refuses its closing, while the
// work lets the event loop run for painting.
class InputFilter : public QObject {
  public:
    explicit InputFilter(QWidget& window) : window_(window) {}

  protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (!belongsToWindow(receiver)) {
            return false;
        }
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        return isUserInput(event->type());
    }

  private:
    bool belongsToWindow(QObject* receiver) const {
        if (receiver->isWidgetType()) {
            return static_cast<QWidget*>(receiver)->window() == &window_;
        }
        return receiver->isWindowType() && receiver == window_.windowHandle();
    }

    QWidget& window_;
};

}  // namespace

class BusyWindow::Native {
  public:
    Native(QWidget& window, QLabel* status)
        : status(status), filter(window), started(seams::busyWindowNow()), lastRepaint(started) {}

    QLabel* status;
    InputFilter filter;
    std::chrono::milliseconds started;
    std::chrono::milliseconds lastRepaint;
    QString statusBefore;
    QString shownText;  // the progress text last shown; empty while none is
};

BusyWindow::BusyWindow(ModalDialog& window, int statusControlId)
    : native_(std::make_unique<Native>(window.native(),
                                       window.native().item<QLabel>(statusControlId))) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::instance()->installEventFilter(&native_->filter);
    if (native_->status != nullptr) {
        native_->statusBefore = native_->status->text();
    }
}

BusyWindow::~BusyWindow() {
    QApplication::instance()->removeEventFilter(&native_->filter);
    QApplication::restoreOverrideCursor();
    // A work that sets its own final text has already replaced the progress.
    QLabel* label = native_->status;
    if (label != nullptr && !native_->shownText.isEmpty() && label->text() == native_->shownText) {
        label->setText(native_->statusBefore);
    }
}

void BusyWindow::keepAlive(const std::function<std::string()>& progress) {
    const std::chrono::milliseconds time = seams::busyWindowNow();
    if (time - native_->lastRepaint < kRepaintEvery) {
        return;
    }
    native_->lastRepaint = time;
    if (time - native_->started >= kProgressAfter && progress && native_->status != nullptr) {
        const std::string text = progress();
        native_->shownText = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        native_->status->setText(native_->shownText);
    }
    // Everything but what the filter drops: painting, exposure after the window was minimised
    // or covered, and the window system's questions whether the program still answers.
    QApplication::processEvents();
}

}  // namespace lw
