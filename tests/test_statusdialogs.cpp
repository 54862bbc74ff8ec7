// The axis status dialogs: which one the "Status" button opens, the boxes against the bar's cached
// status words on the dialog's own timer, and the main window's refresh going on underneath.

#include "TestSupport.h"
#include "app/MainFrame.h"
#include "bars/AxisBar.h"
#include "dialogs/AxisStatusDlgs.h"
#include "resources/Resources.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <memory>

namespace {

enum class Kind
{
    Inc,
    Ssi
};

std::unique_ptr<fw::CDialog> MakeDialog(Kind kind, CAxisRecord* pAxis)
{
    if (kind == Kind::Inc) {
        auto dlg = std::make_unique<CIncStatusDlg>();
        dlg->m_pAxis = pAxis;
        return dlg;
    }
    auto dlg = std::make_unique<CSsiStatusDlg>();
    dlg->m_pAxis = pAxis;
    return dlg;
}

// The check boxes from top to bottom, left column first.
std::vector<QCheckBox*> BoxesInScreenOrder(const QWidget* dlg)
{
    std::vector<QCheckBox*> boxes;
    for (QCheckBox* box : dlg->findChildren<QCheckBox*>())
        boxes.push_back(box);
    std::sort(boxes.begin(), boxes.end(), [](const QCheckBox* a, const QCheckBox* b) {
        return std::pair(a->x(), a->y()) < std::pair(b->x(), b->y());
    });
    return boxes;
}

// The texts of the ticked boxes, in screen order, comma-separated.
QString Ticked(const QWidget* dlg)
{
    QStringList ticked;
    for (const QCheckBox* box : BoxesInScreenOrder(dlg))
        if (box->isChecked())
            ticked << box->text();
    return ticked.join(QLatin1Char(','));
}

QCheckBox* BoxByText(const QWidget* dlg, const QString& text)
{
    for (QCheckBox* box : dlg->findChildren<QCheckBox*>())
        if (box->text() == text)
            return box;
    return nullptr;
}

bool WaitFor(const std::function<bool()>& done, int nTimeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > nTimeoutMs)
            return false;
        QTest::qWait(10);
    }
    return true;
}

// A tick has reached the dialog at least once after this long, even on a busy machine.
constexpr int kTickMs = 5000;
// A change on the card reaches an open dialog after one period of the main window's timer and one of
// the dialog's: 500 ms, and a margin. A busy machine may hold a tick back, so of a few changes the
// fastest is held to this.
constexpr int kBothTicksMs = 700;

} // namespace

