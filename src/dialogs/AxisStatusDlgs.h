#pragma once
// The axis status dialogs: a channel's input and error bits as ticked boxes, live four times a second
// from the status words its axis bar cached.

#include "framework/Dialog.h"

class CAxisBar;

class CIncStatusDlg : public fw::CDialog
{
    Q_OBJECT

public:
    explicit CIncStatusDlg(QWidget* pParent = nullptr);

    CAxisBar* m_pAxis = nullptr;
};

class CSsiStatusDlg : public fw::CDialog
{
    Q_OBJECT

public:
    explicit CSsiStatusDlg(QWidget* pParent = nullptr);

    CAxisBar* m_pAxis = nullptr;
};
