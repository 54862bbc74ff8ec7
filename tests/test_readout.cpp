// The readout panel, its bars and the refresh, against the fake card.

#include "TestSupport.h"
#include "app/MainFrame.h"
#include "bars/Scaling.h"
#include "hardware/ModeWord.h"
#include "resources/Resources.h"

#include <QAccessible>
#include <QBackingStore>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <memory>

using testsupport::NewFrame;
using testsupport::SetCard;
using testsupport::TraceFrom;
using Trace = std::vector<std::string>;

namespace {

// "B<n>" for each board bar created and "A<n>" for each axis bar, in the order the card saw them.
QStringList CreationOrder()
{
    QStringList order;
    for (const fake::Call& call : fake::Calls()) {
        if (call.kind == fake::Call::Read && call.reg == REG_FS)
            order << QStringLiteral("B%1").arg(call.index);
        if (call.kind == fake::Call::Read && call.reg == REG_ENCODER_TYPE)
            order << QStringLiteral("A%1").arg(call.index);
    }
    return order;
}

Trace AxisTick(int ch, int mode = 0)
{
    const std::string c = std::to_string(ch);
    return {"read 11 " + c + " -> " + std::to_string(mode),
            "read 40 " + c + " -> 0",
            "read 47 " + c + " -> 0",
            "read 41 " + c + " -> 0",
            "read 46 " + c + " -> 0",
            "read 23 " + c + " -> 0",
            "read 14 " + c + " -> 0",
            "read 15 " + c + " -> 0"};
}

} // namespace

class TestReadout : public testsupport::CReadoutTestCase
{
    Q_OBJECT

    QString Text(CAxisBar& bar, int id) { return bar.GetDlgItem(id)->property("text").toString(); }

private slots:
    void startupCallSequence()
    {
        SetCard(6, 2, {0, 0, 0, 1, 1, 1});
        auto frame = NewFrame();
        Trace expected = {"read 1 0 -> 6", "read 7 0 -> 2"};
        for (int ch = 0; ch < 6; ++ch) {
            const std::string c = std::to_string(ch);
            if (ch % 3 == 0) {
                const std::string b = std::to_string(ch / 3);
                expected.push_back("read 99 " + b + " -> 0");
                expected.push_back("read 93 " + b + " -> 0");
            }
            expected.push_back("read 13 " + c + " -> " + (ch < 3 ? "0" : "1"));
            expected.push_back("write 11 " + c + " 402786304");
            expected.push_back("read 23 " + c + " -> 0");
        }
        QCOMPARE(fake::Trace(), expected);
        QCOMPARE(frame->windowTitle(), QStringLiteral("Orvane001 - Digital Readout"));
        QVERIFY(frame->IsRefreshing());
        QCOMPARE(frame->Panel().AxisBar(3).m_nEncoderType, 1);
        QCOMPARE(Text(frame->Panel().AxisBar(3), res::IDC_NAME), QStringLiteral("A"));
    }

    void tickCallSequence_data()
    {
        QTest::addColumn<bool>("pending");
        QTest::newRow("mode word read back") << false;
        QTest::newRow("mode word pending: written, not read") << true;
    }

    void tickCallSequence()
    {
        QFETCH(bool, pending);
        SetCard(4, 2);
        auto frame = NewFrame();
        fake::SetRegister(REG_MODE, 1, 7);
        frame->Panel().AxisBar(1).m_bModePending = pending;
        const size_t from = fake::Calls().size();
        frame->Panel().RefreshAll();
        Trace expected = {"read 93 0 -> 0", "read 99 0 -> 0"};
        for (const auto& line : AxisTick(0, int(hw::kDefaultModeWord)))
            expected.push_back(line);
        Trace pendingAxis = AxisTick(1, 7);
        if (pending)
            pendingAxis[0] = "write 11 1 " + std::to_string(hw::kDefaultModeWord);
        for (const auto& line : pendingAxis)
            expected.push_back(line);
        expected.push_back("read 93 1 -> 0");
        expected.push_back("read 99 1 -> 0");
        for (int ch : {2, 3})
            for (const auto& line : AxisTick(ch, int(hw::kDefaultModeWord)))
                expected.push_back(line);
        QCOMPARE(TraceFrom(from), expected);
    }

