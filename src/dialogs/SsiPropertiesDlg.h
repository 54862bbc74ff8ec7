#pragma once
// The SSI encoder properties dialog: edits the SSI fields of a channel's mode word, live.

#include "framework/Dialog.h"

class CAxisBar;

class CSsiPropertiesDlg : public fw::CDialog
{
    Q_OBJECT

public:
    explicit CSsiPropertiesDlg(QWidget* pParent = nullptr);

    CAxisBar* m_pAxis = nullptr; // the bar being edited; set by the opener before the dialog runs
};
