// The SSI and incremental encoder properties dialogs: how they read the bar's mode word, how every
// change is merged into it, what a failing check leaves behind, and the word's way to the card.

#include "TestSupport.h"
#include "app/MainFrame.h"
#include "dialogs/IncPropertiesDlg.h"
#include "dialogs/SsiPropertiesDlg.h"
#include "framework/MessageBox.h"
#include "hardware/ModeWord.h"
#include "resources/Resources.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <memory>

using namespace res;

namespace {

constexpr uint32_t kDefault = hw::kDefaultModeWord;
// Bits 3, 18-23, 30 and 31: no field's, carried along by every merge.
constexpr uint32_t kForeign = 0xC0FC0008u;

QString Num(uint32_t word)
{
    return QString::number(word);
}

template <typename T> T* Item(fw::CDialog& dlg, int id)
{
    return qobject_cast<T*>(dlg.GetDlgItem(id));
}

// Clicks the list (which takes the focus and opens it), then picks the entry with `text` and Enter.
void Choose(fw::CDialog& dlg, int id, const QString& text)
{
    auto* combo = Item<QComboBox>(dlg, id);
    QTest::mouseClick(combo, Qt::LeftButton);
    QAbstractItemView* view = combo->view();
    if (!view->isVisible())
        return; // the click was refused
    view->setCurrentIndex(view->model()->index(combo->findText(text), 0));
    QTest::keyClick(view, Qt::Key_Return);
}

// Clicks into the edit and, unless `text` is null, replaces its text by typing.
void Type(fw::CDialog& dlg, int id, const QString& text)
{
    auto* edit = Item<QLineEdit>(dlg, id);
    QTest::mouseClick(edit, Qt::LeftButton);
    if (text.isNull())
        return;
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

// The operator's change: a box clicked, a list entry chosen, or an edit typed into (null text: only
// visited) and left with Tab.
void Change(fw::CDialog& dlg, int id, const QString& input)
{
    if (qobject_cast<QCheckBox*>(dlg.GetDlgItem(id))) {
        QTest::mouseClick(dlg.GetDlgItem(id), Qt::LeftButton);
    } else if (qobject_cast<QComboBox*>(dlg.GetDlgItem(id))) {
        Choose(dlg, id, input);
    } else {
        Type(dlg, id, input);
        QTest::keyClick(dlg.GetDlgItem(id), Qt::Key_Tab);
    }
}

// Closes every message box as soon as it is up and counts them.
class CBoxCloser
{
public:
    CBoxCloser()
    {
        fw::SetMessageBoxHook({});
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                ++m_nBoxes;
                box->accept();
            }
        });
        m_timer.start(20);
    }
    int Boxes() const { return m_nBoxes; }

private:
    QTimer m_timer;
    int m_nBoxes = 0;
};

} // namespace

class TestEncoderdialogs : public testsupport::CReadoutTestCase
{
    Q_OBJECT


    CAxisBar& Bar() { return m_frame->Panel().AxisBar(0); }

    // One channel of `type`; the card and the bar hold `word`, in step.
    void MakeFrame(int type, uint32_t word)
    {
        testsupport::SetCard(1, 1, {type});
        CReadoutTestCase::MakeFrame();
        fake::SetRegister(REG_MODE, 0, static_cast<int32_t>(word));
        Bar().m_dwMode = word;
        Bar().m_bModePending = false;
    }

    // Opens `dlg` on bar 0, shown and active, so that focus changes behave as on screen.
    template <typename Dlg> bool Open(Dlg& dlg)
    {
        dlg.m_pAxis = &Bar();
        if (!dlg.Create())
            return false;
        dlg.show();
        dlg.activateWindow();
        return QTest::qWaitForWindowActive(&dlg);
    }

    template <typename Dlg> std::unique_ptr<Dlg> WithAxis(std::unique_ptr<Dlg> dlg)
    {
        dlg->m_pAxis = &Bar();
        return dlg;
    }