    void grouping_data()
    {
        QTest::addColumn<int>("axes");
        QTest::addColumn<int>("boards");
        QTest::addColumn<QString>("order");

        QTest::newRow("12 on derived 4") << 12 << 0 << "B0 A0 A1 A2 B1 A3 A4 A5 B2 A6 A7 A8 B3 A9 A10 A11";
        QTest::newRow("6 on 2") << 6 << 2 << "B0 A0 A1 A2 B1 A3 A4 A5";
        QTest::newRow("7 on 2: a third bar") << 7 << 2 << "B0 A0 A1 A2 B1 A3 A4 A5 B2 A6";
        QTest::newRow("2 derive no board") << 2 << 0 << "B0 A0 A1";
        QTest::newRow("more boards than axes") << 3 << 5 << "B0 A0 B1 A1 B2 A2";
        QTest::newRow("more than four bars") << 6 << 6 << "B0 A0 B1 A1 B2 A2 B3 A3 A4 A5";
        QTest::newRow("13 channels hold to 12") << 13 << 1 << "B0 A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 A10 A11";
        QTest::newRow("70000 channels") << 70000 << 3 << "B0 A0 A1 A2 A3 B1 A4 A5 A6 A7 B2 A8 A9 A10 A11";
        QTest::newRow("negative channels") << -1 << 2 << "";
        QTest::newRow("no channels") << 0 << 0 << "";
        QTest::newRow("negative boards") << 4 << -3 << "B0 A0 A1 A2 A3";
        QTest::newRow("boards in high bits") << 6 << 0x10002 << "B0 A0 A1 A2 B1 A3 A4 A5";
    }

    void grouping()
    {
        QFETCH(int, axes);
        QFETCH(int, boards);
        QFETCH(QString, order);
        SetCard(axes, boards);
        auto frame = NewFrame();
        QCOMPARE(CreationOrder().join(QLatin1Char(' ')), order);
        for (const fake::Call& call : fake::Calls()) {
            QVERIFY2(call.reg != REG_FS || (call.index >= 0 && call.index <= 3), "board index out of range");
            QVERIFY2(call.reg != REG_MODE || (call.index >= 0 && call.index <= 11), "channel out of range");
        }

        // A tick walks the same order.
        fake::ClearCalls();
        frame->Panel().RefreshAll();
        QStringList tickOrder;
        for (const fake::Call& call : fake::Calls()) {
            if (call.reg == REG_PRB)
                tickOrder << QStringLiteral("B%1").arg(call.index);
            if (call.reg == REG_INCREMENTAL)
                tickOrder << QStringLiteral("A%1").arg(call.index);
        }
        QCOMPARE(tickOrder.join(QLatin1Char(' ')), order);

        // The window fits every bar created, one under the other.
        const QSize axis = frame->Panel().AxisBar(0).CalcFixedLayout();
        const QSize board = frame->Panel().BoardBar(0).CalcFixedLayout();
        const int boardBars = int(order.count(QLatin1Char('B')));
        const int axisBars = int(order.count(QLatin1Char('A')));
        QCOMPARE(frame->Panel().GetBarsSize(),
                 QSize(axis.width(), boardBars * board.height() + axisBars * axis.height()));
        frame->show();
        if (axisBars == 0)
            return; // nothing to fit: the window is its menu bar
        QCOMPARE(frame->centralWidget()->height(), boardBars * board.height() + axisBars * axis.height());
        QCOMPARE(frame->width(), axis.width());
        int y = 0;
        for (int b = 0, i = 0; i < axisBars; ++i) {
            if (b < boardBars && frame->Panel().BoardBar(b).y() == y) {
                y += board.height();
                ++b;
            }
            QCOMPARE(frame->Panel().AxisBar(i).y(), y);
            y += axis.height();
        }
    }

