#pragma once
// The Axis Properties dialog: renames an axis and sets its scaling (pitch over count), shows its channel
// index, and leads on to the encoder properties dialog of the channel's type.

#include "dialogs/AxisDialog.h"

#include <QString>
#include <cstdint>

class QPushButton;

class CAxisPropertiesDlg : public CAxisDialog
{
    Q_OBJECT

public:
    explicit CAxisPropertiesDlg(QWidget* pParent = nullptr);

    QPushButton* m_btnIncMode = nullptr; // "INC Mode", shown for every type but SSI
    QPushButton* m_btnSsiMode = nullptr; // "SSI Mode", shown for SSI channels only
    QString m_strName;                   // axis name, at most one character
    uint32_t m_nChannel = 0;             // channel index, 0 to 11 (shown, never edited)
    double m_dCount = 0.0;               // scaling denominator
    double m_dPitch = 0.0;               // scaling numerator

protected:
    void DoDataExchange(fw::CDataExchange* pDX) override;
    int OnCreate() override;
    // Takes the fields from the bar, shows them and the mode button of the channel's type.
    bool OnInitDialog() override;
    // Validates and closes when that passed; copies the fields into the bar in either case.
    void OnOK() override;

    void OnSsiMode();
    void OnIncMode();
};
