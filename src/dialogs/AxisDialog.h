#pragma once
// What every dialog opened from an axis bar shares: the bar it works on.

#include "framework/Dialog.h"

class CAxisBar;

class CAxisDialog : public fw::CDialog
{
    Q_OBJECT

public:
    CAxisBar* m_pAxis = nullptr; // set by the opener before the dialog runs

protected:
    explicit CAxisDialog(int nIDTemplate, QWidget* pParent) : fw::CDialog(nIDTemplate, pParent) {}
};
