#include "app/SignalHandler.h"

#include "framework/QtCompat.h"

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QWidget>
#include <memory>

#if defined(Q_OS_WIN)
#include <QAbstractNativeEventFilter>
#include <qt_windows.h>
#endif

#if defined(Q_OS_UNIX)
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace app {

void CloseOrderly(QWidget* window)
{
    // Open dialogs end first, as if cancelled, so their modal loops unwind.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
            dialog->reject();
    }
    if (window)
        window->close();
}

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

void InstallShutdownSignals(QWidget* window, std::function<void()> /*endSessionNow*/)
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
        CloseOrderly(target);
    });

    struct sigaction action = {};
    action.sa_handler = OnShutdownSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}
#elif defined(Q_OS_WIN)
namespace {
// WM_CLOSE needs nothing of ours: it closes the window like its close box. WM_ENDSESSION comes to
// every top-level window of the program, Qt's hidden ones too; the first one that says the session
// really ends does the work.
class CSessionEndFilter : public QAbstractNativeEventFilter
{
public:
    CSessionEndFilter(QWidget* window, std::function<void()> endSessionNow)
        : m_pWindow(window), m_endSessionNow(std::move(endSessionNow))
    {
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, fw::NativeEventResult*) override
    {
        if (eventType != "windows_generic_MSG" || !message)
            return false;
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message == WM_ENDSESSION && msg->wParam != FALSE && !m_bEnded) {
            m_bEnded = true;
            CloseOrderly(m_pWindow);
            if (m_endSessionNow)
                m_endSessionNow();
        }
        return false; // Qt's own handling follows: it ends the event loop
    }

private:
    QPointer<QWidget> m_pWindow;
    std::function<void()> m_endSessionNow;
    bool m_bEnded = false;
};
} // namespace

void InstallShutdownSignals(QWidget* window, std::function<void()> endSessionNow)
{
    static std::unique_ptr<CSessionEndFilter> filter;
    filter = std::make_unique<CSessionEndFilter>(window, std::move(endSessionNow));
    QCoreApplication::instance()->installNativeEventFilter(filter.get());
}
#else
void InstallShutdownSignals(QWidget*, std::function<void()>) {}
#endif

} // namespace app
