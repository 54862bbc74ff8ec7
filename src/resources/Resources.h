#pragma once
// The program's resources, addressed by number: dialog templates, strings, the menu and the icon.

#include "framework/ResourceTables.h"

#include <QIcon>
#include <QString>
#include <span>

namespace res {

// Frame resources: title string, menu and icon.
inline constexpr int IDR_MAINFRAME = 128;
// The window title while the program runs on the simulated boards.
inline constexpr int IDS_TITLE_SIMULATED = 129;
// The application's name.
inline constexpr int AFX_IDS_APP_TITLE = 57344;
// File > Exit.
inline constexpr int ID_APP_EXIT = fw::ID_APP_EXIT;

// Dialog templates.
inline constexpr int IDD_AXISBAR = 103;
inline constexpr int IDD_AXIS_PROPERTIES = 132;
inline constexpr int IDD_SSI_PROPERTIES = 133;
inline constexpr int IDD_BOARDBAR = 134;
inline constexpr int IDD_INC_PROPERTIES = 135;
inline constexpr int IDD_INC_STATUS = 147;
inline constexpr int IDD_SSI_STATUS = 148;

// Control IDs (reused between templates).
inline constexpr int IDC_SETUP = 1000;        // axis bar "Setup"
inline constexpr int IDC_NAME = 1001;         // axis bar name
inline constexpr int IDC_INCREMENTAL = 1002;  // axis bar values
inline constexpr int IDC_ABSOLUTE = 1003;
inline constexpr int IDC_MARKER = 1004;
inline constexpr int IDC_PROBE = 1005;
inline constexpr int IDC_MRK = 1006;          // axis bar "Mrk"
inline constexpr int IDC_STATUS = 1007;       // axis bar "Status"
inline constexpr int IDC_PRB = 1007;          // board bar "Prb"
inline constexpr int IDC_ZERO = 1012;         // axis bar "Z"
inline constexpr int IDC_FS = 1014;           // board bar "Fs"

inline constexpr int IDC_PITCH = 1007;        // Axis Properties
inline constexpr int IDC_COUNT = 1008;
inline constexpr int IDC_AXIS_NAME = 1009;
inline constexpr int IDC_CHANNEL = 1010;
inline constexpr int IDC_SSI_MODE = 1011;
inline constexpr int IDC_INC_MODE = 1012;

inline constexpr int IDC_LENGTH = 1015;       // SSI encoder properties
inline constexpr int IDC_OFFSET = 1016;
inline constexpr int IDC_MODE = 1017;         // the whole word (SSI and incremental)
inline constexpr int IDC_FREQUENCY = 1018;
inline constexpr int IDC_UPDATE = 1019;
inline constexpr int IDC_EXTRA_BIT = 1020;
inline constexpr int IDC_CODE = 1021;
inline constexpr int IDC_DIRECTION = 1022;

inline constexpr int IDC_INVERT_A = 1024;     // incremental encoder properties
inline constexpr int IDC_INVERT_B = 1025;
inline constexpr int IDC_INVERT_Z = 1026;
inline constexpr int IDC_INVERT_M = 1027;
inline constexpr int IDC_SYNC_DISABLE = 1028;

inline constexpr int IDC_INC_A = 1025;        // incremental axis status
inline constexpr int IDC_INC_B = 1026;
inline constexpr int IDC_INC_Z = 1027;
inline constexpr int IDC_INC_M = 1028;
inline constexpr int IDC_INC_LIMIT0 = 1029;
inline constexpr int IDC_INC_LIMIT1 = 1030;
inline constexpr int IDC_INC_QUADRATURE = 1031;
inline constexpr int IDC_INC_POWER_FAIL = 1032;

inline constexpr int IDC_SSI_DATA = 1026;     // SSI axis status
inline constexpr int IDC_SSI_POWER_FAIL = 1027;
inline constexpr int IDC_SSI_PARITY = 1028;

// The dialog template with that number, or nullptr.
const fw::DialogTemplate* Dialog(int id);

// A list's initial entries, in order, for one control of one template (empty when it has none).
std::span<const char* const> ListInit(int templateId, int controlId);

// The string with that number, or an empty string.
QString String(int id);

using fw::MenuItem;
using fw::MenuPopup;

// The menu with that number: its popups in order (empty when there is none).
std::span<const MenuPopup> Menu(int id);

// The icon with that number, at every size it comes in.
QIcon Icon(int id);

// Hands these tables to the framework, which finds every template, list, string, menu and icon there.
void InstallResources();

} // namespace res