    QString Text(fw::CDialog& dlg, int id) { return Item<QLineEdit>(dlg, id)->text(); }

private slots:
    void ssiOpensFromWord_data()
    {
        QTest::addColumn<uint>("word");
        QTest::addColumn<QList<int>>("lists"); // Frequency, Update, Extra Bit, Code, Direction
        QTest::addColumn<QString>("length");
        QTest::addColumn<QString>("offset");
        QTest::newRow("default") << uint(kDefault) << QList<int>{0, 2, 0, 0, 0} << "24"
                                 << "8";
        QTest::newRow("frequency 6") << 0x18020806u << QList<int>{-1, 2, 0, 0, 0} << "24"
                                     << "8";
        QTest::newRow("frequency 7") << 0x18020807u << QList<int>{-1, 2, 0, 0, 0} << "24"
                                     << "8";
        QTest::newRow("update 3") << 0x18030800u << QList<int>{0, -1, 0, 0, 0} << "24"
                                  << "8";
        QTest::newRow("length 0") << 0x00020800u << QList<int>{0, 2, 0, 0, 0} << "0"
                                  << "8";
        QTest::newRow("length 63") << 0x3F020800u << QList<int>{0, 2, 0, 0, 0} << "63"
                                   << "8";
        QTest::newRow("every field, foreign bits")
            << (0x2001FF05u | kForeign) << QList<int>{5, 1, 3, 1, 1} << "32"
            << "15";
    }

    void ssiOpensFromWord()
    {
        QFETCH(uint, word);
        QFETCH(QList<int>, lists);
        MakeFrame(ENCODER_SSI, word);
        CSsiPropertiesDlg dlg;
        QVERIFY(Open(dlg));

        const int ids[] = {IDC_FREQUENCY, IDC_UPDATE, IDC_EXTRA_BIT, IDC_CODE, IDC_DIRECTION};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(Item<QComboBox>(dlg, ids[i])->currentIndex(), lists[i]);
        QTEST(Text(dlg, IDC_LENGTH), "length");
        QTEST(Text(dlg, IDC_OFFSET), "offset");
        QCOMPARE(Text(dlg, IDC_MODE), Num(word));
        QCOMPARE(QApplication::focusWidget(), dlg.GetDlgItem(fw::IDOK));
        QCOMPARE(Bar().m_dwMode, word);
        QVERIFY(!Bar().m_bModePending);
    }

    void ssiChangeMerges_data()
    {
        QTest::addColumn<uint>("start");
        QTest::addColumn<int>("control");
        QTest::addColumn<QString>("input"); // null: the edit is only passed through
        QTest::addColumn<uint>("expected");
        const uint def = kDefault;
        const uint foreign = kDefault | kForeign;
        QTest::newRow("Gray") << def << IDC_CODE << "Gray" << 0x18024800u;
        QTest::newRow("Rev") << def << IDC_DIRECTION << "Rev" << 0x18028800u;
        QTest::newRow("Parity Even") << def << IDC_EXTRA_BIT << "Parity Even" << 0x18022800u;
        QTest::newRow("78kHz") << def << IDC_FREQUENCY << "78kHz" << 0x18020805u;
        QTest::newRow("One shot") << def << IDC_UPDATE << "One shot" << 0x18000800u;
        QTest::newRow("Length 32") << def << IDC_LENGTH << "32" << 0x20020800u;
        QTest::newRow("Length 1") << def << IDC_LENGTH << " 1" << 0x01020800u;
        QTest::newRow("Offset 15") << def << IDC_OFFSET << "15" << 0x18020F00u;
        QTest::newRow("Offset 0") << def << IDC_OFFSET << "0" << 0x18020000u;
        QTest::newRow("through Length") << def << IDC_LENGTH << QString() << def;
        QTest::newRow("through Offset") << def << IDC_OFFSET << QString() << def;
        QTest::newRow("frequency 6, through Length") << 0x18020806u << IDC_LENGTH << QString() << 0x18020807u;
        QTest::newRow("frequency 6, Gray") << 0x18020806u << IDC_CODE << "Gray" << 0x18024807u;
        QTest::newRow("update 3, Gray") << 0x18030800u << IDC_CODE << "Gray" << 0x18034800u;
        QTest::newRow("foreign, Gray") << foreign << IDC_CODE << "Gray" << 0xD8FE4808u;
        QTest::newRow("foreign, Parity Odd") << foreign << IDC_EXTRA_BIT << "Parity Odd" << 0xD8FE3808u;
        QTest::newRow("foreign, 78kHz") << foreign << IDC_FREQUENCY << "78kHz" << 0xD8FE080Du;
        QTest::newRow("foreign, One shot") << foreign << IDC_UPDATE << "One shot" << 0xD8FC0808u;
        QTest::newRow("foreign, Length 32") << foreign << IDC_LENGTH << "32" << 0xE0FE0808u;
        QTest::newRow("foreign, Offset 15") << foreign << IDC_OFFSET << "15" << 0xD8FE0F08u;
    }

