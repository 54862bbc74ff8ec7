// Start-up and shutdown of the application object, against the fake card.

#include "TestSupport.h"
#include "app/MainFrame.h"
#include "app/ReadoutApp.h"
#include "framework/Dialog.h"
#include "framework/QtCompat.h"
#include "resources/Resources.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDialog>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <csignal>
#if defined(Q_OS_WIN)
#include <qt_windows.h>
#endif

using Trace = std::vector<std::string>;

namespace {
// The end that comes from outside: SIGTERM, or on Windows the end of the session as WM_ENDSESSION
// brings it (lParam: ENDSESSION_LOGOFF, or 0 for a shut-down).
void EndFromOutside([[maybe_unused]] qint64 endSession = 0)
{
#if defined(Q_OS_WIN)
    MSG msg{};
    msg.message = WM_ENDSESSION;
    msg.wParam = TRUE;
    msg.lParam = static_cast<LPARAM>(endSession);
    fw::NativeEventResult result = 0;
    QAbstractEventDispatcher::instance()->filterNativeEvent("windows_generic_MSG", &msg, &result);
#else
    std::raise(SIGTERM);
#endif
}
} // namespace

class TestApp : public QObject
{
    Q_OBJECT

private slots:
    void init() { fake::Reset(); }

    void namesSetBeforeTheInterfaceOpens()
    {
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Orvane 001 - Digital Readout"));
        QCOMPARE(QCoreApplication::organizationName(), QStringLiteral("Orvane Electronic Controls Ltd"));
    }

    void missingInterface()
    {
        testsupport::CIsolatedProfile profile;
        fake::SetOpenResult(1);
        auto* app = static_cast<CReadoutApp*>(qApp);
        QVERIFY(!app->InitInstance());
        QCOMPARE(profile.Messages(), QStringList{QStringLiteral("Encoder interface not found !")});
        QCOMPARE(fake::Trace(), Trace{"open -> 1"});
        QVERIFY(!app->MainFrame());
        for (QWidget* w : QApplication::topLevelWidgets())
            QVERIFY(!w->isVisible());
    }

    void anyOtherOpenResultStarts_data()
    {
        QTest::addColumn<int>("result");
        QTest::newRow("0") << 0;
        QTest::newRow("2") << 2;
        QTest::newRow("-1") << -1;
    }

    void anyOtherOpenResultStarts()
    {
        QFETCH(int, result);
        testsupport::CIsolatedProfile profile;
        testsupport::SetCard(3, 1);
        fake::SetOpenResult(static_cast<int16_t>(result));
        auto* app = static_cast<CReadoutApp*>(qApp);
        QVERIFY(app->InitInstance());
        QVERIFY(profile.Messages().isEmpty());
        QVERIFY(app->MainFrame()->isVisible());
        QCOMPARE(app->MainFrame()->windowTitle(), QStringLiteral("Orvane001 - Digital Readout"));
        QTest::qWait(300);
        app->MainFrame()->close();
        const size_t before = fake::Calls().size();
        QCOMPARE(app->ExitInstance(), 0);
        QCOMPARE(testsupport::TraceFrom(before), Trace{"close"});
    }

    // The ends that come from outside: on Unix a signal, on Windows the end of the session (WM_CLOSE is
    // the close box's own message, run by test_endtoend).
    void endFromOutsideIsOrderly_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<qint64>("endSession"); // the lParam of WM_ENDSESSION, or -1
#if defined(Q_OS_WIN)
        QTest::newRow("log-off") << 0 << qint64{ENDSESSION_LOGOFF};
        QTest::newRow("shut-down") << 0 << qint64{0};
#else
        QTest::newRow("SIGTERM") << SIGTERM << qint64{-1};
        QTest::newRow("SIGINT") << SIGINT << qint64{-1};
        QTest::newRow("SIGHUP") << SIGHUP << qint64{-1};
#endif
    }

    void endFromOutsideIsOrderly()
    {
        QFETCH(int, signal);
        QFETCH(qint64, endSession);
        testsupport::CIsolatedProfile profile;
        testsupport::SetCard(2, 1);
        auto* app = static_cast<CReadoutApp*>(qApp);
        QVERIFY(app->InitInstance());
        app->MainFrame()->Panel().AxisBar(1).m_strName = QStringLiteral("S");
        if (endSession >= 0) {
            // Windows may end the process as soon as WM_ENDSESSION is answered: the interface is closed
            // and the settings are in the profile by then.
            EndFromOutside(endSession);
#if defined(Q_OS_WIN)
            QCOMPARE(fake::Trace().back(), std::string("close"));
            QCOMPARE(QSettings().value(QStringLiteral("Settings/Axis1/Name")).toString(), QStringLiteral("S"));
#endif
        } else {
            std::raise(signal);
        }
        QTRY_VERIFY_WITH_TIMEOUT(!app->MainFrame()->isVisible(), 2000);
        QVERIFY(!app->MainFrame()->IsRefreshing());
        const size_t calls = fake::Calls().size();
        QCOMPARE(app->ExitInstance(), 0);
        QCOMPARE(fake::Trace().back(), std::string("close"));
        QVERIFY(fake::Calls().size() == calls || endSession < 0); // closed once
        QCOMPARE(QSettings().value(QStringLiteral("Settings/Axis1/Name")).toString(), QStringLiteral("S"));
    }

    // An end from outside while Axis Properties and its encoder dialog are open ends both dialogs, then
    // the program.
    void endFromOutsideEndsOpenDialogs()
    {
        testsupport::CIsolatedProfile profile;
        testsupport::SetCard(1, 1, {1});
        auto* app = static_cast<CReadoutApp*>(qApp);
        QVERIFY(app->InitInstance());
        QStringList opened;
        bool bLeftOpen = false;
        QObject context;
        // Once Axis Properties is up: its "SSI Mode", and SIGTERM once that dialog is up too.
        QTimer::singleShot(0, &context, [&] {
            auto* dlg = qobject_cast<fw::CDialog*>(QApplication::activeModalWidget());
            if (!dlg)
                return;
            opened << dlg->windowTitle();
            QTimer::singleShot(0, &context, [&] {
                if (QWidget* nested = QApplication::activeModalWidget())
                    opened << nested->windowTitle();
                EndFromOutside();
            });
            QTest::mouseClick(dlg->GetDlgItem(res::IDC_SSI_MODE), Qt::LeftButton);
        });
        // Without the signal's work the dialogs would wait for the operator: the test ends them.
        QTimer::singleShot(5000, &context, [&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible()) {
                    bLeftOpen = true;
                    dialog->reject();
                }
            }
        });
        app->MainFrame()->Panel().AxisBar(0).OnSetup();
        QCOMPARE(opened,
                 (QStringList{QStringLiteral("Axis Properties"), QStringLiteral("SSI encoder properties")}));
        QVERIFY(!bLeftOpen);
        QTRY_VERIFY_WITH_TIMEOUT(!app->MainFrame()->isVisible(), 2000);
        QCOMPARE(app->ExitInstance(), 0);
        QCOMPARE(fake::Trace().back(), std::string("close"));
        const Trace trace = fake::Trace();
        QCOMPARE(std::count(trace.begin(), trace.end(), std::string("close")), 1);
    }
};

int main(int argc, char** argv)
{
    CReadoutApp app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    TestApp test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_app.moc"
