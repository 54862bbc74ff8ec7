#pragma once
// Message boxes titled with the application name, OK only, owned by the active window.

#include <QString>
#include <functional>

namespace fw {

// Shows `text` and returns when the operator has dismissed it.
void AfxMessageBox(const QString& text);

// Replaces the message box (headless runs and tests): the hook receives the title and the text instead.
// An empty hook restores the real message box.
using MessageBoxHook = std::function<void(const QString& title, const QString& text)>;
void SetMessageBoxHook(MessageBoxHook hook);

} // namespace fw
