#include "dialogs/AxisStatusDlgs.h"

#include "bars/AxisBar.h"
#include "resources/Resources.h"

CIncStatusDlg::CIncStatusDlg(QWidget* pParent) : fw::CDialog(res::IDD_INC_STATUS, pParent) {}

CSsiStatusDlg::CSsiStatusDlg(QWidget* pParent) : fw::CDialog(res::IDD_SSI_STATUS, pParent) {}
