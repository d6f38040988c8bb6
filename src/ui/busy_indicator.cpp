#include "ui/busy_indicator.h"

#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

namespace korvela {
namespace {

std::chrono::milliseconds showAfter(500);  // shorter commands show nothing
constexpr int kStoppedShownMs = 10000;     // how long the status line says the work stopped
const char* const kStopCaption = "Прервать";

// Lets user input reach one control only and drops the rest, as a modal dialog does outside
// its window. Input passes through the window system's window to the widget it is for and is
// judged there; a shortcut, which goes to its action, never passes.
class InputGate : public QObject {
public:
    explicit InputGate(QObject* open) : open_(open) { qApp->installEventFilter(this); }

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        const bool input = event->isInputEvent() || event->type() == QEvent::Shortcut;
        return input && !receiver->isWindowType() && receiver != open_;
    }

private:
    QObject* open_;
};

// A status line of its own for a window that has none: along its bottom edge, `width` wide
// from its right end.
void placeAtBottomRight(QStatusBar& bar, int width) {
    const QWidget& window = *bar.parentWidget();
    const int height = bar.sizeHint().height();
    width = std::min(width, window.width());
    bar.setGeometry(window.width() - width, window.height() - height, width, height);
}

}  // namespace

BusyIndicator::BusyIndicator(QWidget* window, QString what)
    : window_(window ? window->window() : nullptr), what_(std::move(what)) {
    clock_.start();
}

BusyIndicator::~BusyIndicator() {
    inputGate_.reset();
    delete stopButton_.data();
    if (shown_) QApplication::restoreOverrideCursor();
    if (!statusBar_) return;
    if (stopped_) {
        sayStopped();
    } else if (ownStatusBar_) {
        delete statusBar_.data();
    } else {
        // A temporary message covers the status line's text and gives it back when cleared.
        statusBar_->clearMessage();
    }
}

// For a while, past the indicator's end; a status line of the indicator's own only as wide
// as the message then, so that the window's controls are free again.
void BusyIndicator::sayStopped() {
    statusBar_->showMessage(stoppedText(), kStoppedShownMs);
    if (!ownStatusBar_) return;
    const QFontMetrics metrics = statusBar_->fontMetrics();
    placeAtBottomRight(*statusBar_,
                       metrics.horizontalAdvance(stoppedText()) + 4 * metrics.averageCharWidth());
    QTimer::singleShot(kStoppedShownMs, statusBar_, &QObject::deleteLater);
}

std::chrono::milliseconds BusyIndicator::setShowAfter(std::chrono::milliseconds delay) {
    return std::exchange(showAfter, delay);
}

QString BusyIndicator::statusText(qint64 elapsedMs) const {
    if (const std::optional<int> percent = progress_.percent()) {
        return QString::fromUtf8("%1… %2 %").arg(what_).arg(*percent);
    }
    return QString::fromUtf8("%1… %2 с").arg(what_).arg(elapsedMs / 1000);
}

QString BusyIndicator::stoppedText() const { return QString::fromUtf8("%1: прервано").arg(what_); }

void BusyIndicator::keepWindowAlive() {
    const qint64 elapsed = clock_.elapsed();
    if (elapsed >= showAfter.count()) {
        show();
        if (statusBar_) statusBar_->showMessage(statusText(elapsed));
    }
    // Input waits for the command's end until the button is there to take it.
    QCoreApplication::processEvents(inputGate_ ? QEventLoop::AllEvents
                                               : QEventLoop::ExcludeUserInputEvents);
}

// The busy cursor, and while the work runs the button that stops it.
void BusyIndicator::show() {
    if (!shown_) QApplication::setOverrideCursor(Qt::WaitCursor);
    shown_ = true;
    if (inputGate_ || !statusBar()) return;
    if (!stopButton_) addStopButton();
    stopButton_->show();
    inputGate_ = std::make_unique<InputGate>(stopButton_.data());
}

// At the status line's right end; pressed once, it asks the work to stop.
void BusyIndicator::addStopButton() {
    auto* button = new QToolButton(statusBar_);
    button->setObjectName("stopButton");
    button->setText(QString::fromUtf8(kStopCaption));
    QObject::connect(button, &QAbstractButton::clicked, button, [this, button] {
        progress_.requestStop();
        button->setEnabled(false);
    });
    statusBar_->addPermanentWidget(button);
    stopButton_ = button;
    if (ownStatusBar_) placeAtBottomRight(*statusBar_, window_->width());
}

// The main window's status line, or one of the indicator's own over a dialog's bottom edge.
QStatusBar* BusyIndicator::statusBar() {
    if (statusBar_ || !window_) return statusBar_;
    if (auto* main = qobject_cast<QMainWindow*>(window_)) {
        statusBar_ = main->statusBar();
        return statusBar_;
    }
    auto* bar = new QStatusBar(window_);
    bar->setObjectName("busyStatusBar");
    bar->setSizeGripEnabled(false);
    bar->setAutoFillBackground(true);
    bar->show();
    bar->raise();
    statusBar_ = bar;
    ownStatusBar_ = true;
    return statusBar_;
}

void BusyIndicator::workEnded() {
    inputGate_.reset();
    if (stopButton_) stopButton_->hide();
}

}  // namespace korvela
