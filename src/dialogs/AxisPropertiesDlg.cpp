#include "dialogs/AxisPropertiesDlg.h"

#include "bars/AxisBar.h"
#include "resources/Resources.h"

CAxisPropertiesDlg::CAxisPropertiesDlg(QWidget* pParent) : fw::CDialog(res::IDD_AXIS_PROPERTIES, pParent) {}
