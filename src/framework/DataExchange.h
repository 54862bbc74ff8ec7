#pragma once
// Dialog data exchange and validation: moves a dialog's fields into its controls and back, in the order
// the dialog lists them. When values are taken back, the exchange stops at the first field that fails:
// its message is shown once, the focus goes back to the offending edit with its text selected, and every
// later exchange of that pass does nothing.

#include <QString>
#include <charconv>
#include <cstdint>

class QWidget;
class QLineEdit;

namespace fw {

class CDialog;

class CDataExchange
{
public:
    CDataExchange(CDialog* pDlg, bool bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlg)
    {
    }

    // The control with that ID, remembered as the one a later check reports against.
    QWidget* PrepareCtrl(int nIDC);
    QLineEdit* PrepareEditCtrl(int nIDC);

    // Reports `message` against the last prepared control and stops the exchange.
    void Fail(const QString& message);
    bool Failed() const { return m_bFailed; }
    QWidget* LastControl() const { return m_pLastControl; }

    const bool m_bSaveAndValidate; // true: controls to fields, with validation
    CDialog* const m_pDlgWnd;

private:
    QWidget* m_pLastControl = nullptr;
    bool m_bFailed = false;
};

// Text of an edit as a string, an unsigned decimal number, or a double (shown as "%.15g", parsed
// strictly: the whole text, blanks aside, must be a number). Numbers are locale-independent ('.').
void DDX_Text(CDataExchange* pDX, int nIDC, QString& value);
void DDX_Text(CDataExchange* pDX, int nIDC, uint32_t& value);
void DDX_Text(CDataExchange* pDX, int nIDC, double& value);
// The index of a list's selected entry; -1 when nothing is selected.
void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index);
// A check box's state, 0 or 1.
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);

// Binds a control to a pointer of its class, at the first exchange.
template <typename T> void DDX_Control(CDataExchange* pDX, int nIDC, T*& control)
{
    if (!control && !pDX->Failed())
        control = qobject_cast<T*>(pDX->PrepareCtrl(nIDC));
}

// At most `nChars` characters. Shown: limits typing in the edit without cutting a longer text already
// there. Taken back: a longer text fails.
void DDV_MaxChars(CDataExchange* pDX, const QString& value, int nChars);
// `value` between `minVal` and `maxVal`, both included.
void DDV_MinMaxUInt(CDataExchange* pDX, uint32_t value, uint32_t minVal, uint32_t maxVal);

// The parsers and formatters the exchange uses, for reuse and tests.
bool ParseStrictDouble(const QString& text, double& value);
bool ParseStrictUInt(const QString& text, uint32_t& value);
QString FormatDouble15g(double value);
// `value` as std::to_chars writes it in `format` with `precision`: the digits printf gives in the "C"
// locale, the same on every platform whatever the operator's locale. Empty when the text would be longer
// than 340 characters, which fixed notation with at most 15 decimals never is.
QString FormatDouble(double value, std::chars_format format, int precision);

} // namespace fw
