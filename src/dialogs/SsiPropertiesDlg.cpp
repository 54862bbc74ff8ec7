#include "dialogs/SsiPropertiesDlg.h"

#include "bars/AxisBar.h"
#include "resources/Resources.h"

CSsiPropertiesDlg::CSsiPropertiesDlg(QWidget* pParent) : fw::CDialog(res::IDD_SSI_PROPERTIES, pParent) {}
