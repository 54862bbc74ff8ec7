// Start-up and shutdown of the application object, against the fake card.

#include "TestSupport.h"
#include "app/MainFrame.h"
#include "app/ReadoutApp.h"

#include <QTest>
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
};

int main(int argc, char** argv)
{
    CReadoutApp app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    TestApp test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_app.moc"
