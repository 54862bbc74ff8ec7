// The Axis Properties dialog opened from an axis bar's "Setup": what it shows, what OK and Cancel leave
// in the bar, the checks of its fields, and the live readout under it.

#include "TestSupport.h"
#include "app/MainFrame.h"
#include "bars/Scaling.h"
#include "dialogs/AxisPropertiesDlg.h"
#include "dialogs/IncPropertiesDlg.h"
#include "dialogs/SsiPropertiesDlg.h"
#include "resources/Resources.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

using namespace res;

class TestAxisproperties : public testsupport::CReadoutTestCase
{
    Q_OBJECT

    void MakeFrame(const std::vector<int>& types)
    {
        testsupport::SetCard(static_cast<int>(types.size()), 1, types);
        CReadoutTestCase::MakeFrame();
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowActive(m_frame.get()));
    }
    CAxisBar& Bar(int i = 0) { return m_frame->Panel().AxisBar(i); }

    static QLineEdit* Edit(CAxisPropertiesDlg& dlg, int id)
    {
        return qobject_cast<QLineEdit*>(dlg.GetDlgItem(id));
    }
    static QString Shown(CAxisBar& bar, int id) { return bar.GetDlgItem(id)->property("text").toString(); }
    static void Click(CAxisPropertiesDlg& dlg, int id)
    {
        QTest::mouseClick(dlg.GetDlgItem(id), Qt::LeftButton);
    }

    // Runs the bar's "Setup" with `drive` acting on the open dialog; a dialog `drive` leaves open is
    // cancelled.
    void Setup(CAxisBar& bar, const std::function<void(CAxisPropertiesDlg&)>& drive)
    {
        bool bDriven = false;
        QObject context; // no late call once the handler has returned
        QTimer::singleShot(0, &context, [&] {
            auto* dlg = qobject_cast<CAxisPropertiesDlg*>(QApplication::activeModalWidget());
            if (!dlg)
                return;
            dlg->activateWindow(); // as the window system does for a new modal dialog
            bDriven = QTest::qWaitFor([dlg] { return QApplication::activeWindow() == dlg; });
            if (bDriven)
                drive(*dlg);
            if (dlg->isVisible())
                dlg->close();
        });
        bar.OnSetup();
        QVERIFY(bDriven);
    }

    // Sets the bar's record as if loaded from the profile.
    static void SetRecord(CAxisBar& bar, const QString& name, double pitch, double count)
    {
        bar.m_strName = name;
        bar.m_dPitch = pitch;
        bar.m_dCount = count;
        bar.RecalcScaling();
    }

