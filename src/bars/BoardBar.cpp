#include "bars/BoardBar.h"

#include "hardware/Flags.h"
#include "hardware/Registers.h"
#include "resources/Resources.h"

#include <QCheckBox>

CBoardBar::CBoardBar() : fw::CDialogBar(res::IDD_BOARDBAR) {}

bool CBoardBar::Create(QWidget* parent, int nIDTemplate, int16_t nBoard)
{
    m_nBoard = nBoard;
    m_bFs = hw::ReadFlag(REG_FS, nBoard);
    m_bPrb = hw::ReadFlag(REG_PRB, nBoard);
    if (!fw::CDialogBar::Create(parent, nIDTemplate))
        return false;
    OnClicked(res::IDC_PRB, [this] { OnPrb(); });
    OnClicked(res::IDC_FS, [this] { OnFs(); });
    UpdateCmdUI();
    return true;
}

void CBoardBar::Refresh()
{
    m_bPrb = hw::ReadFlag(REG_PRB, m_nBoard);
    m_bFs = hw::ReadFlag(REG_FS, m_nBoard);
    UpdateCmdUI();
}

void CBoardBar::OnPrb()
{
    m_bPrb = hw::ToggleFlag(REG_PRB, m_nBoard, m_bPrb);
    UpdateCmdUI();
}

void CBoardBar::OnFs()
{
    m_bFs = hw::ToggleFlag(REG_FS, m_nBoard, m_bFs);
    UpdateCmdUI();
}

void CBoardBar::UpdateCmdUI()
{
    if (auto* prb = qobject_cast<QCheckBox*>(GetDlgItem(res::IDC_PRB)))
        prb->setChecked(m_bPrb);
    if (auto* fs = qobject_cast<QCheckBox*>(GetDlgItem(res::IDC_FS)))
        fs->setChecked(m_bFs);
}
