#include "framework/DataExchange.h"

#include "framework/Dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QValidator>
#include <array>
#include <charconv>
#include <cmath>

namespace fw {

QWidget* CDataExchange::PrepareCtrl(int nIDC)
{
    m_pLastControl = m_pDlgWnd->GetDlgItem(nIDC);
    return m_pLastControl;
}

QLineEdit* CDataExchange::PrepareEditCtrl(int nIDC)
{
    return qobject_cast<QLineEdit*>(PrepareCtrl(nIDC));
}

void CDataExchange::Fail(const QString& message)
{
    if (m_bFailed)
        return;
    m_bFailed = true;
    m_pDlgWnd->ReportFailure(message, m_pLastControl);
}

namespace {

// Texts of numbers are exchanged in the "C" locale's form whatever the operator's locale.
QByteArray TrimmedLatin1(const QString& text)
{
    return text.trimmed().toLatin1();
}

// Limits typing to `nMax` characters without cutting a longer text the program put into the edit: that
// text is kept as it is, and the operator may only shorten it (deleting) or replace it by a text within
// the limit. The edit undoes every change that this refuses.
class CMaxCharsValidator : public QValidator
{
public:
    CMaxCharsValidator(QObject* parent, int nMax) : QValidator(parent), m_nMax(nMax) {}

    void SetMax(int nMax) { m_nMax = nMax; }
    // The text the program is about to show: accepted whatever its length.
    void Allow(const QString& text) { m_strCurrent = text; }

    State validate(QString& input, int&) const override
    {
        State state = Invalid;
        if (input.size() <= m_nMax)
            state = Acceptable;
        else if (input == m_strCurrent || input.size() < m_strCurrent.size())
            state = Intermediate; // too long for OK, but not made longer by the operator
        if (state != Invalid)
            m_strCurrent = input;
        return state;
    }

private:
    int m_nMax;
    mutable QString m_strCurrent; // the text the edit holds, once accepted
};

// The length limit DDV_MaxChars put on `edit`, or nullptr. The edit hands its validator out as const;
// this one belongs to the exchange, which adjusts it.
CMaxCharsValidator* MaxCharsOf(const QLineEdit* edit)
{
    return const_cast<CMaxCharsValidator*>(dynamic_cast<const CMaxCharsValidator*>(edit->validator()));
}

// Shows `text` in `edit`; an edit limited by DDV_MaxChars shows it whole.
void ShowText(QLineEdit* edit, const QString& text)
{
    if (CMaxCharsValidator* limit = MaxCharsOf(edit))
        limit->Allow(text);
    edit->setText(text);
}

QString CharsText(int nChars)
{
    return nChars == 1 ? QStringLiteral("1 character") : QStringLiteral("%1 characters").arg(nChars);
}

} // namespace

bool ParseStrictDouble(const QString& text, double& value)
{
    const QByteArray bytes = TrimmedLatin1(text);
    if (bytes.isEmpty() || text.trimmed().size() != bytes.size())
        return false;
    const char* first = bytes.constData();
    const char* last = first + bytes.size();
    // One optional sign: from_chars itself takes a '-' but no '+'.
    if (*first == '+' && last - first > 1 && first[1] != '-')
        ++first;
    double parsed = 0.0;
    const auto result = std::from_chars(first, last, parsed, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != last || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

bool ParseStrictUInt(const QString& text, uint32_t& value)
{
    const QByteArray bytes = TrimmedLatin1(text);
    if (bytes.isEmpty())
        return false;
    const char* first = bytes.constData();
    const char* last = first + bytes.size();
    if (*first == '+')
        ++first;
    if (first == last || *first < '0' || *first > '9')
        return false;
    uint32_t parsed = 0;
    const auto result = std::from_chars(first, last, parsed, 10);
    if (result.ec != std::errc() || result.ptr != last)
        return false;
    value = parsed;
    return true;
}

QString FormatDouble(double value, std::chars_format format, int precision)
{
    // Wide enough for the largest double in fixed notation with 15 decimals.
    std::array<char, 340> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, format, precision);
    if (result.ec != std::errc())
        return QString();
    return QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
}

QString FormatDouble15g(double value)
{
    return FormatDouble(value, std::chars_format::general, 15);
}

void DDX_Text(CDataExchange* pDX, int nIDC, QString& value)
{
    if (pDX->Failed())
        return;
    QLineEdit* edit = pDX->PrepareEditCtrl(nIDC);
    if (!edit)
        return;
    if (pDX->m_bSaveAndValidate)
        value = edit->text();
    else
        ShowText(edit, value);
}

void DDX_Text(CDataExchange* pDX, int nIDC, uint32_t& value)
{
    if (pDX->Failed())
        return;
    QLineEdit* edit = pDX->PrepareEditCtrl(nIDC);
    if (!edit)
        return;
    if (!pDX->m_bSaveAndValidate) {
        ShowText(edit, QString::number(value));
        return;
    }
    if (!ParseStrictUInt(edit->text(), value))
        pDX->Fail(QStringLiteral("Please enter a whole number, 0 or more."));
}

void DDX_Text(CDataExchange* pDX, int nIDC, double& value)
{
    if (pDX->Failed())
        return;
    QLineEdit* edit = pDX->PrepareEditCtrl(nIDC);
    if (!edit)
        return;
    if (!pDX->m_bSaveAndValidate) {
        ShowText(edit, FormatDouble15g(value));
        return;
    }
    if (!ParseStrictDouble(edit->text(), value))
        pDX->Fail(QStringLiteral("Please enter a number."));
}

void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index)
{
    if (pDX->Failed())
        return;
    auto* combo = qobject_cast<QComboBox*>(pDX->PrepareCtrl(nIDC));
    if (!combo)
        return;
    if (pDX->m_bSaveAndValidate) {
        index = combo->currentIndex();
    } else {
        const QSignalBlocker block(combo);
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    }
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value)
{
    if (pDX->Failed())
        return;
    auto* check = qobject_cast<QCheckBox*>(pDX->PrepareCtrl(nIDC));
    if (!check)
        return;
    if (pDX->m_bSaveAndValidate) {
        value = check->isChecked() ? 1 : 0;
    } else {
        const QSignalBlocker block(check);
        check->setChecked(value != 0);
    }
}

void DDV_MaxChars(CDataExchange* pDX, const QString& value, int nChars)
{
    if (pDX->Failed())
        return;
    if (!pDX->m_bSaveAndValidate) {
        // Installed once, on the text just shown: Qt's own length limit would cut a longer text.
        auto* edit = qobject_cast<QLineEdit*>(pDX->LastControl());
        if (!edit)
            return;
        if (CMaxCharsValidator* limit = MaxCharsOf(edit)) {
            limit->SetMax(nChars);
        } else if (!edit->validator()) {
            auto* created = new CMaxCharsValidator(edit, nChars);
            created->Allow(edit->text());
            edit->setValidator(created);
        }
        return;
    }
    if (value.size() > nChars)
        pDX->Fail(QStringLiteral("Please enter no more than %1.").arg(CharsText(nChars)));
}

void DDV_MinMaxUInt(CDataExchange* pDX, uint32_t value, uint32_t minVal, uint32_t maxVal)
{
    if (pDX->Failed() || !pDX->m_bSaveAndValidate)
        return;
    if (value < minVal || value > maxVal)
        pDX->Fail(QStringLiteral("Please enter a whole number between %1 and %2.").arg(minVal).arg(maxVal));
}

} // namespace fw