private slots:
    void opens_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("ssi");

        QTest::newRow("SSI") << 1 << true;
        QTest::newRow("incremental") << 0 << false;
        QTest::newRow("type 2") << 2 << false;
        QTest::newRow("type -1") << -1 << false;
    }

    void opens()
    {
        QFETCH(int, type);
        QFETCH(bool, ssi);
        MakeFrame({0, type});
        SetRecord(Bar(1), QStringLiteral("Y"), 0.5, 4000);
        QString opened;
        CAxisRecord* edited = nullptr;
        QWidget* owner = nullptr;
        Setup(Bar(1), [&](CAxisPropertiesDlg& dlg) {
            QCOMPARE(dlg.windowTitle(), QStringLiteral("Axis Properties"));
            QCOMPARE(dlg.parentWidget(), m_frame.get());
            QCOMPARE(dlg.m_btnSsiMode, dlg.GetDlgItem(IDC_SSI_MODE));
            QCOMPARE(dlg.m_btnSsiMode->isVisible(), ssi);
            QCOMPARE(dlg.m_btnIncMode->isVisible(), !ssi);
            QCOMPARE(dlg.m_btnSsiMode->geometry(), dlg.m_btnIncMode->geometry());
            QCOMPARE(QApplication::focusWidget(), dlg.GetDlgItem(fw::IDOK));
            QCOMPARE(Edit(dlg, IDC_AXIS_NAME)->text(), QStringLiteral("Y"));
            QCOMPARE(Edit(dlg, IDC_CHANNEL)->text(), QStringLiteral("1"));
            QCOMPARE(Edit(dlg, IDC_COUNT)->text(), QStringLiteral("4000"));
            QCOMPARE(Edit(dlg, IDC_PITCH)->text(), QStringLiteral("0.5"));

            // The button shown opens the encoder dialog of the type on the same bar, owned by this one.
            QTimer::singleShot(0, &dlg, [&] {
                QWidget* nested = QApplication::activeModalWidget();
                if (!nested || nested == &dlg)
                    return;
                opened = QString::fromLatin1(nested->metaObject()->className());
                if (auto* ssiDlg = qobject_cast<CSsiPropertiesDlg*>(nested))
                    edited = ssiDlg->m_pAxis;
                if (auto* incDlg = qobject_cast<CIncPropertiesDlg*>(nested))
                    edited = incDlg->m_pAxis;
                owner = nested->parentWidget();
                nested->close();
            });
            Click(dlg, ssi ? IDC_SSI_MODE : IDC_INC_MODE);
            QVERIFY(dlg.isVisible());
            QCOMPARE(owner, &dlg);
            // The keyboard is back here at once: Esc closes this dialog without a click first.
            QTRY_COMPARE(QApplication::activeWindow(), &dlg);
            QVERIFY(dlg.isAncestorOf(QApplication::focusWidget()));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            QVERIFY(!dlg.isVisible());
        });
        QCOMPARE(opened, QLatin1String(ssi ? "CSsiPropertiesDlg" : "CIncPropertiesDlg"));
        QCOMPARE(edited, static_cast<CAxisRecord*>(&Bar(1)));
    }

    // With no window active, as right after another dialog closed, the main window owns the dialog.
    void ownedByMainWindowWhenNoneIsActive()
    {
        MakeFrame({0});
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        other.hide();
        QTRY_VERIFY(!QApplication::activeWindow());
        QWidget* owner = nullptr;
        Setup(Bar(), [&](CAxisPropertiesDlg& dlg) { owner = dlg.parentWidget(); });
        QCOMPARE(owner, m_frame.get());
    }

    void cancel_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel") << "cancel";
        QTest::newRow("Esc") << "esc";
        QTest::newRow("close box") << "close";
    }

    void cancel()
    {
        QFETCH(QString, how);
        MakeFrame({0});
        SetRecord(Bar(), QStringLiteral("X"), 2.0, 4000);
        Setup(Bar(), [&](CAxisPropertiesDlg& dlg) {
            Edit(dlg, IDC_AXIS_NAME)->setText(QStringLiteral("Q"));
            Edit(dlg, IDC_COUNT)->setText(QStringLiteral("10"));
            Edit(dlg, IDC_PITCH)->setText(QStringLiteral("3"));
            if (how == QLatin1String("cancel"))
                Click(dlg, fw::IDCANCEL);
            else if (how == QLatin1String("esc"))
                QTest::keyClick(Edit(dlg, IDC_COUNT), Qt::Key_Escape);
            else
                dlg.close();
            QVERIFY(!dlg.isVisible());
        });
        QCOMPARE(Bar().m_strName, QStringLiteral("X"));
        QCOMPARE(Bar().m_nChannel, int16_t(0));
        QCOMPARE(Bar().m_dPitch, 2.0);
        QCOMPARE(Bar().m_dCount, 4000.0);
        QCOMPARE(Bar().m_nDecimals, 4);
        QVERIFY(m_profile->Messages().isEmpty());
    }

    void accepted_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("pitch");
        QTest::addColumn<QString>("count");
        QTest::addColumn<double>("pitchValue");
        QTest::addColumn<double>("countValue");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("shown"); // a raw count of 3, at the next refresh

        const auto row = [](const char* name, const char* text, const char* pitch, const char* count,
                            double pitchValue, double countValue, int decimals, const char* shown) {
            QTest::newRow(name) << QString::fromLatin1(text) << QString::fromLatin1(pitch)
                                << QString::fromLatin1(count) << pitchValue << countValue << decimals
                                << QString::fromLatin1(shown);
        };
        row("pitch 1, count 2000", "Z", "1", "2000", 1, 2000, 4, "    0.0015");
        row("empty name", "", "1", "1", 1, 1, 0, "         3");
        row("exponent, blanks", "Z", " 2 ", "1e3", 2, 1000, 3, "     0.006");
        row("negative pitch", "Z", "-0.5", "1", -0.5, 1, 1, "      -1.5");
        row("zero pitch", "Z", "0", "1", 0, 1, 0, "         0");
    }

    void accepted()
    {
        QFETCH(QString, name);
        QFETCH(QString, pitch);
        QFETCH(QString, count);
        MakeFrame({0});
        SetRecord(Bar(), QStringLiteral("X"), 1.0, 1.0);
        fake::SetRegister(REG_INCREMENTAL, 0, 3);
        Setup(Bar(), [&](CAxisPropertiesDlg& dlg) {
            Edit(dlg, IDC_AXIS_NAME)->setText(name);
            Edit(dlg, IDC_PITCH)->setText(pitch);
            Edit(dlg, IDC_COUNT)->setText(count);
            Click(dlg, fw::IDOK);
            QVERIFY(!dlg.isVisible());
        });
        QVERIFY(m_profile->Messages().isEmpty());
        QCOMPARE(Bar().m_strName, name);
        QTEST(Bar().m_dPitch, "pitchValue");
        QTEST(Bar().m_dCount, "countValue");
        QCOMPARE(Bar().m_nChannel, int16_t(0));
        QTEST(Bar().m_nDecimals, "decimals");
        m_frame->Panel().RefreshAll();
        QCOMPARE(Shown(Bar(), IDC_NAME), name);
        QTEST(Shown(Bar(), IDC_INCREMENTAL), "shown");
    }

    void refused_data()
    {
        QTest::addColumn<QString>("pitch");
        QTest::addColumn<QString>("count");
        QTest::addColumn<int>("failingId");
        QTest::addColumn<double>("countValue"); // what the bar holds after the failed OK

        const auto row = [](const char* name, const char* pitch, const char* count, int failingId,
                            double value) {
            QTest::newRow(name) << QString::fromLatin1(pitch) << QString::fromLatin1(count) << failingId
                                << value;
        };
        row("letters in Count", "3", "abc", IDC_COUNT, 4000);
        row("comma in Count", "3", "1,5", IDC_COUNT, 4000);
        row("empty Count", "3", "", IDC_COUNT, 4000);
        row("letters in Pitch: new count taken", "abc", "10", IDC_PITCH, 10);
    }

    // A failed OK: the message, the dialog open on the offending edit, and the bar already holding the
    // values the check reached, which a following Cancel does not take back.
    void refused()
    {
        QFETCH(QString, pitch);
        QFETCH(QString, count);
        QFETCH(int, failingId);
        QFETCH(double, countValue);
        MakeFrame({0});
        SetRecord(Bar(), QStringLiteral("X"), 2.0, 4000);
        fake::SetRegister(REG_INCREMENTAL, 0, 3);
        Setup(Bar(), [&](CAxisPropertiesDlg& dlg) {
            Edit(dlg, IDC_AXIS_NAME)->setText(QStringLiteral("Q"));
            Edit(dlg, IDC_PITCH)->setText(pitch);
            Edit(dlg, IDC_COUNT)->setText(count);
            Click(dlg, fw::IDOK);
            QVERIFY(dlg.isVisible());
            QCOMPARE(m_profile->Messages().size(), 1);
            QLineEdit* failing = Edit(dlg, failingId);
            QCOMPARE(QApplication::focusWidget(), failing);
            QCOMPARE(failing->selectedText(), failing->text());
            QCOMPARE(Bar().m_strName, QStringLiteral("Q"));
            // The live readout shows the new name at its next refresh, under the open dialog.
            QTRY_COMPARE(Shown(Bar(), IDC_NAME), QStringLiteral("Q"));
            // and scales with the count taken, at the decimals shown before.
            QCOMPARE(Shown(Bar(), IDC_INCREMENTAL), scaling::FormatValue(3 * 2.0 / countValue, 4));
            Click(dlg, fw::IDCANCEL);
        });
        QCOMPARE(Bar().m_strName, QStringLiteral("Q"));
        QCOMPARE(Bar().m_dPitch, 2.0);
        QCOMPARE(Bar().m_dCount, countValue);
        QCOMPARE(Bar().m_nDecimals, scaling::Decimals(2.0 / Bar().m_dCount));
    }

    // A two-letter name from the profile is shown whole and fails OK until the operator shortens it.
    void storedLongName()
    {
        MakeFrame({0});
        Bar().m_strName = QStringLiteral("AB");
        Setup(Bar(), [&](CAxisPropertiesDlg& dlg) {
            QLineEdit* name = Edit(dlg, IDC_AXIS_NAME);
            QCOMPARE(name->text(), QStringLiteral("AB"));
            name->end(false);
            QTest::keyClicks(name, QStringLiteral("C"));
            QCOMPARE(name->text(), QStringLiteral("AB"));

            Click(dlg, fw::IDOK);
            QVERIFY(dlg.isVisible());
            QCOMPARE(m_profile->Messages().size(), 1);
            QVERIFY(m_profile->Messages().first().contains(QLatin1String("1 character")));
            QCOMPARE(QApplication::focusWidget(), name);
            QCOMPARE(name->selectedText(), QStringLiteral("AB"));

            // A typed letter replaces the selected name; a second one is refused.
            QTest::keyClicks(name, QStringLiteral("ZY"));
            QCOMPARE(name->text(), QStringLiteral("Z"));
            Click(dlg, fw::IDOK);
            QVERIFY(!dlg.isVisible());
        });
        QCOMPARE(Bar().m_strName, QStringLiteral("Z"));
    }

    void channelEdit()
    {
        MakeFrame({0, 0, 0, 0, 0, 0});
        Setup(Bar(5), [&](CAxisPropertiesDlg& dlg) {
            QLineEdit* channel = Edit(dlg, IDC_CHANNEL);
            QCOMPARE(channel->text(), QStringLiteral("5"));
            QVERIFY(!channel->isEnabled());
            channel->setFocus();
            QTest::mouseClick(channel, Qt::LeftButton);
            QVERIFY(!channel->hasFocus());
            Click(dlg, fw::IDOK);
            QVERIFY(!dlg.isVisible());
        });
        QCOMPARE(Bar(5).m_nChannel, int16_t(5));
    }

    // The main window's refresh goes on while the dialog is open.
    void liveUnderDialog()
    {
        MakeFrame({0});
        SetRecord(Bar(), QStringLiteral("X"), 1.0, 10.0);
        Setup(Bar(), [&](CAxisPropertiesDlg&) {
            fake::SetRegister(REG_INCREMENTAL, 0, 7);
            QTRY_COMPARE(Shown(Bar(), IDC_INCREMENTAL), QStringLiteral("       0.7"));
            fake::SetRegister(REG_INCREMENTAL, 0, -8);
            QTRY_COMPARE(Shown(Bar(), IDC_INCREMENTAL), QStringLiteral("      -0.8"));
        });
    }
};

QTEST_MAIN(TestAxisproperties)
#include "test_axisproperties.moc"
