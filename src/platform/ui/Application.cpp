#include "platform/ui/Application.h"

#include "platform/Exception.h"
#include "platform/ui/MessageBox.h"

namespace platform {

namespace {

// What an exception that is not a std::exception says.
const char *const UnknownExceptionText = "Unknown exception";

} // namespace

Application::Application(int &argc, char **argv) : QApplication(argc, argv) {}

bool Application::notify(QObject *Receiver, QEvent *Event)
{
    bool result = false;
    RunGuarded([&] { result = QApplication::notify(Receiver, Event); });
    return result;
}

bool RunGuarded(const std::function<void()> &Command)
{
    try {
        Command();
        return true;
    } catch (const std::exception &e) {
        ShowException(e);
    } catch (...) {
        ShowException(Exception(QString::fromLatin1(UnknownExceptionText)));
    }
    return false;
}

} // namespace platform