class TestStatusdialogs : public testsupport::CReadoutTestCase
{
    Q_OBJECT

private slots:
    void statusOpensByType_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("title");
        QTest::newRow("incremental") << 0 << QStringLiteral("Incremental Axis Status");
        QTest::newRow("SSI") << 1 << QStringLiteral("SSI Axis Status");
        QTest::newRow("type 2") << 2 << QStringLiteral("SSI Axis Status");
        QTest::newRow("type -1") << -1 << QStringLiteral("SSI Axis Status");
    }
    void statusOpensByType()
    {
        QFETCH(int, type);
        QFETCH(QString, title);
        testsupport::SetCard(2, 1, {0, type});
        auto frame = testsupport::NewFrame();
        CAxisBar& bar = frame->Panel().AxisBar(1);

        QString opened;
        CAxisRecord* shownAxis = nullptr;
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            opened = modal->windowTitle();
            if (auto* inc = qobject_cast<CIncStatusDlg*>(modal))
                shownAxis = inc->m_pAxis;
            else if (auto* ssi = qobject_cast<CSsiStatusDlg*>(modal))
                shownAxis = ssi->m_pAxis;
            qobject_cast<QDialog*>(modal)->reject();
        });
        bar.OnStatus();
        QCOMPARE(opened, title);
        QCOMPARE(shownAxis, static_cast<CAxisRecord*>(&bar));
        QVERIFY(!QApplication::activeModalWidget());
    }

    void screenOrder_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("boxes");
        QTest::newRow("incremental inputs")
            << int(Kind::Inc) << QStringLiteral("Inputs") << QStringLiteral("A,B,Z,M,Limit 0,Limit 1");
        QTest::newRow("incremental errors")
            << int(Kind::Inc) << QStringLiteral("Errors") << QStringLiteral("Quadrature,Power fail");
        QTest::newRow("SSI inputs") << int(Kind::Ssi) << QStringLiteral("Inputs") << QStringLiteral("Data");
        QTest::newRow("SSI errors") << int(Kind::Ssi) << QStringLiteral("Errors")
                                    << QStringLiteral("Power fail,Parity");
    }
    void screenOrder()
    {
        QFETCH(int, kind);
        QFETCH(QString, group);
        QFETCH(QString, boxes);
        CAxisRecord axis;
        auto dlg = MakeDialog(Kind(kind), &axis);
        QVERIFY(dlg->Create());

        const QGroupBox* frame = nullptr;
        for (const QGroupBox* box : dlg->findChildren<QGroupBox*>())
            if (box->title() == group)
                frame = box;
        QVERIFY(frame);
        QStringList inside;
        for (const QCheckBox* box : BoxesInScreenOrder(dlg.get()))
            if (frame->geometry().contains(box->geometry().center()))
                inside << box->text();
        QCOMPARE(inside.join(QLatin1Char(',')), boxes);

        // OK is the only button: there is nothing to cancel.
        const auto buttons = dlg->findChildren<QPushButton*>();
        QCOMPARE(buttons.size(), 1);
        QCOMPARE(buttons.front()->text(), QStringLiteral("OK"));
    }

    void bitsShown_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("inputs");
        QTest::addColumn<int>("errors");
        QTest::addColumn<QString>("ticked");
        const int inc = int(Kind::Inc);
        const int ssi = int(Kind::Ssi);
        QTest::newRow("inc A") << inc << 0x1 << 0 << QStringLiteral("A");
        QTest::newRow("inc bit 2 is M, the fourth box") << inc << 0x4 << 0 << QStringLiteral("M");
        QTest::newRow("inc bit 3 is Z, the third box") << inc << 0x8 << 0 << QStringLiteral("Z");
        QTest::newRow("inc both limits") << inc << 0x30 << 0 << QStringLiteral("Limit 0,Limit 1");
        QTest::newRow("inc quadrature") << inc << 0 << 0x2 << QStringLiteral("Quadrature");
        QTest::newRow("inc power fail") << inc << 0 << 0x1 << QStringLiteral("Power fail");
        QTest::newRow("inc every bit")
            << inc << -1 << -1 << QStringLiteral("A,B,Z,M,Limit 0,Limit 1,Quadrature,Power fail");
        QTest::newRow("inc other bits") << inc << int(0xFFFFFFC0) << int(0xFFFFFFFC) << QString();
        QTest::newRow("ssi data") << ssi << 0x1 << 0 << QStringLiteral("Data");
        QTest::newRow("ssi parity") << ssi << 0 << 0x2 << QStringLiteral("Parity");
        QTest::newRow("ssi power fail") << ssi << 0 << 0x1 << QStringLiteral("Power fail");
        QTest::newRow("ssi inputs 1 to 5") << ssi << 0x3E << 0 << QString();
        QTest::newRow("ssi other bits") << ssi << int(0xFFFFFFFE) << int(0xFFFFFFFC) << QString();
    }
    void bitsShown()
    {
        QFETCH(int, kind);
        QFETCH(int, inputs);
        QFETCH(int, errors);
        QFETCH(QString, ticked);
        CAxisRecord axis;
        auto dlg = MakeDialog(Kind(kind), &axis);
        QVERIFY(dlg->Create());
        dlg->show();

        // First the opposite words, so that every box has to change when the words under test arrive.
        axis.m_nStatusInputs = ~inputs;
        axis.m_nStatusErrors = ~errors;
        QTRY_VERIFY_WITH_TIMEOUT(Ticked(dlg.get()) != ticked, kTickMs);
        const QString opposite = Ticked(dlg.get());
        fake::ClearCalls();
        axis.m_nStatusInputs = inputs;
        axis.m_nStatusErrors = errors;
        QTRY_COMPARE_WITH_TIMEOUT(Ticked(dlg.get()), ticked, kTickMs);
        QVERIFY(opposite != ticked);
        // The dialog shows the cached words only: its ticks never reach the card.
        QVERIFY(fake::Calls().empty());
    }

    void clearUntilFirstTick_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("incremental") << int(Kind::Inc);
        QTest::newRow("SSI") << int(Kind::Ssi);
    }
    void clearUntilFirstTick()
    {
        QFETCH(int, kind);
        CAxisRecord axis;
        axis.m_nStatusInputs = -1;
        axis.m_nStatusErrors = -1;
        auto dlg = MakeDialog(Kind(kind), &axis);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(dlg->Create());
        dlg->show();
        QCOMPARE(Ticked(dlg.get()), QString());
        QTest::qWait(100);
        if (clock.elapsed() < 200) // not when the machine stalled past the first period
            QCOMPARE(Ticked(dlg.get()), QString());
        QTRY_VERIFY_WITH_TIMEOUT(!Ticked(dlg.get()).isEmpty(), kTickMs);
        QVERIFY(clock.elapsed() >= 200);
    }

    void clickUntilNextTick_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("inputs");
        QTest::addColumn<int>("errors");
        QTest::addColumn<bool>("useSpace");
        QTest::newRow("inc Z set, clicked clear") << int(Kind::Inc) << "Z" << 0x8 << 0 << false;
        QTest::newRow("inc M clear, space sets") << int(Kind::Inc) << "M" << 0 << 0 << true;
        QTest::newRow("ssi Parity set, clicked clear") << int(Kind::Ssi) << "Parity" << 0 << 0x2 << false;
        QTest::newRow("ssi Data clear, clicked set") << int(Kind::Ssi) << "Data" << 0 << 0 << false;
    }
    void clickUntilNextTick()
    {
        QFETCH(int, kind);
        QFETCH(QString, box);
        QFETCH(int, inputs);
        QFETCH(int, errors);
        QFETCH(bool, useSpace);
        CAxisRecord axis;
        axis.m_nStatusInputs = inputs;
        axis.m_nStatusErrors = errors;
        auto dlg = MakeDialog(Kind(kind), &axis);
        QVERIFY(dlg->Create());
        dlg->show();
        QCheckBox* check = BoxByText(dlg.get(), box);
        QVERIFY(check);
        const bool bitSet = inputs != 0 || errors != 0;
        QTRY_COMPARE_WITH_TIMEOUT(check->isChecked(), bitSet, kTickMs);

        if (useSpace) {
            check->setFocus();
            QTest::keyClick(check, Qt::Key_Space);
        } else {
            QTest::mouseClick(check, Qt::LeftButton);
        }
        QCOMPARE(check->isChecked(), !bitSet);
        QTRY_COMPARE_WITH_TIMEOUT(check->isChecked(), bitSet, kTickMs);
    }

    void closingStopsTicks_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("how");
        for (const char* how : {"OK", "Esc", "close box"}) {
            QTest::newRow(qPrintable(QStringLiteral("incremental, %1").arg(QLatin1String(how))))
                << int(Kind::Inc) << QString::fromLatin1(how);
            QTest::newRow(qPrintable(QStringLiteral("SSI, %1").arg(QLatin1String(how))))
                << int(Kind::Ssi) << QString::fromLatin1(how);
        }
    }
    void closingStopsTicks()
    {
        QFETCH(int, kind);
        QFETCH(QString, how);
        CAxisRecord axis;
        axis.m_nStatusInputs = -1;
        axis.m_nStatusErrors = -1;
        auto dlg = MakeDialog(Kind(kind), &axis);
        QVERIFY(dlg->Create());
        dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(dlg.get()));
        QTRY_VERIFY_WITH_TIMEOUT(!Ticked(dlg.get()).isEmpty(), kTickMs);
        const QString shown = Ticked(dlg.get());

        if (how == QLatin1String("OK"))
            QTest::mouseClick(dlg->GetDlgItem(fw::IDOK), Qt::LeftButton);
        else if (how == QLatin1String("Esc"))
            QTest::keyClick(dlg.get(), Qt::Key_Escape);
        else
            dlg->close();
        QVERIFY(!dlg->isVisible());

        // Gone from the screen, the dialog no longer follows the words.
        axis.m_nStatusInputs = 0;
        axis.m_nStatusErrors = 0;
        QTest::qWait(600);
        QCOMPARE(Ticked(dlg.get()), shown);
    }

    void followsCardWhileOpen_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("reg");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("ticked");
        QTest::newRow("incremental Z") << 0 << int(REG_STATUS_INPUTS) << 0x8 << QStringLiteral("Z");
        QTest::newRow("SSI parity") << 1 << int(REG_STATUS_ERRORS) << 0x2 << QStringLiteral("Parity");
    }
    void followsCardWhileOpen()
    {
        QFETCH(int, type);
        QFETCH(int, reg);
        QFETCH(int, value);
        QFETCH(QString, ticked);
        testsupport::SetCard(3, 1, {type, type, type});
        auto frame = testsupport::NewFrame();
        frame->show();
        CAxisBar& bar = frame->Panel().AxisBar(2);

        QString before, during, after;
        bool bShown = true, bCleared = true;
        qint64 fastest = kTickMs;
        QTimer::singleShot(0, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            before = Ticked(modal);
            QElapsedTimer clock;
            for (int round = 0; round < 3 && bShown && bCleared && fastest > kBothTicksMs; ++round) {
                fake::SetRegister(reg, 2, value);
                clock.start();
                bShown = WaitFor([&] { return Ticked(modal) == ticked; }, kTickMs);
                fastest = std::min(fastest, clock.elapsed());
                during = Ticked(modal);
                fake::SetRegister(reg, 2, 0);
                clock.start();
                bCleared = WaitFor([&] { return Ticked(modal).isEmpty(); }, kTickMs);
                fastest = std::min(fastest, clock.elapsed());
                after = Ticked(modal);
            }
            qobject_cast<QDialog*>(modal)->reject();
        });
        bar.OnStatus();
        QCOMPARE(before, QString());
        QVERIFY2(bShown, qPrintable(during));
        QVERIFY2(bCleared, qPrintable(after));
        QVERIFY2(fastest <= kBothTicksMs, qPrintable(QString::number(fastest)));
    }
};

QTEST_MAIN(TestStatusdialogs)
#include "test_statusdialogs.moc"
