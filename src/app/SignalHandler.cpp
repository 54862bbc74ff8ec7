#include "app/SignalHandler.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QWidget>

#if defined(Q_OS_UNIX)
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace app {

#if defined(Q_OS_UNIX)
namespace {
int g_signalPipe[2] = {-1, -1};

extern "C" void OnShutdownSignal(int signal)
{
    const char byte = static_cast<char>(signal);
    // Only async-signal-safe work here: the event loop does the rest.
    [[maybe_unused]] const auto written = ::write(g_signalPipe[0], &byte, 1);
}
} // namespace

void InstallShutdownSignals(QWidget* window)
{
    if (g_signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    for (int fd : g_signalPipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, O_NONBLOCK);
    }

    auto* notifier = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, window);
    QPointer<QWidget> target(window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [target] {
        char byte = 0;
        while (::read(g_signalPipe[1], &byte, 1) > 0) {
        }
        // Open dialogs end first, as if cancelled, so their modal loops unwind.
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
                dialog->reject();
        }
        if (target)
            target->close();
    });

    struct sigaction action = {};
    action.sa_handler = OnShutdownSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}
#else
void InstallShutdownSignals(QWidget*) {}
#endif

} // namespace app
