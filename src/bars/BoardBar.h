#pragma once
// Heads each group of axis bars: column captions over the values and the board's "Prb" and "Fs" flags.

#include "framework/DialogBar.h"

#include <cstdint>

class CBoardBar : public fw::CDialogBar
{
    Q_OBJECT

public:
    CBoardBar();

    CBoardBar(const CBoardBar&) = delete;
    CBoardBar& operator=(const CBoardBar&) = delete;

    bool Create(QWidget* parent, int nIDTemplate, int16_t nBoard);
    void Refresh();

    void OnPrb();
    void OnFs();

    // Sets the check marks of "Prb" and "Fs" from the cached flags.
    void UpdateCmdUI();

    int16_t m_nBoard = 0;
    bool m_bPrb = false;
    bool m_bFs = false;
};
