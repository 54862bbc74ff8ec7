// The simulated boards through the four calls, configured from the environment as a user would.

#include "hardware/EncoderLibrary.h"
#include "hardware/ModeWord.h"
#include "hardware/Registers.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace {

constexpr int32_t kSentinel = 123456;

// Clears every ENCODER_SIM_ variable, sets the given "NAME=value" ones (NAME without the prefix), opens.
int16_t OpenWith(const QStringList& env)
{
    for (const char* name : {"CHANNELS", "BOARDS", "TYPES", "ABSENT", "SET", "MOTION", "TRACE"})
        qunsetenv(QByteArray("ENCODER_SIM_").append(name).constData());
    for (const QString& entry : env) {
        const qsizetype equals = entry.indexOf(u'=');
        qputenv(QByteArray("ENCODER_SIM_").append(entry.left(equals).toLatin1()).constData(),
                entry.mid(equals + 1).toLatin1());
    }
    return open_encoder();
}

uint32_t Bits(unsigned length)
{
    return length >= 32 ? 0xFFFFFFFFu : (1u << length) - 1u;
}

uint32_t SsiMode(unsigned length, int reversed, int gray)
{
    uint32_t mode = hw::SetModeField(hw::kDefaultModeWord, hw::ssi::Length, static_cast<int32_t>(length));
    mode = hw::SetModeField(mode, hw::ssi::Direction, reversed);
    return hw::SetModeField(mode, hw::ssi::Code, gray);
}

int32_t ReadSsi(int16_t channel, uint32_t mode)
{
    write_encoder(REG_MODE, channel, static_cast<int32_t>(mode));
    return read_encoder(REG_ABSOLUTE, channel);
}

// The stretch of 1000 counts between two index positions that `position` lies in.
int64_t IndexCell(int32_t position)
{
    return (int64_t{position} - ((position % 1000) + 1000) % 1000) / 1000;
}

// Distance from `value` to the nearest multiple of `step`.
int64_t OffGrid(int64_t value, int64_t step)
{
    const int64_t rest = ((value % step) + step) % step;
    return std::min(rest, step - rest);
}

} // namespace

