// The dialog data exchange: order, the stop at the first failing field, what each field holds
// afterwards, the messages, the length limit on typing, and the strict number texts.

#include "TestSupport.h"
#include "framework/DataExchange.h"
#include "framework/Dialog.h"
#include "framework/ResourceTables.h"
#include "resources/Resources.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <clocale>
#include <memory>
#include <string>

namespace {

enum : int
{
    IDC_TEXT = 101,
    IDC_NUMBER,
    IDC_FIRST,
    IDC_SECOND,
    IDC_CHOICE,
    IDC_CHECK
};

using fw::ControlKind;
constexpr fw::ControlTemplate kControls[] = {
    {fw::IDOK, ControlKind::DefPushButton, "OK", fw::CS_NONE, 150, 7, 50, 14},
    {fw::IDCANCEL, ControlKind::PushButton, "Cancel", fw::CS_NONE, 150, 24, 50, 14},
    {IDC_TEXT, ControlKind::Edit, "", fw::CS_AUTOHSCROLL, 7, 7, 60, 14},
    {IDC_NUMBER, ControlKind::Edit, "", fw::CS_AUTOHSCROLL, 7, 24, 60, 14},
    {IDC_FIRST, ControlKind::Edit, "", fw::CS_AUTOHSCROLL, 7, 41, 60, 14},
    {IDC_SECOND, ControlKind::Edit, "", fw::CS_AUTOHSCROLL, 7, 58, 60, 14},
    {IDC_CHOICE, ControlKind::ComboBox, "", fw::CS_VSCROLL, 80, 7, 60, 60},
    {IDC_CHECK, ControlKind::CheckBox, "Check", fw::CS_NONE, 80, 24, 60, 10},
};
constexpr fw::DialogTemplate kTemplate = {
    9001, fw::TemplateKind::Popup, "Exchange", 210, 80, "MS Sans Serif", 8, kControls,
};

// Text (at most 3 characters), number (5 to 10), two doubles, a list and a check box, in that order.
class CExchangeDlg : public fw::CDialog
{
public:
    CExchangeDlg() : fw::CDialog(kTemplate.id) {}

    QString m_strText = QStringLiteral("old");
    uint32_t m_nNumber = 7;
    double m_dFirst = 1.5;
    double m_dSecond = 2.5;
    int m_nChoice = 1;
    int m_nCheck = 1;

    QLineEdit* Edit(int id) const { return qobject_cast<QLineEdit*>(GetDlgItem(id)); }

protected:
    int OnCreate() override
    {
        qobject_cast<QComboBox*>(GetDlgItem(IDC_CHOICE))->addItems({"a", "b", "c"});
        return 0;
    }

    void DoDataExchange(fw::CDataExchange* pDX) override
    {
        fw::DDX_Text(pDX, IDC_TEXT, m_strText);
        fw::DDV_MaxChars(pDX, m_strText, 3);
        fw::DDX_Text(pDX, IDC_NUMBER, m_nNumber);
        fw::DDV_MinMaxUInt(pDX, m_nNumber, 5, 10);
        fw::DDX_Text(pDX, IDC_FIRST, m_dFirst);
        fw::DDX_Text(pDX, IDC_SECOND, m_dSecond);
        fw::DDX_CBIndex(pDX, IDC_CHOICE, m_nChoice);
        fw::DDX_Check(pDX, IDC_CHECK, m_nCheck);
    }
};

} // namespace

class TestDataexchange : public QObject
{
    Q_OBJECT

    std::unique_ptr<testsupport::CIsolatedProfile> m_profile;
    std::unique_ptr<CExchangeDlg> m_dlg;

    void Open()
    {
        m_dlg = std::make_unique<CExchangeDlg>();
        QVERIFY(m_dlg->Create());
        m_dlg->show();
        QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
    }

private slots:
    void initTestCase()
    {
        fw::ResourceTables tables;
        tables.dialog = [](int id) -> const fw::DialogTemplate* { return id == kTemplate.id ? &kTemplate : nullptr; };
        fw::AfxSetResources(tables);
        QCoreApplication::setApplicationName(res::String(res::AFX_IDS_APP_TITLE));
        QCoreApplication::setOrganizationName(QStringLiteral("Orvane Electronic Controls Ltd"));
    }
    void init() { m_profile = std::make_unique<testsupport::CIsolatedProfile>(); }
    void cleanup()
    {
        m_dlg.reset();
        m_profile.reset();
    }

