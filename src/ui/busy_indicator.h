#pragma once

#include <QElapsedTimer>
#include <QString>
#include <chrono>
#include <future>
#include <type_traits>
#include <utility>

#include "common/work_progress.h"

class QMainWindow;
class QWidget;

namespace korvela {

// Held by a command that may take long (import, open, save, exports, workbook passes). Its
// long pieces of work run through run(): on a worker thread, while the window keeps
// repainting (user input waits until the command ends). Once the command has run half a
// second, the busy cursor shows and the status line says what is being done and how far it
// has come (the share of progress() done, or the seconds spent while the work has not begun
// counting), until the indicator goes out of scope.
class BusyIndicator {
public:
    // `what` names the work in the status line, e.g. "Импорт".
    BusyIndicator(QWidget* window, QString what);
    ~BusyIndicator();
    BusyIndicator(const BusyIndicator&) = delete;
    BusyIndicator& operator=(const BusyIndicator&) = delete;

    // What the work counts into, from its thread.
    WorkProgress& progress() { return progress_; }

    // The status line's text after `elapsedMs` of the work.
    QString statusText(qint64 elapsedMs) const;

    // Runs work (which must not touch any widget) and returns its result; what it throws is
    // thrown here.
    template <typename Work>
    std::invoke_result_t<Work&> run(Work work) {
        auto task = std::async(std::launch::async, std::move(work));
        while (task.wait_for(std::chrono::milliseconds(kRepaintMs)) != std::future_status::ready)
            keepWindowAlive();
        return task.get();
    }

private:
    static constexpr int kRepaintMs = 50;

    void keepWindowAlive();

    QMainWindow* window_;
    QString what_;
    QElapsedTimer clock_;
    WorkProgress progress_;
    bool shown_ = false;
};

}  // namespace korvela
