#pragma once
// The incremental encoder properties dialog: edits the incremental bits of a channel's mode word, live.

#include "framework/Dialog.h"

class CAxisBar;

class CIncPropertiesDlg : public fw::CDialog
{
    Q_OBJECT

public:
    explicit CIncPropertiesDlg(QWidget* pParent = nullptr);

    CAxisBar* m_pAxis = nullptr; // the bar being edited; set by the opener before the dialog runs
};
