#pragma once
// The application object. Qt cannot carry an exception through its event
// loop, while the program (as its class library did) lets exceptions of a
// command reach the loop and expects them shown there: notify catches
// whatever an event handler throws and shows it in a message box.
#include <QApplication>
#include <functional>

namespace platform {

class Application : public QApplication
{
public:
    Application(int &argc, char **argv);
    bool notify(QObject *Receiver, QEvent *Event) override;
};

// Runs Command; an exception it throws is shown (ShowException) and
// swallowed. Returns false when one was thrown. Menu commands and other
// entry points from the event loop run under it.
bool RunGuarded(const std::function<void()> &Command);

} // namespace platform
