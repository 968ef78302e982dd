#include "platform/busy_window.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QWindow>

#include "platform/busy_rhythm.h"
#include "platform/qt/modal_dialog.h"
#include "platform/qt/text.h"

namespace lw {

namespace {

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
        : status(status),
          filter(window),
          progress(status != nullptr ? toBytes(status->text()) : std::string()) {}

    QLabel* status;
    InputFilter filter;
    BusyRhythm rhythm;
    ProgressStatus progress;
};

BusyWindow::BusyWindow(ModalDialog& window, int statusControlId)
    : native_(std::make_unique<Native>(window.native(),
                                       window.native().item<QLabel>(statusControlId))) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::instance()->installEventFilter(&native_->filter);
}

BusyWindow::~BusyWindow() {
    QApplication::instance()->removeEventFilter(&native_->filter);
    QApplication::restoreOverrideCursor();
    QLabel* label = native_->status;
    if (label == nullptr) {
        return;
    }
    if (const auto before = native_->progress.restored(toBytes(label->text()))) {
        label->setText(fromBytes(*before));
    }
}

void BusyWindow::keepAlive(const std::function<std::string()>& progress) {
    if (!native_->rhythm.repaintDue()) {
        return;
    }
    if (native_->rhythm.showsProgress() && progress && native_->status != nullptr) {
        // The program's own words are UTF-8.
        const std::string text = progress();
        native_->status->setText(
            QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        native_->progress.shown(toBytes(native_->status->text()));
    }
    // Everything but what the filter drops: painting, exposure after the window was minimised
    // or covered, and the window system's questions whether the program still answers.
    QApplication::processEvents();
    native_->rhythm.repainted();
}

}  // namespace lw