    void fitSizeReappliedOnHide()
    {
        SetCard(6, 2);
        auto frame = NewFrame();
        frame->show();
        const QSize shown = frame->size();
        frame->setFixedSize(10, 10);
        frame->hide();
        QCOMPARE(frame->size(), shown);
        QVERIFY(!(frame->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(frame->minimumSize(), frame->maximumSize());
    }

    void scaledValues_data()
    {
        QTest::addColumn<double>("pitch");
        QTest::addColumn<double>("count");
        QTest::addColumn<int>("raw");
        QTest::addColumn<QString>("text");
        QTest::newRow("1/2000") << 1.0 << 2000.0 << 1234 << "    0.6170";
        QTest::newRow("20/1") << 20.0 << 1.0 << 3 << " 60.000000";
        QTest::newRow("raw counts") << 1.0 << 1.0 << -42 << "       -42";
        QTest::newRow("INT_MIN") << 1.0 << 1.0 << std::numeric_limits<int>::min() << "-2147483648";
        QTest::newRow("zero count") << 1.0 << 0.0 << 5 << "       inf";
        QTest::newRow("zero over zero") << 0.0 << 0.0 << 5 << "       nan";
        QTest::newRow("zero count, raw 0") << 1.0 << 0.0 << 0 << "       nan";
        QTest::newRow("zero pitch") << 0.0 << 1.0 << 5 << "         0";
        QTest::newRow("widest: INT_MIN at pitch 20")
            << 20.0 << 1.0 << std::numeric_limits<int>::min() << "-42949672960.000000";
        QTest::newRow("SSI position at pitch 20") << 20.0 << 1.0 << 13496276 << "269925520.000000";
        QTest::newRow("minus infinity") << 1.0 << 0.0 << -5 << "      -inf";
    }

    void scaledValues()
    {
        QFETCH(double, pitch);
        QFETCH(double, count);
        QFETCH(int, raw);
        QFETCH(QString, text);
        SetCard(1, 1);
        auto frame = NewFrame();
        CAxisBar& bar = frame->Panel().AxisBar(0);
        bar.m_dPitch = pitch;
        bar.m_dCount = count;
        bar.RecalcScaling();
        fake::SetRegister(REG_INCREMENTAL, 0, raw);
        frame->Panel().RefreshAll();
        const QString shown = Text(bar, res::IDC_INCREMENTAL);
        QCOMPARE(shown, text);
        QCOMPARE(Text(bar, res::IDC_ABSOLUTE).size(), 10);

        // What a screen reader reads is what is shown.
        QWidget* field = bar.GetDlgItem(res::IDC_INCREMENTAL);
        QCOMPARE(field->objectName(), QStringLiteral("1002"));
        QCOMPARE(QAccessible::queryAccessibleInterface(field)->text(QAccessible::Name), shown);

        // Nothing is cut: changing the first or the last character changes the pixels on the screen.
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame.get()));
        const auto drawn = [&] {
            QCoreApplication::sendPostedEvents();
            const auto* screen = static_cast<const QImage*>(frame->backingStore()->paintDevice());
            const qreal dpr = screen->devicePixelRatio();
            const QRect logical(field->mapTo(frame.get(), QPoint()), field->size());
            QImage shown = screen
                               ->copy(QRectF(QPointF(logical.topLeft()) * dpr, QSizeF(logical.size()) * dpr)
                                          .toAlignedRect())
                               .convertToFormat(QImage::Format_ARGB32_Premultiplied);
            shown.setDevicePixelRatio(dpr);
            return shown;
        };
        const QImage pixels = drawn();
        for (const qsizetype at : {shown.size() - shown.trimmed().size(), shown.size() - 1}) {
            QString other = shown;
            other[at] = other[at] == QLatin1Char('8') ? QLatin1Char('3') : QLatin1Char('8');
            field->setProperty("text", other);
            QVERIFY2(drawn() != pixels, qPrintable(other));
        }
        field->setProperty("text", shown);
        QCOMPARE(drawn(), pixels);

        // A text that fits is drawn in the very pixels a label draws.
        if (QFontMetricsF(field->font()).horizontalAdvance(shown) <= field->width()) {
            QLabel label(shown, &bar);
            label.setGeometry(field->geometry());
            label.setAlignment(Qt::AlignRight | Qt::AlignTop);
            label.setAutoFillBackground(true);
            label.show();
            label.raise();
            label.repaint(); // in the window's pixels now, not at some later pass of the event loop
            QCOMPARE(drawn(), pixels);
        }
    }

    void zeroWritesOnlyIncremental()
    {
        SetCard(3, 1);
        auto frame = NewFrame();
        fake::ClearCalls();
        qobject_cast<QPushButton*>(frame->Panel().AxisBar(2).GetDlgItem(res::IDC_ZERO))->click();
        QCOMPARE(fake::Trace(), Trace{"write 40 2 0"});
    }

    void flagToggles_data()
    {
        QTest::addColumn<int>("reg");
        QTest::addColumn<int>("control");
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("cardTakesWrite");
        QTest::addColumn<int>("written");
        QTest::addColumn<bool>("ticked");
        for (const auto& [name, reg, control] :
             {std::tuple{"Mrk", int(REG_MRK), res::IDC_MRK}, std::tuple{"Prb", int(REG_PRB), res::IDC_PRB},
              std::tuple{"Fs", int(REG_FS), res::IDC_FS}}) {
            QTest::addRow("%s 2", name) << reg << control << 2 << true << 1 << true;
            QTest::addRow("%s -1", name) << reg << control << -1 << true << 1 << true;
            QTest::addRow("%s 1", name) << reg << control << 1 << true << 0 << false;
            QTest::addRow("%s refused", name) << reg << control << 0 << false << 1 << false;
        }
    }

