// The real executable on the simulated boards, ended the way a session ends it: offscreen and by
// SIGTERM on Unix; on Windows on the desktop, by WM_CLOSE (as `taskkill` sends it) and by the end of
// the Windows session. The 32-bit Windows program also runs on the simulator built with __stdcall, and
// makes the same calls.

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#if defined(Q_OS_WIN)
#include <qt_windows.h>
#endif

namespace {

#if defined(Q_OS_WIN)
// The program's profile, the registry branch of the user running it.
const QString kBranch =
    QStringLiteral("HKEY_CURRENT_USER\\Software\\Orvane Electronic Controls Ltd\\Orvane 001 - Digital Readout");

bool UnderWine()
{
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

struct CWindowSearch
{
    DWORD pid;
    HWND found;
};

BOOL CALLBACK MatchMainWindow(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<CWindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    wchar_t title[64] = {};
    GetWindowTextW(hwnd, title, 64);
    if (owner == search->pid && IsWindowVisible(hwnd) && wcscmp(title, L"Orvane001 - Digital Readout (simulated boards)") == 0) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The main window of process `pid`, or null.
HWND MainWindowOf(qint64 pid)
{
    CWindowSearch search{static_cast<DWORD>(pid), nullptr};
    EnumWindows(MatchMainWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
#endif

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
    // The calls of the first run, without the values read, which depend on the clock.
    QStringList m_firstCalls;

    QProcessEnvironment Environment(const QString& trace) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
#if defined(Q_OS_WIN)
        // A real window, for the messages of the desktop to reach.
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
#else
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
#endif
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("ENCODER_SIM_TRACE"), trace);
        for (const char* name : {"ENCODER_SIM_CHANNELS", "ENCODER_SIM_BOARDS", "ENCODER_SIM_TYPES",
                                 "ENCODER_SIM_ABSENT", "ENCODER_SIM_SET", "ENCODER_SIM_MOTION"})
            env.remove(QString::fromLatin1(name));
        return env;
    }

private slots:
    void runsTicksAndEndsInOrder_data()
    {
        QTest::addColumn<bool>("endSession");
        QTest::addColumn<QString>("program");
        const QString program = QStringLiteral(READOUT_EXECUTABLE);
        // QProcess::terminate: SIGTERM, or on Windows WM_CLOSE to the program's windows.
        QTest::newRow("terminate") << false << program;
#if defined(Q_OS_WIN)
        QTest::newRow("end of the Windows session") << true << program;
#endif
#if defined(READOUT_STDCALL_EXECUTABLE)
        // A copy of the program beside the simulator built with __stdcall, which Windows loads first.
        QTest::newRow("__stdcall library") << false << QStringLiteral(READOUT_STDCALL_EXECUTABLE);
#endif
    }

    void runsTicksAndEndsInOrder()
    {
        QFETCH(bool, endSession);
        QFETCH(QString, program);
#if defined(Q_OS_WIN)
        if (!UnderWine())
            QSKIP("The program would save into the real profile of the user running the test");
        QSettings(kBranch, QSettings::NativeFormat).remove(QString());
#endif
        const QString trace = m_dir.filePath(QString::fromUtf8(QTest::currentDataTag()) + QStringLiteral(".txt"));
        QProcess readout;
        QProcessEnvironment env = Environment(trace);
        // No motion: the same calls at every tick.
        env.insert(QStringLiteral("ENCODER_SIM_MOTION"), QStringLiteral("0"));
#if defined(Q_OS_WIN)
        // The copy finds Qt and its plugins beside the program it was copied from.
        const QString programs = QFileInfo(QStringLiteral(READOUT_EXECUTABLE)).absolutePath();
        env.insert(QStringLiteral("PATH"), programs + QLatin1Char(';') + env.value(QStringLiteral("PATH")));
        env.insert(QStringLiteral("QT_PLUGIN_PATH"), programs);
#endif
        readout.setProcessEnvironment(env);
        readout.start(program, {});
        QVERIFY(readout.waitForStarted());
        // Let it tick a few times.
        QTRY_VERIFY_WITH_TIMEOUT(ReadLines(trace).filter(QStringLiteral("read 40 5 ->")).size() >= 4, 20000);
        if (endSession) {
#if defined(Q_OS_WIN)
            HWND window = nullptr;
            QTRY_VERIFY_WITH_TIMEOUT((window = MainWindowOf(readout.processId())) != nullptr, 10000);
            DWORD_PTR answer = 0;
            SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_BLOCK, 10000, &answer);
            QVERIFY(answer != FALSE);
            // Another program may still refuse: until the session ends, the readout stays and ticks.
            const auto ticks = ReadLines(trace).filter(QStringLiteral("read 40 5 ->")).size();
            QTRY_VERIFY_WITH_TIMEOUT(ReadLines(trace).filter(QStringLiteral("read 40 5 ->")).size() > ticks,
                                     5000);
            QVERIFY(IsWindowVisible(window));
            SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_BLOCK, 10000, &answer);
            // Windows may end it now: the card is closed and the settings are saved already.
            QCOMPARE(ReadLines(trace).last(), QStringLiteral("close"));
            QCOMPARE(QSettings(kBranch, QSettings::NativeFormat).value(QStringLiteral("Settings/Axis5/Name")),
                     QVariant(QStringLiteral("C")));
#endif
        } else {
            readout.terminate();
        }
        QVERIFY(readout.waitForFinished(20000));
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
        // Up to the third tick, the same calls on every library.
        QStringList calls;
        for (const QString& line : lines) {
            calls << line.section(QStringLiteral(" -> "), 0, 0);
            if (calls.filter(QStringLiteral("read 40 5")).size() == 3)
                break;
        }
        if (m_firstCalls.isEmpty())
            m_firstCalls = calls;
        QCOMPARE(calls, m_firstCalls);
#if defined(Q_OS_WIN)
        // Each axis in the registry: text for the name and the scaling, a DWORD for the mode word.
        QSettings branch(kBranch, QSettings::NativeFormat);
        for (int ch = 0; ch < 6; ++ch) {
            branch.beginGroup(QStringLiteral("Settings/Axis%1").arg(ch));
            QCOMPARE(branch.value(QStringLiteral("Name")), QVariant(QString(QLatin1Char("XYZABC"[ch]))));
            QCOMPARE(branch.value(QStringLiteral("Pitch")), QVariant(QStringLiteral("1.000000")));
            QCOMPARE(branch.value(QStringLiteral("Count")), QVariant(QStringLiteral("1.000000")));
            QCOMPARE(branch.value(QStringLiteral("Mode")), QVariant(402786304));
            branch.endGroup();
        }
#endif
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
