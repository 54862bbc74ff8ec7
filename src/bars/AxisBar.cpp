#include "bars/AxisBar.h"

#include "bars/AxisProfile.h"
#include "bars/Scaling.h"
#include "bars/ValueField.h"
#include "dialogs/AxisPropertiesDlg.h"
#include "dialogs/AxisStatusDlgs.h"
#include "framework/WinApp.h"
#include "hardware/EncoderCalls.h"
#include "hardware/Flags.h"
#include "hardware/Registers.h"
#include "resources/Resources.h"

#include <QCheckBox>
#include <algorithm>
#include <array>

namespace {
constexpr std::array<int, 4> kValueIds = {res::IDC_INCREMENTAL, res::IDC_ABSOLUTE, res::IDC_MARKER,
                                          res::IDC_PROBE};

// The application's profile; none when the application is no framework application (a bare test).
fw::CProfile* AppProfile()
{
    fw::CWinApp* app = fw::AfxGetApp();
    return app ? &app->Profile() : nullptr;
}
} // namespace

CAxisBar::CAxisBar() : fw::CDialogBar(res::IDD_AXISBAR) {}

CAxisBar::~CAxisBar()
{
    SaveSettings();
}

void CAxisBar::SaveSettings()
{
    if (fw::CProfile* store = AppProfile(); store && m_nChannel >= 0 && !m_bSettingsSaved) {
        profile::SaveAxisSettings(*this, *store);
        m_bSettingsSaved = true;
    }
}

bool CAxisBar::Create(QWidget* parent, int nIDTemplate, int16_t nChannel)
{
    m_nChannel = nChannel;
    profile::LoadAxisSettings(*this, AppProfile());
    RecalcScaling();
    m_nEncoderType = hw::ReadEncoder(REG_ENCODER_TYPE, m_nChannel);
    hw::WriteEncoder(REG_MODE, m_nChannel, static_cast<int32_t>(m_dwMode));
    m_bModePending = false;
    m_bMrk = hw::ReadFlag(REG_MRK, m_nChannel);

    if (!fw::CDialogBar::Create(parent, nIDTemplate))
        return false;
    SetDlgItemText(res::IDC_NAME, m_strName);
    OnClicked(res::IDC_SETUP, [this] { OnSetup(); });
    OnClicked(res::IDC_STATUS, [this] { OnStatus(); });
    OnClicked(res::IDC_ZERO, [this] { OnZero(); });
    OnClicked(res::IDC_MRK, [this] { OnMrk(); });
    UpdateCmdUI();
    return true;
}

QWidget* CAxisBar::CreateDlgItem(const fw::ControlTemplate& ctl)
{
    // The four values: labels that fill their own background and condense a text too wide to fit.
    if (std::find(kValueIds.begin(), kValueIds.end(), ctl.id) != kValueIds.end())
        return new CValueField(this);
    return nullptr;
}

void CAxisBar::RecalcScaling()
{
    m_nDecimals = scaling::Decimals(m_dPitch / m_dCount);
}

void CAxisBar::Refresh()
{
    if (m_bModePending)
        hw::WriteEncoder(REG_MODE, m_nChannel, static_cast<int32_t>(m_dwMode));
    else
        m_dwMode = static_cast<uint32_t>(hw::ReadEncoder(REG_MODE, m_nChannel));
    m_bModePending = false;

    const double resolution = m_dPitch / m_dCount;
    m_dIncremental = hw::ReadEncoder(REG_INCREMENTAL, m_nChannel) * resolution;
    m_dAbsolute = hw::ReadEncoder(REG_ABSOLUTE, m_nChannel) * resolution;
    m_dMarker = hw::ReadEncoder(REG_MARKER, m_nChannel) * resolution;
    m_dProbe = hw::ReadEncoder(REG_PROBE, m_nChannel) * resolution;

    m_bMrk = hw::ReadFlag(REG_MRK, m_nChannel);
    m_nStatusInputs = hw::ReadEncoder(REG_STATUS_INPUTS, m_nChannel);
    m_nStatusErrors = hw::ReadEncoder(REG_STATUS_ERRORS, m_nChannel);

    if (!IsCreated())
        return;
    SetDlgItemText(res::IDC_NAME, m_strName);
    const double values[] = {m_dIncremental, m_dAbsolute, m_dMarker, m_dProbe};
    for (size_t i = 0; i < kValueIds.size(); ++i)
        SetDlgItemText(kValueIds[i], scaling::FormatValue(values[i], m_nDecimals));
    UpdateCmdUI();
}

void CAxisBar::OnSetup()
{
    CAxisPropertiesDlg dlg(nullptr);
    dlg.m_pAxis = this;
    dlg.DoModal();
    // The dialog edits the record directly: the scaling follows whatever it returned.
    RecalcScaling();
}

void CAxisBar::OnStatus()
{
    // Type 0 gets the incremental status, any other the SSI status (see EncoderType).
    if (m_nEncoderType != ENCODER_INCREMENTAL) {
        CSsiStatusDlg dlg(nullptr);
        dlg.m_pAxis = this;
        dlg.DoModal();
    } else {
        CIncStatusDlg dlg(nullptr);
        dlg.m_pAxis = this;
        dlg.DoModal();
    }
}

void CAxisBar::OnZero()
{
    hw::WriteEncoder(REG_INCREMENTAL, m_nChannel, 0);
}

void CAxisBar::OnMrk()
{
    m_bMrk = hw::ToggleFlag(REG_MRK, m_nChannel, m_bMrk);
    UpdateCmdUI();
}

void CAxisBar::UpdateCmdUI()
{
    if (auto* check = qobject_cast<QCheckBox*>(GetDlgItem(res::IDC_MRK)))
        check->setChecked(m_bMrk);
}
