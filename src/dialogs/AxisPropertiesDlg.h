#pragma once
// The Axis Properties dialog: renames an axis and sets its scaling.

#include "framework/Dialog.h"

class CAxisBar;

class CAxisPropertiesDlg : public fw::CDialog
{
    Q_OBJECT

public:
    explicit CAxisPropertiesDlg(QWidget* pParent = nullptr);

    CAxisBar* m_pAxis = nullptr; // the bar being edited; set by the opener before the dialog runs
};
