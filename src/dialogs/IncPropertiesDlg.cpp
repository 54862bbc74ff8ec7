#include "dialogs/IncPropertiesDlg.h"

#include "bars/AxisBar.h"
#include "resources/Resources.h"

CIncPropertiesDlg::CIncPropertiesDlg(QWidget* pParent) : fw::CDialog(res::IDD_INC_PROPERTIES, pParent) {}
