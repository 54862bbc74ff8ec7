#include "framework/MessageBox.h"

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
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

} // namespace fw
