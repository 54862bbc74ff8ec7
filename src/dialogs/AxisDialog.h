#pragma once
// What every dialog opened from an axis bar shares: the bar's axis record, which it works on.

#include "framework/Dialog.h"

struct CAxisRecord;

class CAxisDialog : public fw::CDialog
{
    Q_OBJECT

public:
    CAxisRecord* m_pAxis = nullptr; // set by the opener before the dialog runs

protected:
    explicit CAxisDialog(int nIDTemplate, QWidget* pParent) : fw::CDialog(nIDTemplate, pParent) {}
};
