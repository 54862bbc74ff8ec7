#include "dialogs/IncPropertiesDlg.h"

#include "core/AxisRecord.h"
#include "framework/DataExchange.h"
#include "hardware/ModeWord.h"
#include "resources/Resources.h"

CIncPropertiesDlg::CIncPropertiesDlg(QWidget* pParent)
    : CEncoderPropertiesDlg(res::IDD_INC_PROPERTIES, pParent)
{
}

void CIncPropertiesDlg::DoDataExchange(fw::CDataExchange* pDX)
{
    fw::CDialog::DoDataExchange(pDX);
    // The boxes stand A, B, Z, M on screen; their bits run A 4, B 5, M 6, Z 7.
    fw::DDX_Check(pDX, res::IDC_INVERT_A, m_bInvertA);
    fw::DDX_Check(pDX, res::IDC_INVERT_B, m_bInvertB);
    fw::DDX_Check(pDX, res::IDC_INVERT_M, m_bInvertM);
    fw::DDX_Check(pDX, res::IDC_INVERT_Z, m_bInvertZ);
    fw::DDX_Text(pDX, res::IDC_MODE, m_nMode);
    fw::DDX_Check(pDX, res::IDC_SYNC_DISABLE, m_bSyncDisable);
}

bool CIncPropertiesDlg::OnInitDialog()
{
    // Only the operator's clicks: showing the fields never counts as one.
    for (const int id :
         {res::IDC_INVERT_A, res::IDC_INVERT_B, res::IDC_INVERT_Z, res::IDC_INVERT_M, res::IDC_SYNC_DISABLE})
        OnClicked(id, [this] { OnModeChanged(); });

    if (m_pAxis) {
        const uint32_t word = m_pAxis->m_dwMode;
        m_bInvertA = static_cast<int>(hw::GetModeField(word, hw::inc::InvertA));
        m_bInvertB = static_cast<int>(hw::GetModeField(word, hw::inc::InvertB));
        m_bInvertM = static_cast<int>(hw::GetModeField(word, hw::inc::InvertM));
        m_bInvertZ = static_cast<int>(hw::GetModeField(word, hw::inc::InvertZ));
        // Bit 8 is also the lowest bit of the SSI Offset: an odd Offset shows as Sync Disable.
        m_bSyncDisable = static_cast<int>(hw::GetModeField(word, hw::inc::SyncDisable));
        m_nMode = word;
    }
    fw::CDialog::OnInitDialog();
    return true;
}

void CIncPropertiesDlg::OnModeChanged()
{
    if (!UpdateData(true) || !m_pAxis)
        return;
    // All five bits are written on every click, not only the clicked one.
    uint32_t word = m_pAxis->m_dwMode;
    word = hw::SetModeField(word, hw::inc::InvertA, m_bInvertA);
    word = hw::SetModeField(word, hw::inc::InvertB, m_bInvertB);
    word = hw::SetModeField(word, hw::inc::InvertM, m_bInvertM);
    word = hw::SetModeField(word, hw::inc::InvertZ, m_bInvertZ);
    word = hw::SetModeField(word, hw::inc::SyncDisable, m_bSyncDisable);
    SetPendingMode(word);
}
