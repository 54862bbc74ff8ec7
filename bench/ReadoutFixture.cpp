#include "ReadoutFixture.h"

#include "BenchCard.h"
#include "app/MainFrame.h"
#include "resources/Resources.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QSettings>
#include <QWindow>

namespace bench {

namespace {
QtMessageHandler g_previousHandler = nullptr;

// The offscreen platform says at every fixed-size window that it cannot pass size hints on.
void DropSizeHintNotice(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message != QLatin1String("This plugin does not support propagateSizeHints()") && g_previousHandler)
        g_previousHandler(type, context, message);
}
} // namespace

void InitApplication()
{
    g_previousHandler = qInstallMessageHandler(DropSizeHintNotice);
    res::InstallResources();
    QCoreApplication::setApplicationName(res::String(res::AFX_IDS_APP_TITLE));
    QCoreApplication::setOrganizationName(QStringLiteral("Orvane Electronic Controls Ltd"));
}

CReadoutFixture::CReadoutFixture(bool bMoving)
{
    // The bars load and save their settings: never in the user's own profile.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dirProfile.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dirProfile.path());
    benchcard::Reset(bMoving);

    m_pFrame = std::make_unique<CMainFrame>();
    m_pFrame->LoadFrame(res::IDR_MAINFRAME);
    m_pFrame->show();
    QElapsedTimer waited;
    waited.start();
    while (!(m_pFrame->windowHandle() && m_pFrame->windowHandle()->isExposed()) && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    Flush();
    qApp->installEventFilter(this);
}

CReadoutFixture::~CReadoutFixture()
{
    qApp->removeEventFilter(this);
    m_pFrame.reset();
}

void CReadoutFixture::Tick()
{
    benchcard::Advance();
    m_pFrame->Panel().RefreshAll();
}

// Posted events only: the frame's own 250 ms timer does not fire in here, so every refresh measured is
// one this fixture asked for.
void CReadoutFixture::Flush()
{
    QCoreApplication::sendPostedEvents();
}

int CReadoutFixture::TakePaints()
{
    const int paints = m_nPaints;
    m_nPaints = 0;
    return paints;
}

bool CReadoutFixture::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && watched->isWidgetType())
        ++m_nPaints;
    return QObject::eventFilter(watched, event);
}

} // namespace bench
