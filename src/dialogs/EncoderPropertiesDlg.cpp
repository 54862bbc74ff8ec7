#include "dialogs/EncoderPropertiesDlg.h"

#include "core/AxisRecord.h"

void CEncoderPropertiesDlg::SetPendingMode(uint32_t word)
{
    m_pAxis->m_dwMode = word;
    m_pAxis->m_bModePending = true;
    m_nMode = word;
    UpdateData(false);
}