    void ssiChangeMerges()
    {
        QFETCH(uint, start);
        QFETCH(int, control);
        QFETCH(QString, input);
        QFETCH(uint, expected);
        MakeFrame(ENCODER_SSI, start);
        CSsiPropertiesDlg dlg;
        QVERIFY(Open(dlg));

        Change(dlg, control, input);
        QCOMPARE(Bar().m_dwMode, expected);
        QVERIFY(Bar().m_bModePending);
        QVERIFY(m_profile->Messages().isEmpty());
        // Every control shows the merged word again.
        QCOMPARE(Text(dlg, IDC_MODE), Num(expected));
        QCOMPARE(Text(dlg, IDC_LENGTH), Num(hw::GetModeField(expected, hw::ssi::Length)));
        QCOMPARE(Text(dlg, IDC_OFFSET), Num(hw::GetModeField(expected, hw::ssi::Offset)));
    }

    void ssiCheckFailsMergesNothing_data()
    {
        QTest::addColumn<uint>("start");
        QTest::addColumn<int>("control");
        QTest::addColumn<QString>("input");
        QTest::newRow("Length 40") << uint(kDefault) << IDC_LENGTH << "40";
        QTest::newRow("Length abc") << uint(kDefault) << IDC_LENGTH << "abc";
        QTest::newRow("Length 0") << uint(kDefault) << IDC_LENGTH << "0";
        QTest::newRow("Length empty") << uint(kDefault) << IDC_LENGTH << "";
        QTest::newRow("Offset 16") << uint(kDefault) << IDC_OFFSET << "16";
        QTest::newRow("Offset -1") << uint(kDefault) << IDC_OFFSET << "-1";
        QTest::newRow("stored Length 0, Gray") << 0x00020800u << IDC_CODE << "Gray";
        QTest::newRow("stored Length 40, through Offset") << 0x28020800u << IDC_OFFSET << QString();
    }

    void ssiCheckFailsMergesNothing()
    {
        QFETCH(uint, start);
        QFETCH(int, control);
        QFETCH(QString, input);
        MakeFrame(ENCODER_SSI, start);
        CSsiPropertiesDlg dlg;
        QVERIFY(Open(dlg));
        const QString lengthShown = Text(dlg, IDC_LENGTH);

        Change(dlg, control, input);
        QCOMPARE(m_profile->Messages().size(), 1);
        QCOMPARE(Bar().m_dwMode, start);
        QVERIFY(!Bar().m_bModePending);
        QCOMPARE(Text(dlg, IDC_MODE), Num(start));
        // The focus is back on the edit that failed, its text selected; a stored Length fails first.
        const int failed = control == IDC_OFFSET && !input.isNull() ? IDC_OFFSET : IDC_LENGTH;
        auto* edit = Item<QLineEdit>(dlg, failed);
        QCOMPARE(QApplication::focusWidget(), edit);
        QCOMPARE(edit->selectedText(), edit->text());
        if (control == IDC_CODE)
            QCOMPARE(Item<QComboBox>(dlg, IDC_CODE)->currentText(), input);
        if (input.isNull())
            QCOMPARE(Text(dlg, IDC_LENGTH), lengthShown);
    }

    // Whichever way the operator leaves a bad Length, and with the real message box too: one message,
    // the click that took the focus does nothing, and the dialog stays open on the edit.
    void ssiLeavingBadLengthShowsOneMessage_data()
    {
        QTest::addColumn<int>("target"); // 0: the Tab key
        QTest::addColumn<bool>("realBox");
        for (const bool real : {false, true}) {
            const char* box = real ? ", message box" : "";
            QTest::addRow("Tab%s", box) << 0 << real;
            QTest::addRow("click Offset%s", box) << IDC_OFFSET << real;
            QTest::addRow("click Frequency%s", box) << IDC_FREQUENCY << real;
            QTest::addRow("click OK%s", box) << int(fw::IDOK) << real;
            QTest::addRow("click Cancel%s", box) << int(fw::IDCANCEL) << real;
        }
    }

