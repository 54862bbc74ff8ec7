#include "dialogs/AxisStatusDlgs.h"

#include "core/AxisRecord.h"
#include "framework/DataExchange.h"
#include "hardware/ModeWord.h"
#include "resources/Resources.h"

using hw::StatusBit;

CAxisStatusDlg::CAxisStatusDlg(int nIDTemplate, QWidget* pParent) : CAxisDialog(nIDTemplate, pParent) {}

int CAxisStatusDlg::OnCreate()
{
    if (fw::CDialog::OnCreate() == -1)
        return -1;
    SetTimer(kStatusTimer, kStatusPeriodMs);
    return 0;
}

void CAxisStatusDlg::OnDestroy()
{
    fw::CDialog::OnDestroy();
    KillTimer(kStatusTimer);
}

void CAxisStatusDlg::OnTimer(int nIDEvent)
{
    UpdateData(true);
    if (m_pAxis)
        SetStatus(m_pAxis->m_nStatusInputs, m_pAxis->m_nStatusErrors);
    UpdateData(false);
    CAxisDialog::OnTimer(nIDEvent);
}

CIncStatusDlg::CIncStatusDlg(QWidget* pParent) : CAxisStatusDlg(res::IDD_INC_STATUS, pParent) {}

void CIncStatusDlg::DoDataExchange(fw::CDataExchange* pDX)
{
    CAxisStatusDlg::DoDataExchange(pDX);
    fw::DDX_Check(pDX, res::IDC_INC_A, m_bA);
    fw::DDX_Check(pDX, res::IDC_INC_B, m_bB);
    fw::DDX_Check(pDX, res::IDC_INC_LIMIT1, m_bLimit1);
    fw::DDX_Check(pDX, res::IDC_INC_M, m_bM);
    fw::DDX_Check(pDX, res::IDC_INC_Z, m_bZ);
    fw::DDX_Check(pDX, res::IDC_INC_LIMIT0, m_bLimit0);
    fw::DDX_Check(pDX, res::IDC_INC_POWER_FAIL, m_bPowerFail);
    fw::DDX_Check(pDX, res::IDC_INC_QUADRATURE, m_bQuadrature);
}

void CIncStatusDlg::SetStatus(int32_t inputs, int32_t errors)
{
    m_bA = StatusBit(inputs, hw::inputs::A);
    m_bB = StatusBit(inputs, hw::inputs::B);
    m_bZ = StatusBit(inputs, hw::inputs::Z);
    m_bM = StatusBit(inputs, hw::inputs::M);
    m_bLimit0 = StatusBit(inputs, hw::inputs::Limit0);
    m_bLimit1 = StatusBit(inputs, hw::inputs::Limit1);
    m_bPowerFail = StatusBit(errors, hw::errors::PowerFail);
    m_bQuadrature = StatusBit(errors, hw::errors::Quadrature);
}

CSsiStatusDlg::CSsiStatusDlg(QWidget* pParent) : CAxisStatusDlg(res::IDD_SSI_STATUS, pParent) {}

void CSsiStatusDlg::DoDataExchange(fw::CDataExchange* pDX)
{
    CAxisStatusDlg::DoDataExchange(pDX);
    fw::DDX_Check(pDX, res::IDC_SSI_DATA, m_bData);
    fw::DDX_Check(pDX, res::IDC_SSI_PARITY, m_bParity);
    fw::DDX_Check(pDX, res::IDC_SSI_POWER_FAIL, m_bPowerFail);
}

void CSsiStatusDlg::SetStatus(int32_t inputs, int32_t errors)
{
    // An SSI channel has only its Data input; inputs bits 1 to 5 are not its own.
    m_bData = StatusBit(inputs, hw::inputs::Data);
    m_bPowerFail = StatusBit(errors, hw::errors::PowerFail);
    m_bParity = StatusBit(errors, hw::errors::Parity);
}
