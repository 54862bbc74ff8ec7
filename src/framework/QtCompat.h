#pragma once

// What differs between the two Qts the program builds with: Qt 6, and Qt 5.15 for the 32-bit Windows
// build (Qt 6 does not support Windows before 10). Everything else is the same code on both.

#include <QtGlobal>

namespace fw {

// The result a native event filter may set (QAbstractNativeEventFilter::nativeEventFilter).
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
using NativeEventResult = qintptr;
#else
using NativeEventResult = long;
#endif

// Qt 6 scales to the screen's resolution by its exact factor, and high-resolution pixmaps with it; Qt 5
// does so only when asked before the application object exists. Called first in main(), so that the
// window, its fonts and its pixmaps come out the same on a high-DPI screen with either Qt.
void PrepareHighDpiScaling();

// Qt 6 on Windows takes the system's message font (Segoe UI 9 pt) as the application's font, Qt 5 the
// older dialog font (MS Shell Dlg 2, 8 pt), though it knows the message font as the message boxes'. Called
// once the application object exists, so that what has no font of its own looks the same with either Qt.
void UseSystemMessageFont();

// When Windows asks whether the session may end, Qt 5 closes every window of the program before it
// answers, though another program may still refuse and the session go on without the readout; Qt 6
// only answers. Either way the program closes when the session really ends. Called once the
// application object exists.
void CloseOnlyWhenSessionEnds();

} // namespace fw