    void ssiLeavingBadLengthShowsOneMessage()
    {
        QFETCH(int, target);
        QFETCH(bool, realBox);
        MakeFrame(ENCODER_SSI, kDefault);
        CSsiPropertiesDlg dlg;
        QVERIFY(Open(dlg));
        std::unique_ptr<CBoxCloser> closer;
        if (realBox)
            closer = std::make_unique<CBoxCloser>();

        Type(dlg, IDC_LENGTH, QStringLiteral("40"));
        if (target == 0)
            QTest::keyClick(dlg.GetDlgItem(IDC_LENGTH), Qt::Key_Tab);
        else
            QTest::mouseClick(dlg.GetDlgItem(target), Qt::LeftButton);
        QTest::qWait(200);
        QCOMPARE(realBox ? closer->Boxes() : int(m_profile->Messages().size()), 1);
        QVERIFY(dlg.isVisible());
        QVERIFY(!Item<QComboBox>(dlg, IDC_FREQUENCY)->view()->isVisible());
        QCOMPARE(dlg.focusWidget(), dlg.GetDlgItem(IDC_LENGTH));
        QCOMPARE(Text(dlg, IDC_LENGTH), QStringLiteral("40"));
        QCOMPARE(Bar().m_dwMode, kDefault);
        QVERIFY(!Bar().m_bModePending);
    }

    // A value typed into Length and then the dialog closed.
    void ssiClosingAfterTyping_data()
    {
        QTest::addColumn<QString>("length");
        QTest::addColumn<int>("close"); // a button clicked, or a key pressed in the edit
        QTest::addColumn<uint>("expected");
        QTest::addColumn<bool>("closed");
        QTest::newRow("valid, Cancel clicked") << "32" << int(fw::IDCANCEL) << 0x20020800u << true;
        QTest::newRow("valid, OK clicked") << "32" << int(fw::IDOK) << 0x20020800u << true;
        QTest::newRow("valid, Enter") << "32" << int(Qt::Key_Return) << 0x20020800u << true;
        QTest::newRow("valid, Esc") << "32" << int(Qt::Key_Escape) << uint(kDefault) << true;
        QTest::newRow("out of range, Enter") << "40" << int(Qt::Key_Return) << uint(kDefault) << false;
        QTest::newRow("out of range, Esc") << "40" << int(Qt::Key_Escape) << uint(kDefault) << true;
        QTest::newRow("out of range, close box") << "40" << 0 << uint(kDefault) << true;
    }

    void ssiClosingAfterTyping()
    {
        QFETCH(QString, length);
        QFETCH(int, close);
        QFETCH(uint, expected);
        QFETCH(bool, closed);
        MakeFrame(ENCODER_SSI, kDefault);
        CSsiPropertiesDlg dlg;
        QVERIFY(Open(dlg));

        Type(dlg, IDC_LENGTH, length);
        if (close == fw::IDOK || close == fw::IDCANCEL)
            QTest::mouseClick(dlg.GetDlgItem(close), Qt::LeftButton);
        else if (close == 0)
            dlg.close();
        else
            QTest::keyClick(dlg.GetDlgItem(IDC_LENGTH), Qt::Key(close));
        QCOMPARE(!dlg.isVisible(), closed);
        QCOMPARE(Bar().m_dwMode, expected);
        QCOMPARE(Bar().m_bModePending, expected != kDefault);
        QCOMPARE(int(m_profile->Messages().size()), closed ? 0 : 1);
    }

    void incOpensFromWord_data()
    {
        QTest::addColumn<uint>("word");
        QTest::addColumn<QList<int>>("boxes"); // A, B, Z, M, Sync Disable as on screen
        QTest::newRow("default") << uint(kDefault) << QList<int>{0, 0, 0, 0, 0};
        QTest::newRow("bit 7 is Z") << 0x18020880u << QList<int>{0, 0, 1, 0, 0};
        QTest::newRow("bit 6 is M") << 0x18020840u << QList<int>{0, 0, 0, 1, 0};
        QTest::newRow("odd offset is Sync Disable") << 0x18020900u << QList<int>{0, 0, 0, 0, 1};
        QTest::newRow("all but A") << 0xFFFFFFEFu << QList<int>{0, 1, 1, 1, 1};
    }

    void incOpensFromWord()
    {
        QFETCH(uint, word);
        QFETCH(QList<int>, boxes);
        MakeFrame(ENCODER_INCREMENTAL, word);
        CIncPropertiesDlg dlg;
        QVERIFY(Open(dlg));
        const int ids[] = {IDC_INVERT_A, IDC_INVERT_B, IDC_INVERT_Z, IDC_INVERT_M, IDC_SYNC_DISABLE};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(int(Item<QCheckBox>(dlg, ids[i])->isChecked()), boxes[i]);
        QCOMPARE(Text(dlg, IDC_MODE), Num(word));
        QVERIFY(!Bar().m_bModePending);
    }

