// Start-up and shutdown of the application object, against the fake card.

#include "TestSupport.h"
#include "app/MainFrame.h"
#include "app/ReadoutApp.h"
#include "framework/Dialog.h"
#include "resources/Resources.h"

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>
#include <csignal>

using Trace = std::vector<std::string>;

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

    void signalClosesTheWindowOrderly_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
        QTest::newRow("SIGHUP") << SIGHUP;
    }

    void signalClosesTheWindowOrderly()
    {
        QFETCH(int, signal);
        testsupport::CIsolatedProfile profile;
        testsupport::SetCard(2, 1);
        auto* app = static_cast<CReadoutApp*>(qApp);
        QVERIFY(app->InitInstance());
        std::raise(signal);
        QTRY_VERIFY_WITH_TIMEOUT(!app->MainFrame()->isVisible(), 2000);
        QVERIFY(!app->MainFrame()->IsRefreshing());
        QCOMPARE(app->ExitInstance(), 0);
        QCOMPARE(fake::Trace().back(), std::string("close"));
    }

    // A signal while Axis Properties and its encoder dialog are open ends both dialogs, then the program.
    void signalEndsOpenDialogs()
    {
#if defined(Q_OS_UNIX)
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
                std::raise(SIGTERM);
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
#else
        QSKIP("no POSIX signals here");
#endif
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
