#pragma once
// SIGTERM, SIGINT and SIGHUP close the main window the orderly way, like File > Exit.

class QWidget;

namespace app {

// Installs the handlers; a signal then closes `window` from the event loop. Does nothing where the
// platform has no such signals.
void InstallShutdownSignals(QWidget* window);

} // namespace app