    void flagToggles()
    {
        QFETCH(int, reg);
        QFETCH(int, control);
        QFETCH(int, stored);
        QFETCH(bool, cardTakesWrite);
        QFETCH(int, written);
        QFETCH(bool, ticked);
        SetCard(2, 1);
        fake::SetRegister(reg, 0, stored);
        if (!cardTakesWrite)
            fake::SetReadHook(
                [reg, stored](int32_t r, int16_t i) { return r == reg ? stored : fake::Register(r, i); });
        auto frame = NewFrame();
        fw::CDialogBar& bar = reg == REG_MRK ? static_cast<fw::CDialogBar&>(frame->Panel().AxisBar(0))
                                             : frame->Panel().BoardBar(0);
        auto* check = qobject_cast<QCheckBox*>(bar.GetDlgItem(control));
        QVERIFY(check);
        QCOMPARE(check->isChecked(), stored == 1);
        QCOMPARE(check->layoutDirection(), Qt::RightToLeft);
        fake::ClearCalls();
        check->click();
        QCOMPARE(fake::Calls().size(), size_t(2));
        QCOMPARE(fake::Calls()[0], fake::Write(reg, 0, written));
        QCOMPARE(check->isChecked(), ticked);
        frame->Panel().RefreshAll();
        QCOMPARE(check->isChecked(), ticked);
    }

    void modeWordFollowsCardUnlessPending()
    {
        SetCard(1, 1);
        auto frame = NewFrame();
        CAxisBar& bar = frame->Panel().AxisBar(0);
        fake::SetRegister(REG_MODE, 0, 0x12345678);
        frame->Panel().RefreshAll();
        QCOMPARE(bar.m_dwMode, 0x12345678u);

        bar.m_dwMode = 0x80000001u;
        bar.m_bModePending = true;
        fake::SetRegister(REG_MODE, 0, 0x11111111);
        fake::ClearCalls();
        frame->Panel().RefreshAll();
        QCOMPARE(fake::Calls()[2], fake::Write(REG_MODE, 0, int32_t(0x80000001u)));
        QVERIFY(!bar.m_bModePending);
        QCOMPARE(bar.m_dwMode, 0x80000001u);
        frame->Panel().RefreshAll();
        QCOMPARE(bar.m_dwMode, 0x80000001u);
    }

    void statusWordsCached()
    {
        SetCard(1, 1);
        auto frame = NewFrame();
        fake::SetRegister(REG_STATUS_INPUTS, 0, -1);
        fake::SetRegister(REG_STATUS_ERRORS, 0, 2);
        frame->Panel().RefreshAll();
        QCOMPARE(frame->Panel().AxisBar(0).m_nStatusInputs, -1);
        QCOMPARE(frame->Panel().AxisBar(0).m_nStatusErrors, 2);
    }

    void timerRefreshes()
    {
        SetCard(1, 1);
        auto frame = NewFrame();
        fake::SetRegister(REG_INCREMENTAL, 0, 77);
        QTRY_COMPARE_WITH_TIMEOUT(Text(frame->Panel().AxisBar(0), res::IDC_INCREMENTAL),
                                  QStringLiteral("        77"), 1000);
    }

    // Four ticks a second, counted in the card's log. A busy machine may hold a tick back, never bring
    // one early: no second holds more than five, and of a few seconds one holds four.
    void refreshesFourTimesASecond()
    {
        SetCard(1, 1);
        auto frame = NewFrame();
        const auto ticks = [] {
            return std::count_if(fake::Calls().begin(), fake::Calls().end(), [](const fake::Call& call) {
                return call.kind == fake::Call::Read && call.reg == REG_INCREMENTAL;
            });
        };
        long most = 0;
        for (int attempt = 0; attempt < 5 && most < 4; ++attempt) {
            // From halfway between two ticks.
            const long last = ticks();
            QTRY_VERIFY(ticks() > last);
            QTest::qWait(125);
            const long before = ticks();
            QElapsedTimer clock;
            clock.start();
            QTest::qWait(1000);
            const long counted = ticks() - before;
            QVERIFY2(counted <= 5, qPrintable(QString::number(counted)));
            if (clock.elapsed() < 1100) // a second, not one the machine stretched
                most = std::max(most, counted);
        }
        QCOMPARE(most, 4L);
    }

    void shutdownClosesFirstThenTouchesNothing()
    {
        SetCard(6, 2);
        auto frame = NewFrame();
        frame->show();
        frame->close();
        QTest::qWait(300);
        const size_t before = fake::Calls().size();
        frame.reset();
        QCOMPARE(TraceFrom(before), Trace{"close"});
    }

    void menuHasExit()
    {
        SetCard(1, 1);
        auto frame = NewFrame();
        const auto menus = frame->menuBar()->actions();
        QCOMPARE(menus.size(), 1);
        QCOMPARE(menus[0]->text(), QStringLiteral("&File"));
        const auto items = menus[0]->menu()->actions();
        QCOMPARE(items.size(), 1);
        QCOMPARE(items[0]->text(), QStringLiteral("E&xit"));
        frame->show();
        items[0]->trigger();
        QVERIFY(!frame->isVisible());
        QVERIFY(!frame->IsRefreshing());
    }
};

QTEST_MAIN(TestReadout)
#include "test_readout.moc"
