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

QLineEdit* CDataExchange::PrepareEditCtrl(int nIDC) { return qobject_cast<QLineEdit*>(PrepareCtrl(nIDC)); }

void CDataExchange::Fail(const QString& message)
{
    if (m_bFailed)
        return;
    m_bFailed = true;
    m_pDlgWnd->ReportFailure(message, m_pLastControl);
}

namespace {

// Texts of numbers are exchanged in the "C" locale's form whatever the operator's locale.
QByteArray TrimmedLatin1(const QString& text) { return text.trimmed().toLatin1(); }

// Typing may not make the text longer than the limit, but a longer text already in the edit may be
// shortened (and is not cut when it is shown).
class CMaxCharsValidator : public QValidator
{
public:
    CMaxCharsValidator(QLineEdit* edit, int maxChars) : QValidator(edit), m_pEdit(edit), m_nMax(maxChars) {}

    State validate(QString& input, int&) const override
    {
        if (input.size() <= m_nMax || input.size() < m_pEdit->text().size())
            return Acceptable;
        return Invalid;
    }

private:
    QLineEdit* m_pEdit;
    int m_nMax;
};

} // namespace

bool ParseStrictDouble(const QString& text, double& value)
{
    const QByteArray bytes = TrimmedLatin1(text);
    if (bytes.isEmpty() || text.trimmed().size() != bytes.size())
        return false;
    const char* first = bytes.constData();
    const char* last = first + bytes.size();
    if (*first == '+')
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

QString FormatDouble15g(double value)
{
    std::array<char, 64> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::general, 15);
    if (result.ec != std::errc())
        return QString();
    return QString::fromLatin1(buffer.data(), result.ptr - buffer.data());
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
        edit->setText(value);
}

void DDX_Text(CDataExchange* pDX, int nIDC, uint32_t& value)
{
    if (pDX->Failed())
        return;
    QLineEdit* edit = pDX->PrepareEditCtrl(nIDC);
    if (!edit)
        return;
    if (!pDX->m_bSaveAndValidate) {
        edit->setText(QString::number(value));
        return;
    }
    if (!ParseStrictUInt(edit->text(), value))
        pDX->Fail(QStringLiteral("Please enter a positive whole number."));
}

void DDX_Text(CDataExchange* pDX, int nIDC, double& value)
{
    if (pDX->Failed())
        return;
    QLineEdit* edit = pDX->PrepareEditCtrl(nIDC);
    if (!edit)
        return;
    if (!pDX->m_bSaveAndValidate) {
        edit->setText(FormatDouble15g(value));
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
        auto* edit = qobject_cast<QLineEdit*>(pDX->LastControl());
        if (edit && !edit->validator())
            edit->setValidator(new CMaxCharsValidator(edit, nChars));
        return;
    }
    if (value.size() > nChars)
        pDX->Fail(QStringLiteral("Please enter no more than %1 characters.").arg(nChars));
}

void DDV_MinMaxUInt(CDataExchange* pDX, uint32_t value, uint32_t minVal, uint32_t maxVal)
{
    if (pDX->Failed() || !pDX->m_bSaveAndValidate)
        return;
    if (value < minVal || value > maxVal)
        pDX->Fail(QStringLiteral("Please enter a whole number between %1 and %2.").arg(minVal).arg(maxVal));
}

} // namespace fw
