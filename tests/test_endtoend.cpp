// The real executable on the simulated boards, offscreen, ended the way a session ends it.

#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList ReadLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QProcessEnvironment Environment(const QString& trace) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("ENCODER_SIM_TRACE"), trace);
        for (const char* name : {"ENCODER_SIM_CHANNELS", "ENCODER_SIM_BOARDS", "ENCODER_SIM_TYPES",
                                 "ENCODER_SIM_ABSENT", "ENCODER_SIM_SET", "ENCODER_SIM_MOTION"})
            env.remove(QString::fromLatin1(name));
        return env;
    }

private slots:
    void runsTicksAndEndsOnSigterm()
    {
        const QString trace = m_dir.filePath(QStringLiteral("trace.txt"));
        QProcess readout;
        readout.setProcessEnvironment(Environment(trace));
        readout.start(QStringLiteral(READOUT_EXECUTABLE), {});
        QVERIFY(readout.waitForStarted());
        // Let it tick a few times.
        QTRY_VERIFY_WITH_TIMEOUT(ReadLines(trace).filter(QStringLiteral("read 40 5 ->")).size() >= 4, 10000);
        readout.terminate();
        QVERIFY(readout.waitForFinished(10000));
        QCOMPARE(readout.exitStatus(), QProcess::NormalExit);
        QCOMPARE(readout.exitCode(), 0);

        const QStringList lines = ReadLines(trace);
        QCOMPARE(lines.value(0), QStringLiteral("open -> 0"));
        QCOMPARE(lines.value(1), QStringLiteral("read 1 0 -> 6"));
        QCOMPARE(lines.value(2), QStringLiteral("read 7 0 -> 2"));
        QCOMPARE(lines.last(), QStringLiteral("close"));
        QCOMPARE(lines.count(QStringLiteral("close")), 1);
        // Every channel got the default mode word at creation.
        for (int ch = 0; ch < 6; ++ch)
            QVERIFY(lines.contains(QStringLiteral("write 11 %1 402786304").arg(ch)));
        QCOMPARE(lines.filter(QStringLiteral("read 13 ")).size(), 6);
    }

    void missingInterfaceOpensNothingElse()
    {
        const QString trace = m_dir.filePath(QStringLiteral("absent.txt"));
        QProcess readout;
        QProcessEnvironment env = Environment(trace);
        env.insert(QStringLiteral("ENCODER_SIM_ABSENT"), QStringLiteral("1"));
        readout.setProcessEnvironment(env);
        readout.start(QStringLiteral(READOUT_EXECUTABLE), {});
        QVERIFY(readout.waitForStarted());
        // The message box waits for the operator; nothing else may have touched the card meanwhile.
        QTest::qWait(1500);
        readout.kill();
        readout.waitForFinished(5000);
        QCOMPARE(ReadLines(trace), QStringList{QStringLiteral("open -> 1")});
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "test_endtoend.moc"
