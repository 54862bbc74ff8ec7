#include "bars/AxisBar.h"

#include "bars/AxisProfile.h"
#include "bars/Scaling.h"
#include "dialogs/AxisPropertiesDlg.h"
#include "dialogs/AxisStatusDlgs.h"
#include "framework/WinApp.h"
#include "hardware/EncoderLibrary.h"
#include "hardware/Flags.h"
#include "hardware/Registers.h"
#include "resources/Resources.h"

#include <QCheckBox>

namespace {
// The application's profile; none when the application is no framework application (a bare test).
fw::CProfile* AppProfile()
{
    fw::CWinApp* app = fw::AfxGetApp();
    return app ? &app->Profile() : nullptr;
}
} // namespace

CAxisBar::CAxisBar() : fw::CDialogBar(res::IDD_AXISBAR) {}

CAxisBar::~CAxisBar() { SaveSettings(); }

void CAxisBar::SaveSettings()
{
    if (fw::CProfile* store = AppProfile(); store && m_nChannel >= 0 && !m_bSettingsSaved) {
        profile::SaveAxisSettings(*this, *store);
        m_bSettingsSaved = true;
    }
}

bool CAxisBar::Create(QWidget* parent, int nIDTemplate, unsigned nStyle, int nID, int16_t nChannel)
{
    m_nChannel = nChannel;
    profile::LoadAxisSettings(*this, AppProfile());
    RecalcScaling();
    m_nEncoderType = read_encoder(REG_ENCODER_TYPE, m_nChannel);
    write_encoder(REG_MODE, m_nChannel, static_cast<int32_t>(m_dwMode));
    m_bModePending = false;
    m_bMrk = hw::ReadFlag(REG_MRK, m_nChannel);

    if (!fw::CDialogBar::Create(parent, nIDTemplate, nStyle, nID))
        return false;
    // The four values change at every tick. Each paints its own background, so the bar and the frame
    // beneath are not repainted with it, and keeps its size, so a new text asks for no new layout.
    for (int id : {res::IDC_INCREMENTAL, res::IDC_ABSOLUTE, res::IDC_MARKER, res::IDC_PROBE}) {
        if (QWidget* value = GetDlgItem(id)) {
            value->setAutoFillBackground(true);
            value->setFixedSize(value->size());
        }
    }
    SetDlgItemText(res::IDC_NAME, m_strName);
    OnClicked(res::IDC_SETUP, [this] { OnSetup(); });
    OnClicked(res::IDC_STATUS, [this] { OnStatus(); });
    OnClicked(res::IDC_ZERO, [this] { OnZero(); });
    OnClicked(res::IDC_MRK, [this] { OnMrk(); });
    UpdateCmdUI();
    return true;
}

void CAxisBar::RecalcScaling()
{
    m_dResolution = m_dPitch / m_dCount;
    m_nDecimals = scaling::Decimals(m_dResolution);
}

void CAxisBar::Refresh()
{
    if (m_bModePending)
        write_encoder(REG_MODE, m_nChannel, static_cast<int32_t>(m_dwMode));
    else
        m_dwMode = static_cast<uint32_t>(read_encoder(REG_MODE, m_nChannel));
    m_bModePending = false;

    const double resolution = m_dPitch / m_dCount;
    m_dIncremental = read_encoder(REG_INCREMENTAL, m_nChannel) * resolution;
    m_dAbsolute = read_encoder(REG_ABSOLUTE, m_nChannel) * resolution;
    m_dMarker = read_encoder(REG_MARKER, m_nChannel) * resolution;
    m_dProbe = read_encoder(REG_PROBE, m_nChannel) * resolution;

    m_bMrk = hw::ReadFlag(REG_MRK, m_nChannel);
    m_nStatusInputs = read_encoder(REG_STATUS_INPUTS, m_nChannel);
    m_nStatusErrors = read_encoder(REG_STATUS_ERRORS, m_nChannel);

    if (!IsCreated())
        return;
    SetDlgItemText(res::IDC_NAME, m_strName);
    SetDlgItemText(res::IDC_INCREMENTAL, scaling::FormatValue(m_dIncremental, m_nDecimals));
    SetDlgItemText(res::IDC_ABSOLUTE, scaling::FormatValue(m_dAbsolute, m_nDecimals));
    SetDlgItemText(res::IDC_MARKER, scaling::FormatValue(m_dMarker, m_nDecimals));
    SetDlgItemText(res::IDC_PROBE, scaling::FormatValue(m_dProbe, m_nDecimals));
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
    // Only type 0 is incremental here; every other value the card reports gets the SSI dialog.
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
    write_encoder(REG_INCREMENTAL, m_nChannel, 0);
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
