#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <chrono>
#include <future>
#include <memory>
#include <type_traits>
#include <utility>

#include "common/work_progress.h"

class QAbstractButton;
class QObject;
class QStatusBar;
class QWidget;

namespace korvela {

// Held by a command that may take long (import, open, save, exports, workbook passes, the
// plan on paper). Its long pieces of work run through run(): on a worker thread, while the
// window keeps repainting. Once the command has run half a second, the busy cursor shows and
// the status line says what is being done and how far it has come (the share of progress()
// done, or the seconds spent while the work has not begun counting), until the indicator
// goes out of scope. While the work runs from then on, the status line also holds the button
// "Прервать", the only control that takes input meanwhile (as under a modal dialog, other
// input is dropped); it asks the work to stop at its next count. A window without a status
// line (a dialog) gets one of its own along its bottom edge for that time.
class BusyIndicator {
public:
    // `what` names the work in the status line, e.g. "Импорт".
    BusyIndicator(QWidget* window, QString what);
    ~BusyIndicator();
    BusyIndicator(const BusyIndicator&) = delete;
    BusyIndicator& operator=(const BusyIndicator&) = delete;

    // What the work counts into, from its thread; where it learns that it is to stop.
    WorkProgress& progress() { return progress_; }

    // How long a command runs before its indicator shows, for every indicator: half a second
    // unless set otherwise (window tests show it at once). Returns the delay it replaces.
    static std::chrono::milliseconds setShowAfter(std::chrono::milliseconds delay);

    // The status line's text after `elapsedMs` of the work.
    QString statusText(qint64 elapsedMs) const;
    // The status line's text once the work has stopped at the button's request.
    QString stoppedText() const;

    // Runs work (which must not touch any widget) and returns its result; what it throws is
    // thrown here. Work stopped by the button throws WorkStopped: the status line then says
    // so (for a while, past the indicator's end), and the application shows no message. Once
    // the button has been pressed, later work of the command does not begin.
    template <typename Work>
    std::invoke_result_t<Work&> run(Work work) {
        try {
            if (progress_.stopRequested()) throw WorkStopped();
            auto task = std::async(std::launch::async, std::move(work));
            while (task.wait_for(std::chrono::milliseconds(kRepaintMs)) !=
                   std::future_status::ready) {
                keepWindowAlive();
            }
            workEnded();
            return task.get();
        } catch (const WorkStopped&) {
            stopped_ = true;
            throw;
        }
    }

private:
    static constexpr int kRepaintMs = 50;

    void keepWindowAlive();
    void show();
    QStatusBar* statusBar();
    void addStopButton();
    void workEnded();
    void sayStopped();

    QPointer<QWidget> window_;  // the window the command runs in
    QString what_;
    QElapsedTimer clock_;
    WorkProgress progress_;
    bool shown_ = false;
    bool stopped_ = false;
    QPointer<QStatusBar> statusBar_;
    bool ownStatusBar_ = false;
    QPointer<QAbstractButton> stopButton_;
    std::unique_ptr<QObject> inputGate_;  // present while the button takes the input
};

}  // namespace korvela
