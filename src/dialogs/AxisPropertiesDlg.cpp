#include "dialogs/AxisPropertiesDlg.h"

#include "core/AxisRecord.h"
#include "dialogs/IncPropertiesDlg.h"
#include "dialogs/SsiPropertiesDlg.h"
#include "framework/DataExchange.h"
#include "hardware/Registers.h"
#include "resources/Resources.h"

#include <QPushButton>

CAxisPropertiesDlg::CAxisPropertiesDlg(QWidget* pParent) : CAxisDialog(res::IDD_AXIS_PROPERTIES, pParent) {}

void CAxisPropertiesDlg::DoDataExchange(fw::CDataExchange* pDX)
{
    fw::CDialog::DoDataExchange(pDX);
    fw::DDX_Control(pDX, res::IDC_INC_MODE, m_btnIncMode);
    fw::DDX_Control(pDX, res::IDC_SSI_MODE, m_btnSsiMode);
    fw::DDX_Text(pDX, res::IDC_AXIS_NAME, m_strName);
    fw::DDV_MaxChars(pDX, m_strName, 1);
    fw::DDX_Text(pDX, res::IDC_CHANNEL, m_nChannel);
    fw::DDV_MinMaxUInt(pDX, m_nChannel, 0, 11);
    fw::DDX_Text(pDX, res::IDC_COUNT, m_dCount);
    fw::DDX_Text(pDX, res::IDC_PITCH, m_dPitch);
}

int CAxisPropertiesDlg::OnCreate()
{
    OnClicked(res::IDC_SSI_MODE, [this] { OnSsiMode(); });
    OnClicked(res::IDC_INC_MODE, [this] { OnIncMode(); });
    return fw::CDialog::OnCreate();
}

bool CAxisPropertiesDlg::OnInitDialog()
{
    if (m_pAxis) {
        m_nChannel = static_cast<uint32_t>(static_cast<int32_t>(m_pAxis->m_nChannel));
        m_dPitch = m_pAxis->m_dPitch;
        m_dCount = m_pAxis->m_dCount;
        m_strName = m_pAxis->m_strName;
    }
    fw::CDialog::OnInitDialog();

    // Type 1 gets the SSI encoder properties, any other the incremental ones (see EncoderType).
    const bool bSsi = m_pAxis && m_pAxis->m_nEncoderType == ENCODER_SSI;
    if (m_btnSsiMode)
        m_btnSsiMode->setVisible(bSsi);
    if (m_btnIncMode)
        m_btnIncMode->setVisible(!bSsi);
    return true;
}

void CAxisPropertiesDlg::OnOK()
{
    fw::CDialog::OnOK();
    // Also after a failed check: the bar takes the values the exchange reached, the earlier ones after.
    if (!m_pAxis)
        return;
    m_pAxis->m_dCount = m_dCount;
    m_pAxis->m_dPitch = m_dPitch;
    m_pAxis->m_nChannel = static_cast<int16_t>(m_nChannel);
    m_pAxis->m_strName = m_strName;
}

void CAxisPropertiesDlg::OnSsiMode()
{
    CSsiPropertiesDlg dlg(nullptr);
    dlg.m_pAxis = m_pAxis;
    dlg.DoModal();
}

void CAxisPropertiesDlg::OnIncMode()
{
    CIncPropertiesDlg dlg(nullptr);
    dlg.m_pAxis = m_pAxis;
    dlg.DoModal();
}
