#pragma once

#include <QApplication>

namespace korvela {

class UserDialogs;

// The application object: title "KORVELA", '.' as the decimal separator, and the general
// error handler that shows the message of an exception escaping a command in a message box
// and goes back to the event loop.
class KorvelaApplication : public QApplication {
public:
    KorvelaApplication(int& argc, char** argv);

    // Where messages go (the desktop's message boxes unless a test replaces them).
    void setDialogs(UserDialogs* dialogs) { dialogs_ = dialogs; }
    UserDialogs* dialogs() const { return dialogs_; }

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the message of the exception being handled.
    void reportCurrentException();

private:
    UserDialogs* dialogs_ = nullptr;
};

// Runs a handler that a widget calls back in the middle of its own work (a text edit's change
// signal): an error is shown at once instead of unwinding through the widget.
template <typename Handler>
void reportingErrors(Handler&& handler) {
    try {
        handler();
    } catch (...) {
        if (auto* application = dynamic_cast<KorvelaApplication*>(QCoreApplication::instance())) {
            application->reportCurrentException();
        }
    }
}

}  // namespace korvela