    void shownFields()
    {
        Open();
        QCOMPARE(m_dlg->Edit(IDC_TEXT)->text(), QStringLiteral("old"));
        QCOMPARE(m_dlg->Edit(IDC_NUMBER)->text(), QStringLiteral("7"));
        QCOMPARE(m_dlg->Edit(IDC_FIRST)->text(), QStringLiteral("1.5"));
        QCOMPARE(qobject_cast<QComboBox*>(m_dlg->GetDlgItem(IDC_CHOICE))->currentText(), QStringLiteral("b"));
        QVERIFY(qobject_cast<QCheckBox*>(m_dlg->GetDlgItem(IDC_CHECK))->isChecked());

        // A list index beyond the entries selects nothing and comes back as -1.
        m_dlg->m_nChoice = 7;
        m_dlg->m_nCheck = 0;
        m_dlg->UpdateData(false);
        QVERIFY(m_dlg->UpdateData(true));
        QCOMPARE(m_dlg->m_nChoice, -1);
        QCOMPARE(m_dlg->m_nCheck, 0);
    }

    void takeBack_data()
    {
        QTest::addColumn<QStringList>("texts"); // typed into text, number, first, second
        QTest::addColumn<QString>("text");      // the fields afterwards
        QTest::addColumn<uint>("number");
        QTest::addColumn<double>("first");
        QTest::addColumn<double>("second");
        QTest::addColumn<int>("failingId");     // 0: the exchange passes
        QTest::addColumn<QStringList>("named"); // in the message

        const auto row = [](const char* name, const QString& texts, const char* text, uint number,
                            double first, double second, int failingId, const QString& named) {
            QTest::newRow(name) << texts.split(QLatin1Char('|')) << QString::fromLatin1(text) << number
                                << first << second << failingId
                                << named.split(QLatin1Char('|'), Qt::SkipEmptyParts);
        };
        row("all new", "ab| 9|1e3|-0.5", "ab", 9, 1000, -0.5, 0, "");
        row("text too long: held", "abcd|9|3|4", "abcd", 7, 1.5, 2.5, IDC_TEXT, "3 characters");
        row("number not a number: kept", "ab|x9|3|4", "ab", 7, 1.5, 2.5, IDC_NUMBER, "number");
        row("number negative: kept", "ab|-6|3|4", "ab", 7, 1.5, 2.5, IDC_NUMBER, "number");
        row("number out of range: held", "ab|42|3|4", "ab", 42, 1.5, 2.5, IDC_NUMBER, "5|10");
        row("second bad: first taken", "ab|5|3|1,5", "ab", 5, 3, 2.5, IDC_SECOND, "number");
        row("two bad: one message, the first", "ab|10||abc", "ab", 10, 1.5, 2.5, IDC_FIRST, "number");
    }

    void takeBack()
    {
        QFETCH(QStringList, texts);
        QFETCH(int, failingId);
        QFETCH(QStringList, named);
        Open();
        const int ids[] = {IDC_TEXT, IDC_NUMBER, IDC_FIRST, IDC_SECOND};
        for (int i = 0; i < 4; ++i)
            m_dlg->Edit(ids[i])->setText(texts[i]);

        QCOMPARE(m_dlg->UpdateData(true), failingId == 0);
        QTEST(m_dlg->m_strText, "text");
        QTEST(uint(m_dlg->m_nNumber), "number");
        QTEST(m_dlg->m_dFirst, "first");
        QTEST(m_dlg->m_dSecond, "second");
        QCOMPARE(m_profile->Messages().size(), failingId == 0 ? 0 : 1);
        if (failingId == 0)
            return;
        for (const QString& name : named)
            QVERIFY2(m_profile->Messages().first().contains(name), qPrintable(m_profile->Messages().first()));
        QLineEdit* failing = m_dlg->Edit(failingId);
        QCOMPARE(QApplication::focusWidget(), failing);
        QCOMPARE(failing->selectedText(), failing->text());
    }

    void typingLimit_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("typed"); // at the end of the text; '\b' is Backspace
        QTest::addColumn<QString>("result");