    void incClickMerges_data()
    {
        QTest::addColumn<uint>("start");
        QTest::addColumn<int>("box");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<uint>("expected");
        const uint def = kDefault;
        QTest::newRow("Invert Z") << def << IDC_INVERT_Z << 1 << 0x18020880u;
        QTest::newRow("Invert M") << def << IDC_INVERT_M << 1 << 0x18020840u;
        QTest::newRow("Invert A") << def << IDC_INVERT_A << 1 << 0x18020810u;
        QTest::newRow("Invert B") << def << IDC_INVERT_B << 1 << 0x18020820u;
        QTest::newRow("Sync Disable") << def << IDC_SYNC_DISABLE << 1 << 0x18020900u;
        QTest::newRow("Invert Z twice") << def << IDC_INVERT_Z << 2 << def;
        QTest::newRow("Sync Disable off an odd offset")
            << 0x18020F00u << IDC_SYNC_DISABLE << 1 << 0x18020E00u;
        QTest::newRow("other bits kept, A on") << 0xFFFFFE0Fu << IDC_INVERT_A << 1 << 0xFFFFFE1Fu;
        QTest::newRow("other bits kept, Z off") << 0xFFFFFFFFu << IDC_INVERT_Z << 1 << 0xFFFFFF7Fu;
    }

    void incClickMerges()
    {
        QFETCH(uint, start);
        QFETCH(int, box);
        QFETCH(int, clicks);
        QFETCH(uint, expected);
        MakeFrame(ENCODER_INCREMENTAL, start);
        CIncPropertiesDlg dlg;
        QVERIFY(Open(dlg));
        for (int i = 0; i < clicks; ++i) {
            Bar().m_bModePending = false;
            QTest::mouseClick(dlg.GetDlgItem(box), Qt::LeftButton);
            QVERIFY(Bar().m_bModePending);
        }
        QCOMPARE(Bar().m_dwMode, expected);
        QCOMPARE(Text(dlg, IDC_MODE), Num(expected));
    }

    // Run modally on a live frame: the card's word is read back while nothing is pending, the merge
    // starts from it, the next tick writes the merged word and the one after reads it back. Closing
    // undoes nothing.
    void wordReachesCard_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("control");
        QTest::addColumn<QString>("input");
        QTest::addColumn<uint>("expected");
        // While the dialog is open the card changes Length to 16 and Update to 0 and sets bits 18-23: a
        // merge keeps those bits and writes the dialog's values over its seven fields.
        QTest::newRow("SSI Gray") << int(ENCODER_SSI) << IDC_CODE << "Gray" << 0x18FE4800u;
        QTest::newRow("SSI through Length") << int(ENCODER_SSI) << IDC_LENGTH << QString() << 0x18FE0800u;
        QTest::newRow("incremental Invert Z")
            << int(ENCODER_INCREMENTAL) << IDC_INVERT_Z << QString() << 0x10FC0880u;
    }

    void wordReachesCard()
    {
        QFETCH(int, type);
        QFETCH(int, control);
        QFETCH(QString, input);
        QFETCH(uint, expected);
        MakeFrame(type, kDefault);
        std::unique_ptr<fw::CDialog> dlg;
        if (type == ENCODER_SSI)
            dlg = WithAxis(std::make_unique<CSsiPropertiesDlg>());
        else
            dlg = WithAxis(std::make_unique<CIncPropertiesDlg>());
        std::vector<std::string> written, readBack;
        bool pendingAfterWrite = true;
        QTimer::singleShot(0, [&] {
            dlg->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(dlg.get()));
            fake::SetRegister(REG_MODE, 0, 0x10FC0800);
            m_frame->Panel().RefreshAll();
            Change(*dlg, control, input);
            fake::ClearCalls();
            m_frame->Panel().RefreshAll();
            written = fake::Trace();
            pendingAfterWrite = Bar().m_bModePending;
            fake::ClearCalls();
            m_frame->Panel().RefreshAll();
            readBack = fake::Trace();
            static_cast<QDialog*>(dlg.get())->reject();
        });
        dlg->DoModal();

        const std::string word = std::to_string(static_cast<int32_t>(expected));
        const auto has = [](const std::vector<std::string>& trace, const std::string& line) {
            return std::find(trace.begin(), trace.end(), line) != trace.end();
        };
        QVERIFY(has(written, "write 11 0 " + word));
        QVERIFY(!pendingAfterWrite);
        QVERIFY(has(readBack, "read 11 0 -> " + word));
        QCOMPARE(Bar().m_dwMode, expected);
        QVERIFY(m_profile->Messages().isEmpty());
    }
};

QTEST_MAIN(TestEncoderdialogs)
#include "test_encoderdialogs.moc"
