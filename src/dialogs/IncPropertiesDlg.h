#pragma once
// The incremental encoder properties dialog: edits the incremental bits of a channel's mode word, live.
// Every click on a box merges all five bits into the bar's mode word and marks it pending; the bar
// writes it to the card at its next refresh. OK and Cancel only close: nothing is undone.

#include "dialogs/EncoderPropertiesDlg.h"

class CIncPropertiesDlg : public CEncoderPropertiesDlg
{
    Q_OBJECT

public:
    explicit CIncPropertiesDlg(QWidget* pParent = nullptr);

    // Takes the boxes back, merges the five bits into the bar's mode word, marks it pending and shows
    // the new word.
    void OnModeChanged();

    int m_bInvertA = 0; // check states, 0 or 1
    int m_bInvertB = 0;
    int m_bInvertM = 0;
    int m_bInvertZ = 0;
    int m_bSyncDisable = 0;

protected:
    void DoDataExchange(fw::CDataExchange* pDX) override;
    bool OnInitDialog() override;
};
