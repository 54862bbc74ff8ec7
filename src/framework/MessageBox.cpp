#include "framework/MessageBox.h"

#include "framework/FrameWnd.h"

#include <QApplication>
#include <QMessageBox>
#include <utility>

namespace fw {
namespace {
MessageBoxHook& hook()
{
    static MessageBoxHook h;
    return h;
}
} // namespace

void SetMessageBoxHook(MessageBoxHook h) { hook() = std::move(h); }

void AfxMessageBox(const QString& text)
{
    const QString title = QCoreApplication::applicationName();
    if (hook()) {
        hook()(title, text);
        return;
    }
    // Owned as a dialog is: by the active window, else by the main window.
    QWidget* owner = QApplication::activeWindow();
    if (!owner)
        owner = AfxGetMainWnd();
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, owner);
    box.exec();
    // The keyboard goes back to the window the message was about.
    if (owner && owner->isVisible())
        owner->activateWindow();
}

} // namespace fw
