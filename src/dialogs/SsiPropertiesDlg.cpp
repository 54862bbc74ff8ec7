#include "dialogs/SsiPropertiesDlg.h"

#include "core/AxisRecord.h"
#include "framework/DataExchange.h"
#include "hardware/ModeWord.h"
#include "resources/Resources.h"

CSsiPropertiesDlg::CSsiPropertiesDlg(QWidget* pParent)
    : CEncoderPropertiesDlg(res::IDD_SSI_PROPERTIES, pParent)
{
}

void CSsiPropertiesDlg::DoDataExchange(fw::CDataExchange* pDX)
{
    fw::CDialog::DoDataExchange(pDX);
    fw::DDX_CBIndex(pDX, res::IDC_CODE, m_nCode);
    fw::DDX_CBIndex(pDX, res::IDC_DIRECTION, m_nDirection);
    fw::DDX_CBIndex(pDX, res::IDC_EXTRA_BIT, m_nExtraBit);
    fw::DDX_CBIndex(pDX, res::IDC_FREQUENCY, m_nFrequency);
    fw::DDX_Text(pDX, res::IDC_LENGTH, m_nLength);
    fw::DDV_MinMaxUInt(pDX, m_nLength, 1, 32);
    fw::DDX_Text(pDX, res::IDC_OFFSET, m_nOffset);
    fw::DDV_MinMaxUInt(pDX, m_nOffset, 0, 15);
    fw::DDX_CBIndex(pDX, res::IDC_UPDATE, m_nUpdate);
    fw::DDX_Text(pDX, res::IDC_MODE, m_nMode);
}

bool CSsiPropertiesDlg::OnInitDialog()
{
    // A user's choice in a list; showing the fields never counts as one.
    for (const int id :
         {res::IDC_FREQUENCY, res::IDC_CODE, res::IDC_EXTRA_BIT, res::IDC_DIRECTION, res::IDC_UPDATE})
        OnSelChange(id, [this] { OnModeChanged(); });
    OnKillFocus(res::IDC_LENGTH, [this] { OnModeChanged(); });
    OnKillFocus(res::IDC_OFFSET, [this] { OnModeChanged(); });

    if (m_pAxis) {
        const uint32_t word = m_pAxis->m_dwMode;
        m_nCode = static_cast<int>(hw::GetModeField(word, hw::ssi::Code));
        m_nFrequency = static_cast<int>(hw::GetModeField(word, hw::ssi::Frequency));
        m_nLength = hw::GetModeField(word, hw::ssi::Length);
        m_nOffset = hw::GetModeField(word, hw::ssi::Offset);
        m_nDirection = static_cast<int>(hw::GetModeField(word, hw::ssi::Direction));
        m_nUpdate = static_cast<int>(hw::GetModeField(word, hw::ssi::Update));
        m_nExtraBit = static_cast<int>(hw::GetModeField(word, hw::ssi::ExtraBit));
        m_nMode = word;
    }
    // Fills the lists and shows the fields: an index beyond a list's last entry leaves it unselected.
    fw::CDialog::OnInitDialog();
    return true;
}

void CSsiPropertiesDlg::OnModeChanged()
{
    if (!UpdateData(true))
        return;
    ApplyToAxis();
}

void CSsiPropertiesDlg::ApplyToAxis()
{
    if (!m_pAxis)
        return;
    // Every field is written on every change; -1 from an unselected list sets every bit of its field.
    uint32_t word = m_pAxis->m_dwMode;
    word = hw::SetModeField(word, hw::ssi::Code, m_nCode);
    word = hw::SetModeField(word, hw::ssi::Frequency, m_nFrequency);
    word = hw::SetModeField(word, hw::ssi::Length, static_cast<int32_t>(m_nLength));
    word = hw::SetModeField(word, hw::ssi::Offset, static_cast<int32_t>(m_nOffset));
    word = hw::SetModeField(word, hw::ssi::Direction, m_nDirection);
    word = hw::SetModeField(word, hw::ssi::Update, m_nUpdate);
    word = hw::SetModeField(word, hw::ssi::ExtraBit, m_nExtraBit);
    SetPendingMode(word);
}

bool CSsiPropertiesDlg::IsEditFocused() const
{
    const QWidget* focus = focusWidget();
    return focus && (focus == GetDlgItem(res::IDC_LENGTH) || focus == GetDlgItem(res::IDC_OFFSET));
}

void CSsiPropertiesDlg::OnOK()
{
    if (!UpdateData(true))
        return;
    // OK reached with the Enter key leaves the focus in the edit: its value would be lost with the
    // window, so it is merged here as leaving the edit would have merged it.
    if (IsEditFocused())
        ApplyToAxis();
    EndDialog(fw::IDOK);
}
