#pragma once
// The ends of the program that come from outside it, handled the orderly way, like File > Exit.
// On Unix SIGTERM, SIGINT and SIGHUP; on Windows WM_CLOSE (the window's own close) and the end of the
// Windows session (log-off, shut-down).

#include <functional>

class QWidget;

namespace app {

// Open dialogs end as if cancelled, then `window` closes.
void CloseOrderly(QWidget* window);

// Installs the handlers. A signal closes `window` from the event loop. The end of the Windows session
// closes it and runs `endSessionNow` before the handler returns, as Windows may end the process as soon
// as it has.
void InstallShutdownSignals(QWidget* window, std::function<void()> endSessionNow);

} // namespace app