class TestSim : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { close_encoder(); }

    void openAndCounts_data()
    {
        QTest::addColumn<QStringList>("env");
        QTest::addColumn<int>("opened");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("boards");
        QTest::newRow("defaults") << QStringList{} << 0 << 6 << 2;
        QTest::newRow("zero") << QStringList{"CHANNELS=0", "BOARDS=0"} << 0 << 0 << 0;
        QTest::newRow("negative") << QStringList{"CHANNELS=-1", "BOARDS=-1"} << 0 << -1 << -1;
        QTest::newRow("thirteen") << QStringList{"CHANNELS=13", "BOARDS=3"} << 0 << 13 << 3;
        QTest::newRow("beyond 16 bits")
            << QStringList{"CHANNELS=70000", "BOARDS=70000"} << 0 << 70000 << 70000;
        QTest::newRow("hex, sign, spaces") << QStringList{"CHANNELS=0x10", "BOARDS= +4 "} << 0 << 16 << 4;
        QTest::newRow("absent: nothing to read") << QStringList{"ABSENT=1"} << 1 << 0 << 0;
        QTest::newRow("absent 0") << QStringList{"ABSENT=0"} << 0 << 6 << 2;
        QTest::newRow("absent 2") << QStringList{"ABSENT=2"} << 0 << 6 << 2;
    }

    void openAndCounts()
    {
        QFETCH(QStringList, env);
        QFETCH(int, opened);
        QFETCH(int, channels);
        QFETCH(int, boards);
        QCOMPARE(OpenWith(env), opened);
        QCOMPARE(read_encoder(REG_AXIS_COUNT, 0), channels);
        QCOMPARE(read_encoder(REG_BOARD_COUNT, 0), boards);
        QCOMPARE(read_encoder(REG_AXIS_COUNT, 1), 0); // card-wide registers live at index 0 only
        write_encoder(REG_MODE, 0, 1);
    }

    void encoderTypes_data()
    {
        QTest::addColumn<QStringList>("env");
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("type");
        QTest::newRow("default incremental") << QStringList{} << 2 << 0;
        QTest::newRow("default ssi") << QStringList{} << 3 << 1;
        QTest::newRow("beyond default list") << QStringList{"CHANNELS=8"} << 7 << 0;
        QTest::newRow("short list") << QStringList{"TYPES=1,1"} << 1 << 1;
        QTest::newRow("missing entry") << QStringList{"TYPES=1,1"} << 3 << 0;
        QTest::newRow("2 as given") << QStringList{"TYPES=2,-1"} << 0 << 2;
        QTest::newRow("-1 as given") << QStringList{"TYPES=2,-1"} << 1 << -1;
        QTest::newRow("beyond channel count") << QStringList{"CHANNELS=2", "TYPES=1,1,1"} << 2 << 0;
    }

    void encoderTypes()
    {
        QFETCH(QStringList, env);
        QFETCH(int, channel);
        QFETCH(int, type);
        QCOMPARE(OpenWith(env), 0);
        QCOMPARE(read_encoder(REG_ENCODER_TYPE, static_cast<int16_t>(channel)), type);
    }

    void badValues_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<int>("reg");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("expected"); // the default in force
        QTest::newRow("channels text") << "CHANNELS=abc" << 1 << 0 << 6;
        QTest::newRow("channels too big") << "CHANNELS=99999999999" << 1 << 0 << 6;
        QTest::newRow("channels bare 0x") << "CHANNELS=0x" << 1 << 0 << 6;
        QTest::newRow("boards trailing text") << "BOARDS=2 boards" << 7 << 0 << 2;
        QTest::newRow("types bad entry") << "TYPES=1,x,1" << 13 << 0 << 0;
        QTest::newRow("types empty entry") << "TYPES=1,,1" << 13 << 3 << 1;
        QTest::newRow("set bad entry") << "SET=500:0=7,oops" << 500 << 0 << 0;
        QTest::newRow("set index beyond 16 bits") << "SET=500:1=2,500:70000=1" << 500 << 1 << 0;
        QTest::newRow("set value beyond 32 bits") << "SET=500:0=0x1FFFFFFFF" << 500 << 0 << 0;
        QTest::newRow("absent text") << "ABSENT=yes" << 1 << 0 << 6;
        QTest::newRow("motion text") << "MOTION=off" << 1 << 0 << 6;
        QTest::newRow("trace unwritable") << "TRACE=/nonexistent/dir/trace.txt" << 1 << 0 << 6;
    }

    void badValues()
    {
        QFETCH(QString, setting);
        QFETCH(int, reg);
        QFETCH(int, index);
        QFETCH(int, expected);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("stderr.txt"));
        std::fflush(stderr);
        const int saved = dup(STDERR_FILENO);
        std::FILE* capture = std::fopen(QFile::encodeName(path).constData(), "w");
        dup2(fileno(capture), STDERR_FILENO);
        const int16_t opened = OpenWith({QStringLiteral("MOTION=0"), setting});
        std::fflush(stderr);
        dup2(saved, STDERR_FILENO);
        close(saved);
        std::fclose(capture);

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString message = QString::fromLocal8Bit(file.readAll());
        QCOMPARE(message.count(u'\n'), 1);
        const QString name = setting.section(u'=', 0, 0);
        const QString quoted = u'"' + setting.section(u'=', 1) + u'"';
        QVERIFY2(
            message.startsWith(QStringLiteral("ivrlib32 (simulated): ENCODER_SIM_") + name + u'=' + quoted),
            qPrintable(message));
        QCOMPARE(opened, 0);
        QCOMPARE(read_encoder(reg, static_cast<int16_t>(index)), expected);
    }

    void presetsHold_data()
    {
        QTest::addColumn<QString>("set");
        QTest::addColumn<int>("reg");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("waitMs");
        QTest::newRow("mode hex") << "11:3=0x0C00C000" << 11 << 3 << 0x0C00C000 << 50;
        QTest::newRow("mode 32-bit pattern") << "11:0=4294967295" << 11 << 0 << -1 << 50;
        QTest::newRow("flag 2") << "23:1=2" << 23 << 1 << 2 << 50;
        QTest::newRow("count negative, moving channel") << "40:0=-5" << 40 << 0 << -5 << 150;
        QTest::newRow("ssi position") << "47:3=0x7FFFFFFF" << 47 << 3 << INT32_MAX << 150;
        QTest::newRow("inputs") << "14:0=0x3F" << 14 << 0 << 0x3F << 150;
        QTest::newRow("probe while Prb on") << "93:0=1,46:0=-7" << 46 << 0 << -7 << 300;
        QTest::newRow("card-wide") << "1:0=99" << 1 << 0 << 99 << 0;
        QTest::newRow("unknown register") << "500:-7=42" << 500 << -7 << 42 << 0;
        QTest::newRow("list") << "11:0=0x18020800,23:1=2,40:2=-0x10" << 40 << 2 << -16 << 150;
    }

    void presetsHold()
    {
        QFETCH(QString, set);
        QFETCH(int, reg);
        QFETCH(int, index);
        QFETCH(int, expected);
        QFETCH(int, waitMs);
        QCOMPARE(OpenWith({QStringLiteral("SET=") + set}), 0);
        QCOMPARE(read_encoder(reg, static_cast<int16_t>(index)), expected);
        QThread::msleep(static_cast<unsigned long>(waitMs));
        QCOMPARE(read_encoder(reg, static_cast<int16_t>(index)), expected);
    }

    void writesReadBack_data()
    {
        QTest::addColumn<QStringList>("env");
        QTest::addColumn<int>("reg");
        QTest::addColumn<int>("index");
        QTest::addColumn<QVariant>("before"); // invalid: whatever the motion gives
        QTest::addColumn<int>("value");
        const QStringList on;
        const QStringList off{"MOTION=0"};
        QTest::newRow("Mrk 2") << on << 23 << 0 << QVariant(0) << 2;
        QTest::newRow("Prb 2") << on << 93 << 1 << QVariant(0) << 2;
        QTest::newRow("Fs -1") << on << 99 << 0 << QVariant(0) << -1;
        QTest::newRow("mode all bits") << on << 11 << 2 << QVariant(0x18020800) << -1;
        QTest::newRow("type") << on << 13 << 0 << QVariant(0) << 7;
        QTest::newRow("errors") << on << 15 << 4 << QVariant(0) << 3;
        QTest::newRow("ssi position") << on << 47 << 4 << QVariant() << INT32_MIN;
        QTest::newRow("unknown register") << on << 12345 << 0 << QVariant(0) << INT32_MAX;
        QTest::newRow("negative register") << on << INT32_MIN << -1 << QVariant(0) << 5;
        QTest::newRow("index 32767") << on << 40 << 32767 << QVariant(0) << -9;
        QTest::newRow("index -32768") << on << 47 << -32768 << QVariant(0) << 77;
        QTest::newRow("channel beyond count") << on << 41 << 6 << QVariant(0) << 1;
        QTest::newRow("mode beyond count") << on << 11 << 6 << QVariant(0) << 1;
        QTest::newRow("card-wide, index 3") << on << 1 << 3 << QVariant(0) << 8;
        QTest::newRow("count at rest") << off << 40 << 0 << QVariant(0) << INT32_MIN;
        QTest::newRow("marker at rest") << off << 41 << 1 << QVariant(0) << -100;
        QTest::newRow("probe at rest") << off << 46 << 3 << QVariant(0) << INT32_MAX;
    }

    void writesReadBack()
    {
        QFETCH(QStringList, env);
        QFETCH(int, reg);
        QFETCH(int, index);
        QFETCH(QVariant, before);
        QFETCH(int, value);
        QCOMPARE(OpenWith(env), 0);
        const auto at = static_cast<int16_t>(index);
        if (before.isValid())
            QCOMPARE(read_encoder(reg, at), before.toInt());
        write_encoder(reg, at, value);
        QCOMPARE(read_encoder(reg, at), value);
    }

    void motion_data()
    {
        QTest::addColumn<QStringList>("env");
        QTest::addColumn<int>("reg");
        QTest::addColumn<int>("channel");
        QTest::addColumn<bool>("moves");
        const QStringList off{"MOTION=0"};
        QTest::newRow("count") << QStringList{} << 40 << 0 << true;
        QTest::newRow("incremental position") << QStringList{} << 47 << 1 << true;
        QTest::newRow("ssi position") << QStringList{} << 47 << 3 << true;
        QTest::newRow("beyond channel count") << QStringList{} << 47 << 6 << false;
        QTest::newRow("count, motion off") << off << 40 << 0 << false;
        QTest::newRow("ssi position, motion off") << off << 47 << 3 << false;
    }

    void motion()
    {
        QFETCH(QStringList, env);
        QFETCH(int, reg);
        QFETCH(int, channel);
        QFETCH(bool, moves);
        QCOMPARE(OpenWith(env), 0);
        const auto at = static_cast<int16_t>(channel);
        const int32_t first = read_encoder(reg, at);
        QThread::msleep(150);
        QCOMPARE(read_encoder(reg, at) != first, moves);
    }

    void incrementalWrite_data()
    {
        QTest::addColumn<QString>("set");
        QTest::addColumn<int>("value");
        QTest::newRow("zero") << QString() << 0;
        QTest::newRow("zero releases a preset") << "40:0=-5" << 0;
        QTest::newRow("set 1000") << QString() << 1000;
        QTest::newRow("set max, wraps on") << QString() << INT32_MAX;
        QTest::newRow("set min, wraps on") << QString() << INT32_MIN;
    }

    void incrementalWrite()
    {
        QFETCH(QString, set);
        QFETCH(int, value);
        QCOMPARE(OpenWith(set.isEmpty() ? QStringList{} : QStringList{QStringLiteral("SET=") + set}), 0);
        QThread::msleep(50);
        write_encoder(REG_INCREMENTAL, 0, value);
        const int32_t start = read_encoder(REG_INCREMENTAL, 0);
        QVERIFY(std::abs(static_cast<int32_t>(static_cast<uint32_t>(start) - static_cast<uint32_t>(value))) <
                10);
        QThread::msleep(100);
        QVERIFY(read_encoder(REG_INCREMENTAL, 0) != start); // the count goes on from the new value
    }

    void ssiWord_data()
    {
        QTest::addColumn<unsigned>("length");
        for (const unsigned length : {0u, 1u, 8u, 12u, 16u, 24u, 31u, 32u, 40u})
            QTest::newRow(qPrintable(QStringLiteral("length %1").arg(length))) << length;
    }

    void ssiWord()
    {
        QFETCH(unsigned, length);
        QCOMPARE(OpenWith({"MOTION=0"}), 0);
        const auto whole = static_cast<uint32_t>(read_encoder(REG_ABSOLUTE, 3)); // power-up mode, 24 bits
        QCOMPARE(static_cast<uint32_t>(ReadSsi(3, SsiMode(32, 0, 0))), whole);
        const auto forward = static_cast<uint32_t>(ReadSsi(3, SsiMode(length, 0, 0)));
        QCOMPARE(forward, whole & Bits(length));
        QCOMPARE(static_cast<uint32_t>(ReadSsi(3, SsiMode(length, 1, 0))), ~whole & Bits(length));
        QCOMPARE(static_cast<uint32_t>(ReadSsi(3, SsiMode(length, 0, 1))), forward); // delivered decoded

        QCOMPARE(OpenWith({}), 0);
        write_encoder(REG_MODE, 4, static_cast<int32_t>(SsiMode(length, 1, 0)));
        for (int sample = 0; sample < 10; ++sample) {
            QCOMPARE(static_cast<uint32_t>(read_encoder(REG_ABSOLUTE, 4)) & ~Bits(length), 0u);
            QThread::msleep(10);
        }
    }

    void inputs_data()
    {
        QTest::addColumn<QStringList>("env");
        QTest::addColumn<int>("sampleMs");
        QTest::newRow("32 incremental at rest") << QStringList{"MOTION=0", "CHANNELS=32", "TYPES=0"} << 0;
        QTest::newRow("default card moving") << QStringList{} << 200;
    }

    void inputs()
    {
        QFETCH(QStringList, env);
        QFETCH(int, sampleMs);
        QCOMPARE(OpenWith(env), 0);
        const int channels = read_encoder(REG_AXIS_COUNT, 0);
        std::vector<QSet<int32_t>> seen(channels);
        QSet<unsigned> limits;
        QElapsedTimer clock;
        clock.start();
        do {
            for (int16_t channel = 0; channel < channels; ++channel) {
                const int32_t position = read_encoder(REG_ABSOLUTE, channel);
                const int32_t word = read_encoder(REG_STATUS_INPUTS, channel);
                if (read_encoder(REG_ABSOLUTE, channel) != position)
                    continue; // moved between the reads
                seen[channel].insert(word);
                QCOMPARE(read_encoder(REG_STATUS_ERRORS, channel), 0);
                if (read_encoder(REG_ENCODER_TYPE, channel) == 1) {
                    QCOMPARE(word & ~1, 0);
                    QCOMPARE(word & 1, position & 1);
                    continue;
                }
                // A leads B: positions 0, 1, 2, 3 (mod 4) show AB = 00, 10, 11, 01.
                static constexpr int kPhase[4] = {0b00, 0b01, 0b11, 0b10};
                QCOMPARE(word & 0b11, kPhase[position & 3]);
                if (hw::StatusBit(word, hw::inputs::Z)) {
                    QVERIFY(hw::StatusBit(word, hw::inputs::M));
                    QVERIFY(OffGrid(position, 1000) < 100);
                }
                for (const unsigned bit : {hw::inputs::Limit0, hw::inputs::Limit1}) {
                    if (hw::StatusBit(word, bit)) {
                        QVERIFY(bit == hw::inputs::Limit0 ? position < -1000 : position > 1000);
                        limits.insert(bit);
                    }
                }
            }
        } while (clock.elapsed() < sampleMs);
        for (int channel = 0; channel < channels; ++channel)
            QCOMPARE(seen[channel].size() > 1, sampleMs > 0); // levels change only while moving
        if (sampleMs == 0)
            QCOMPARE(limits.size(), 2); // some channels rest at each end of travel
    }

    void markerLatch_data()
    {
        QTest::addColumn<int>("mrk");
        QTest::addColumn<bool>("late"); // Mrk set only once the index has been passed
        QTest::addColumn<bool>("latches");
        QTest::newRow("Mrk 1") << 1 << false << true;
        QTest::newRow("Mrk 0") << 0 << false << false;
        QTest::newRow("Mrk 2 is not on") << 2 << false << false;
        QTest::newRow("Mrk 1 set after the index") << 1 << true << false;
    }

    void markerLatch()
    {
        QFETCH(int, mrk);
        QFETCH(bool, late);
        QFETCH(bool, latches);
        QCOMPARE(OpenWith({}), 0);
        write_encoder(REG_INCREMENTAL, 0, 0);
        write_encoder(REG_MARKER, 0, kSentinel);
        if (!late)
            write_encoder(REG_MRK, 0, mrk);
        // Wait until channel 0 has passed an index position (every 1000 counts).
        const int64_t start = IndexCell(read_encoder(REG_ABSOLUTE, 0));
        QTRY_VERIFY_WITH_TIMEOUT(IndexCell(read_encoder(REG_ABSOLUTE, 0)) != start, 3000);
        QThread::msleep(20); // well past it, not just rounded onto it
        if (late)
            write_encoder(REG_MRK, 0, mrk);
        const int32_t marker = read_encoder(REG_MARKER, 0);
        QCOMPARE(marker != kSentinel, latches);
        if (latches) { // the count at an index position
            const int32_t zero = read_encoder(REG_ABSOLUTE, 0) - read_encoder(REG_INCREMENTAL, 0);
            QVERIFY2(OffGrid(int64_t{marker} + zero, 1000) <= 2, qPrintable(QString::number(marker + zero)));
        }
    }

    void probeLatch_data()
    {
        QTest::addColumn<QStringList>("env");
        QTest::addColumn<int>("board");
        QTest::addColumn<int>("prb");
        QTest::addColumn<int>("latched"); // bit n: channel n
        QTest::newRow("board 0 of 2") << QStringList{} << 0 << 1 << 0b000111;
        QTest::newRow("board 1 of 2") << QStringList{} << 1 << 1 << 0b111000;
        QTest::newRow("Prb 2 is not on") << QStringList{} << 0 << 2 << 0;
        QTest::newRow("board 1 of 3") << QStringList{"BOARDS=3"} << 1 << 1 << 0b001100;
        QTest::newRow("leftover on last board") << QStringList{"CHANNELS=7"} << 1 << 1 << 0b1111000;
        QTest::newRow("board count 0: one board") << QStringList{"BOARDS=0"} << 0 << 1 << 0b111111;
        QTest::newRow("board beyond count") << QStringList{} << 5 << 1 << 0;
    }

    void probeLatch()
    {
        QFETCH(QStringList, env);
        QFETCH(int, board);
        QFETCH(int, prb);
        QFETCH(int, latched);
        QCOMPARE(OpenWith(env), 0);
        const int channels = read_encoder(REG_AXIS_COUNT, 0);
        for (int16_t channel = 0; channel < channels; ++channel)
            write_encoder(REG_PROBE, channel, kSentinel);
        write_encoder(REG_PRB, static_cast<int16_t>(board), prb);
        QThread::msleep(300);
        for (int16_t channel = 0; channel < channels; ++channel)
            QCOMPARE(read_encoder(REG_PROBE, channel) != kSentinel, ((latched >> channel) & 1) == 1);
    }

    void trace_data()
    {
        QTest::addColumn<bool>("write");
        QTest::addColumn<int>("reg");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("line");
        QTest::newRow("read card-wide") << false << 1 << 0 << 0 << "read 1 0 -> 6";
        QTest::newRow("read mode") << false << 11 << 0 << 0 << "read 11 0 -> 402786304";
        QTest::newRow("read negative index") << false << 500 << -32768 << 0 << "read 500 -32768 -> 0";
        QTest::newRow("write negative") << true << 40 << 2 << -5 << "write 40 2 -5";
        QTest::newRow("write extremes")
            << true << INT32_MIN << 32767 << INT32_MIN << "write -2147483648 32767 -2147483648";
    }

    void trace()
    {
        QFETCH(bool, write);
        QFETCH(int, reg);
        QFETCH(int, index);
        QFETCH(int, value);
        QFETCH(QString, line);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("trace.txt"));
        QCOMPARE(OpenWith({"MOTION=0", QStringLiteral("TRACE=") + path}), 0);
        if (write)
            write_encoder(reg, static_cast<int16_t>(index), value);
        else
            read_encoder(reg, static_cast<int16_t>(index));
        close_encoder();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromLatin1(file.readAll()),
                 QStringLiteral("open -> 0\n") + line + QStringLiteral("\nclose\n"));
    }

    void traceAcrossOpens()
    {
        QTemporaryDir dir;
        const QString trace = QStringLiteral("TRACE=") + dir.filePath(QStringLiteral("trace.txt"));
        QCOMPARE(OpenWith({trace}), 0);
        close_encoder();
        read_encoder(REG_AXIS_COUNT, 0); // after the close: no card, still traced
        QCOMPARE(OpenWith({trace, "ABSENT=1"}), 1);
        QFile file(dir.filePath(QStringLiteral("trace.txt")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("open -> 0\nclose\nread 1 0 -> 0\nopen -> 1\n"));
    }
};

QTEST_GUILESS_MAIN(TestSim)
#include "test_sim.moc"
