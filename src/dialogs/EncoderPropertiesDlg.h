#pragma once
// What the SSI and incremental encoder properties dialogs share: the channel's whole mode word, shown
// read-only, and the merge of a change into the bar's word.

#include "dialogs/AxisDialog.h"

#include <cstdint>

class CEncoderPropertiesDlg : public CAxisDialog
{
    Q_OBJECT

public:
    uint32_t m_nMode = 0; // the whole word, shown read-only

protected:
    using CAxisDialog::CAxisDialog;

    // Puts `word` into the bar as its mode word, marks it pending for the bar's next refresh and shows it.
    void SetPendingMode(uint32_t word);
};
