#pragma once
// One encoder channel: its name and four scaled values, refreshed every 250 ms, and the axis record
// (name, scaling, mode word, cached status) that the settings store and the dialogs work on.

#include "framework/DialogBar.h"

#include <QString>
#include <cstdint>

class CAxisBar : public fw::CDialogBar
{
    Q_OBJECT

public:
    CAxisBar();
    ~CAxisBar() override;

    CAxisBar(const CAxisBar&) = delete;
    CAxisBar& operator=(const CAxisBar&) = delete;

    // Loads the channel's settings, programs its mode word into the card, reads its type and "Mrk"
    // flag, and only then creates the bar's window.
    bool Create(QWidget* parent, int nIDTemplate, int16_t nChannel);
    // Saves the settings of a created bar to the profile, once: at shutdown, or at the end of the
    // session if that comes first.
    void SaveSettings();

    // Polls the card for this channel and updates the display.
    void Refresh();

    // m_dResolution and m_nDecimals from the current pitch and count.
    void RecalcScaling();

    // Command handlers of the bar's controls.
    void OnSetup();
    void OnStatus();
    void OnZero();
    void OnMrk();

    // Sets the check mark of "Mrk" from the cached flag.
    void UpdateCmdUI();

    // The axis record.
    QString m_strName;
    int16_t m_nChannel = -1;
    double m_dPitch = 1.0;
    double m_dCount = 1.0;
    int32_t m_nEncoderType = 0;
    int32_t m_nStatusInputs = 0;
    int32_t m_nStatusErrors = 0;
    double m_dIncremental = 0.0;
    double m_dAbsolute = 0.0;
    double m_dMarker = 0.0;
    double m_dProbe = 0.0;
    double m_dResolution = 1.0;
    int32_t m_nDecimals = 0;
    uint32_t m_dwMode = 0;
    bool m_bMrk = false;
    bool m_bModePending = false;
    bool m_bSettingsSaved = false;

protected:
    QWidget* CreateDlgItem(const fw::ControlTemplate& ctl) override;
};
