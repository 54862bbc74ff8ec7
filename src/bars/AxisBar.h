#pragma once
// One encoder channel: its name and four scaled values, refreshed every 250 ms, and the channel's axis
// record, which the settings store and the dialogs work on.

#include "core/AxisRecord.h"
#include "framework/DialogBar.h"

#include <cstdint>

class CAxisBar : public fw::CDialogBar, public CAxisRecord
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

    // m_nDecimals from the current pitch and count.
    void RecalcScaling();

    // Command handlers of the bar's controls.
    void OnSetup();
    void OnStatus();
    void OnZero();
    void OnMrk();

    // Sets the check mark of "Mrk" from the cached flag.
    void UpdateCmdUI();

    bool m_bSettingsSaved = false;

protected:
    QWidget* CreateDlgItem(const fw::ControlTemplate& ctl) override;
};
