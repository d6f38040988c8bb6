#include "ui/busy_indicator.h"

#include <QApplication>
#include <QMainWindow>
#include <QStatusBar>

namespace korvela {
namespace {

constexpr qint64 kShowAfterMs = 500;  // shorter commands show nothing

}  // namespace

BusyIndicator::BusyIndicator(QWidget* window, QString what)
    : window_(window ? qobject_cast<QMainWindow*>(window->window()) : nullptr),
      what_(std::move(what)) {
    clock_.start();
}

BusyIndicator::~BusyIndicator() {
    if (!shown_) return;
    QApplication::restoreOverrideCursor();
    if (window_) window_->statusBar()->clearMessage();
}

QString BusyIndicator::statusText(qint64 elapsedMs) const {
    if (const std::optional<int> percent = progress_.percent()) {
        return QString::fromUtf8("%1… %2 %").arg(what_).arg(*percent);
    }
    return QString::fromUtf8("%1… %2 с").arg(what_).arg(elapsedMs / 1000);
}

void BusyIndicator::keepWindowAlive() {
    const qint64 elapsed = clock_.elapsed();
    if (elapsed >= kShowAfterMs) {
        if (!shown_) QApplication::setOverrideCursor(Qt::WaitCursor);
        shown_ = true;
        // A temporary message covers the status line's text and gives it back when cleared.
        if (window_) window_->statusBar()->showMessage(statusText(elapsed));
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace korvela
