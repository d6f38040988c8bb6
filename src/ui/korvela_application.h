#pragma once

#include <QApplication>
#include <QTranslator>

namespace korvela {

class UserDialogs;

// The application object: title "KORVELA", '.' as the decimal separator, Qt's own Russian
// translation for the standard dialogs and buttons, and the general error handler that shows the
// message of an exception escaping a command in a message box and goes back to the event loop
// (work the user stopped shows none: the busy indicator has said so).
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
    QTranslator qtTranslation_;
};

// Runs a command's handler so that an error it raises is shown at once, in a message box,
// instead of unwinding through the toolkit that called it.
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

// Connects a signal (a click, a menu item, a window's request) to a command's handler.
template <typename Sender, typename Signal, typename Handler>
void connectCommand(Sender* sender, Signal signal, QObject* context, Handler handler) {
    QObject::connect(sender, signal, context, [handler] { reportingErrors(handler); });
}

}  // namespace korvela