        const auto row = [](const char* name, const char* shown, const char* typed, const char* result) {
            QTest::newRow(name) << QString::fromLatin1(shown) << QString::fromLatin1(typed)
                                << QString::fromLatin1(result);
        };
        row("up to the limit", "", "abcd", "abc");
        row("full: one more refused", "abc", "d", "abc");
        row("longer text shown whole", "abcdef", "", "abcdef");
        row("longer text: no growing", "abcdef", "g", "abcdef");
        row("longer text: shortened", "abcdef", "\b\b", "abcd");
        row("shortened: no growing back", "abcdef", "\bx", "abcde");
        row("shortened to the limit: free again", "abcd", "\b\bx", "abx");
    }

    void typingLimit()
    {
        QFETCH(QString, shown);
        QFETCH(QString, typed);
        Open();
        m_dlg->m_strText = shown;
        m_dlg->UpdateData(false);
        QLineEdit* edit = m_dlg->Edit(IDC_TEXT);
        edit->setFocus();
        edit->end(false);
        QTest::keyClicks(edit, typed);
        QTEST(edit->text(), "result");

        // Shown again, a text is again whole and limited from there.
        m_dlg->m_strText = QStringLiteral("wxyz");
        m_dlg->UpdateData(false);
        edit->end(false);
        QTest::keyClicks(edit, QStringLiteral("q"));
        QCOMPARE(edit->text(), QStringLiteral("wxyz"));
        // The whole text selected, one letter replaces it.
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("q"));
        QCOMPARE(edit->text(), QStringLiteral("q"));
    }

    void numberText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isDouble");
        QTest::addColumn<bool>("isUnsigned");
        QTest::addColumn<double>("value"); // when taken

        const auto row = [](const char* text, bool isDouble, bool isUnsigned, double value) {
            QTest::newRow(text) << QString::fromLatin1(text) << isDouble << isUnsigned << value;
        };
        row("1e3", true, false, 1000);
        row(" 2 ", true, true, 2);
        row("-0.5", true, false, -0.5);
        row("0", true, true, 0);
        row("\t+7\n", true, true, 7);
        row("4294967295", true, true, 4294967295.0);
        row("4294967296", true, false, 4294967296.0);
        row("-1", true, false, -1);
        row("1,5", false, false, 0);
        row("abc", false, false, 0);
        row("", false, false, 0);
        row("5abc", false, false, 0);
        row("1 000", false, false, 0);
        row("+-5", false, false, 0);
        row("0x10", false, false, 0);
        row("inf", false, false, 0);
        row("1e999", false, false, 0);
    }

    // The whole text, blanks aside, must be the number; a refused text leaves the value as it was.
    void numberText()
    {
        QFETCH(QString, text);
        QFETCH(bool, isDouble);
        QFETCH(bool, isUnsigned);
        QFETCH(double, value);
        double dValue = -99.0;
        QCOMPARE(fw::ParseStrictDouble(text, dValue), isDouble);
        QCOMPARE(dValue, isDouble ? value : -99.0);
        uint32_t nValue = 99;
        QCOMPARE(fw::ParseStrictUInt(text, nValue), isUnsigned);
        QCOMPARE(double(nValue), isUnsigned ? value : 99.0);
    }

    void doubleShown_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");

        QTest::newRow("one") << 1.0 << "1";
        QTest::newRow("small") << 0.0005 << "0.0005";
        QTest::newRow("sum of tenths") << 0.1 + 0.2 << "0.3";
        QTest::newRow("fifteen digits") << 123456789012345678.0 << "1.23456789012346e+17";
    }

    void doubleShown()
    {
        QFETCH(double, value);
        QTEST(fw::FormatDouble15g(value), "text");
    }

    // The operator's locale changes neither the texts shown nor the texts taken.
    void localeIndependent()
    {
        const QLocale previous;
        const std::string previousC = std::setlocale(LC_ALL, nullptr);
        testsupport::SetCommaDecimalLocale(); // where the system has one
        QCOMPARE(fw::FormatDouble15g(1.5), QStringLiteral("1.5"));
        double value = 0.0;
        QVERIFY(fw::ParseStrictDouble(QStringLiteral("2.25"), value));
        QCOMPARE(value, 2.25);
        QVERIFY(!fw::ParseStrictDouble(QStringLiteral("1,5"), value));
        std::setlocale(LC_ALL, previousC.c_str());
        QLocale::setDefault(previous);
    }
};

QTEST_MAIN(TestDataexchange)
#include "test_dataexchange.moc"
