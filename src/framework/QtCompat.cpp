#include "framework/QtCompat.h"

#include <QApplication>
#include <QFont>

namespace fw {

void PrepareHighDpiScaling()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
#endif
}

void UseSystemMessageFont()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0) && defined(Q_OS_WIN)
    QApplication::setFont(QApplication::font("QMessageBox"));
#endif
}

void CloseOnlyWhenSessionEnds()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0) && !defined(QT_NO_SESSIONMANAGER)
    QGuiApplication::setFallbackSessionManagementEnabled(false);
#endif
}

} // namespace fw
