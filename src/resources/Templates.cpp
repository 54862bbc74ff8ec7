// Dialog templates of the program, positions in dialog units (x, y, width, height), controls in
// template order, which is also the tab order.

#include "resources/Resources.h"

#include <array>

namespace res {
namespace {

using fw::ControlKind;
using fw::ControlTemplate;
using fw::DialogTemplate;
using fw::IDC_STATIC;
using fw::TemplateKind;
using enum fw::ControlStyle;

constexpr const char* kFont = "MS Sans Serif";

// Axis bar.
constexpr ControlTemplate kAxisBar[] = {
    {IDC_SETUP, ControlKind::PushButton, "Setup", CS_NONE, 305, 3, 31, 14},
    {IDC_INCREMENTAL, ControlKind::Static, "0", CS_RIGHT, 43, 6, 40, 8},
    {IDC_ABSOLUTE, ControlKind::Static, "0", CS_RIGHT, 94, 6, 40, 8},
    {IDC_MARKER, ControlKind::Static, "0", CS_RIGHT, 172, 6, 40, 8},
    {IDC_NAME, ControlKind::Static, "X", CS_NONE, 7, 6, 8, 8},
    {IDC_PROBE, ControlKind::Static, "0", CS_RIGHT, 217, 6, 40, 8},
    {IDC_MRK, ControlKind::CheckBox, "Mrk", CS_LEFTTEXT, 144, 6, 26, 8},
    {IDC_ZERO, ControlKind::DefPushButton, "Z", CS_NOTABSTOP, 27, 4, 11, 11},
    {IDC_STATUS, ControlKind::PushButton, "Status", CS_NONE, 269, 3, 34, 14},
};

// Board bar: the column captions over the axis bars of its group, and the board's two flags.
constexpr ControlTemplate kBoardBar[] = {
    {IDC_STATIC, ControlKind::Static, "Axis", CS_NONE, 3, 2, 14, 8},
    {IDC_STATIC, ControlKind::Static, "Incremental", CS_RIGHT, 45, 2, 38, 8},
    {IDC_STATIC, ControlKind::Static, "Absolute", CS_RIGHT, 107, 2, 28, 8},
    {IDC_STATIC, ControlKind::Static, "Marker", CS_RIGHT, 188, 2, 23, 8},
    {IDC_STATIC, ControlKind::Static, "Probe", CS_RIGHT, 237, 2, 20, 8},
    {IDC_FS, ControlKind::CheckBox, "Fs", CS_LEFTTEXT, 284, 2, 20, 8},
    {IDC_PRB, ControlKind::CheckBox, "Prb", CS_LEFTTEXT, 314, 2, 23, 8},
};

constexpr ControlTemplate kAxisProperties[] = {
    {fw::IDOK, ControlKind::DefPushButton, "OK", CS_NONE, 186, 7, 50, 14},
    {fw::IDCANCEL, ControlKind::PushButton, "Cancel", CS_NONE, 186, 24, 50, 14},
    {IDC_STATIC, ControlKind::GroupBox, "Scaling", CS_NONE, 77, 7, 102, 49},
    {IDC_PITCH, ControlKind::Edit, "", CS_AUTOHSCROLL, 115, 18, 53, 14},
    {IDC_STATIC, ControlKind::Static, "Pitch", CS_NONE, 83, 20, 17, 8},
    {IDC_STATIC, ControlKind::Static, "Count", CS_NONE, 83, 39, 20, 8},
    {IDC_COUNT, ControlKind::Edit, "", CS_AUTOHSCROLL, 115, 36, 53, 14},
    {IDC_STATIC, ControlKind::GroupBox, "Channel Map", CS_NONE, 7, 7, 64, 49},
    {IDC_AXIS_NAME, ControlKind::Edit, "", CS_AUTOHSCROLL, 45, 17, 15, 14},
    {IDC_STATIC, ControlKind::Static, "Name", CS_NONE, 13, 20, 25, 8},
    {IDC_STATIC, ControlKind::Static, "Channel", CS_NONE, 13, 38, 30, 8},
    {IDC_CHANNEL, ControlKind::Edit, "", CS_AUTOHSCROLL | CS_DISABLED, 45, 36, 15, 14},
    {IDC_SSI_MODE, ControlKind::PushButton, "SSI Mode", CS_NONE, 186, 42, 50, 14},
    {IDC_INC_MODE, ControlKind::PushButton, "INC Mode", CS_NONE, 186, 42, 50, 14},
};

constexpr ControlTemplate kSsiProperties[] = {
    {fw::IDOK, ControlKind::DefPushButton, "OK", CS_NONE, 161, 93, 50, 14},
    {fw::IDCANCEL, ControlKind::PushButton, "Cancel", CS_NONE, 109, 93, 50, 14},
    {IDC_LENGTH, ControlKind::Edit, "", CS_RIGHT | CS_AUTOHSCROLL, 49, 16, 53, 14},
    {IDC_STATIC, ControlKind::Static, "Length", CS_NONE, 13, 18, 23, 8},
    {IDC_OFFSET, ControlKind::Edit, "", CS_RIGHT | CS_AUTOHSCROLL, 49, 35, 53, 14},
    {IDC_STATIC, ControlKind::Static, "Offset", CS_NONE, 13, 38, 23, 8},
    {IDC_STATIC, ControlKind::Static, "Frequency", CS_NONE, 116, 19, 35, 8},
    {IDC_FREQUENCY, ControlKind::ComboBox, "", CS_VSCROLL, 152, 17, 53, 65},
    {IDC_UPDATE, ControlKind::ComboBox, "", CS_VSCROLL, 152, 35, 53, 50},
    {IDC_EXTRA_BIT, ControlKind::ComboBox, "", CS_VSCROLL, 49, 54, 53, 50},
    {IDC_CODE, ControlKind::ComboBox, "", CS_VSCROLL, 49, 72, 53, 50},
    {IDC_DIRECTION, ControlKind::ComboBox, "", CS_VSCROLL, 49, 89, 53, 50},
    {IDC_STATIC, ControlKind::Static, "Extra Bit", CS_NONE, 13, 56, 31, 8},
    {IDC_STATIC, ControlKind::Static, "Update", CS_NONE, 116, 37, 35, 8},
    {IDC_STATIC, ControlKind::Static, "Code", CS_NONE, 13, 74, 29, 8},
    {IDC_STATIC, ControlKind::Static, "Direction", CS_NONE, 13, 91, 35, 8},
    {IDC_STATIC, ControlKind::GroupBox, "Timing", CS_NONE, 110, 7, 101, 47},
    {IDC_STATIC, ControlKind::GroupBox, "Data Format", CS_NONE, 7, 7, 99, 101},
    {IDC_STATIC, ControlKind::GroupBox, "Mode", CS_NONE, 110, 54, 101, 25},
    {IDC_MODE, ControlKind::Edit, "", CS_RIGHT | CS_AUTOHSCROLL | CS_READONLY, 139, 61, 65, 14},
    {IDC_STATIC, ControlKind::Static, "Mode", CS_NONE, 116, 64, 19, 8},
};

constexpr ControlTemplate kIncProperties[] = {
    {fw::IDOK, ControlKind::DefPushButton, "OK", CS_NONE, 120, 69, 50, 14},
    {fw::IDCANCEL, ControlKind::PushButton, "Cancel", CS_NONE, 65, 69, 50, 14},
    {IDC_STATIC, ControlKind::GroupBox, "Marker Control", CS_NONE, 66, 7, 104, 30},
    {IDC_STATIC, ControlKind::GroupBox, "Input Signals", CS_NONE, 7, 7, 52, 76},
    {IDC_STATIC, ControlKind::GroupBox, "Mode", CS_NONE, 65, 39, 105, 26},
    {IDC_MODE, ControlKind::Edit, "", CS_RIGHT | CS_AUTOHSCROLL | CS_READONLY, 95, 47, 69, 14},
    {IDC_STATIC, ControlKind::Static, "Mode", CS_NONE, 71, 51, 19, 8},
    {IDC_INVERT_A, ControlKind::CheckBox, "Invert A", CS_NONE, 13, 18, 41, 10},
    {IDC_INVERT_B, ControlKind::CheckBox, "Invert B", CS_NONE, 13, 33, 41, 10},
    {IDC_INVERT_Z, ControlKind::CheckBox, "Invert Z", CS_NONE, 13, 49, 41, 10},
    {IDC_INVERT_M, ControlKind::CheckBox, "Invert M", CS_NONE, 13, 65, 42, 10},
    {IDC_SYNC_DISABLE, ControlKind::CheckBox, "Sync Disable", CS_NONE, 71, 20, 57, 10},
};

constexpr ControlTemplate kIncStatus[] = {
    {fw::IDOK, ControlKind::DefPushButton, "OK", CS_NONE, 132, 7, 50, 14},
    {IDC_INC_A, ControlKind::CheckBox, "A", CS_NONE, 13, 18, 21, 10},
    {IDC_INC_B, ControlKind::CheckBox, "B", CS_NONE, 13, 31, 21, 10},
    {IDC_INC_Z, ControlKind::CheckBox, "Z", CS_NONE, 13, 44, 21, 10},
    {IDC_INC_M, ControlKind::CheckBox, "M", CS_NONE, 13, 58, 22, 10},
    {IDC_INC_LIMIT0, ControlKind::CheckBox, "Limit 0", CS_NONE, 13, 71, 36, 10},
    {IDC_INC_LIMIT1, ControlKind::CheckBox, "Limit 1", CS_NONE, 13, 84, 36, 10},
    {IDC_STATIC, ControlKind::GroupBox, "Inputs", CS_NONE, 7, 7, 57, 95},
    {IDC_STATIC, ControlKind::GroupBox, "Errors", CS_NONE, 69, 7, 59, 95},
    {IDC_INC_QUADRATURE, ControlKind::CheckBox, "Quadrature", CS_NONE, 75, 17, 51, 10},
    {IDC_INC_POWER_FAIL, ControlKind::CheckBox, "Power fail", CS_NONE, 75, 31, 47, 10},
};

constexpr ControlTemplate kSsiStatus[] = {
    {fw::IDOK, ControlKind::DefPushButton, "OK", CS_NONE, 129, 7, 50, 14},
    {IDC_SSI_DATA, ControlKind::CheckBox, "Data", CS_NONE, 13, 17, 31, 10},
    {IDC_SSI_POWER_FAIL, ControlKind::CheckBox, "Power fail", CS_NONE, 73, 17, 47, 10},
    {IDC_SSI_PARITY, ControlKind::CheckBox, "Parity", CS_NONE, 73, 31, 33, 10},
    {IDC_STATIC, ControlKind::GroupBox, "Inputs", CS_NONE, 7, 7, 57, 40},
    {IDC_STATIC, ControlKind::GroupBox, "Errors", CS_NONE, 67, 7, 58, 40},
};

constexpr DialogTemplate kDialogs[] = {
    {IDD_AXISBAR, TemplateKind::Child, "", 344, 20, kFont, 8, kAxisBar},
    {IDD_AXIS_PROPERTIES, TemplateKind::Popup, "Axis Properties", 243, 63, kFont, 8, kAxisProperties},
    {IDD_SSI_PROPERTIES, TemplateKind::Popup, "SSI encoder properties", 218, 114, kFont, 8, kSsiProperties},
    {IDD_BOARDBAR, TemplateKind::Child, "", 344, 12, kFont, 8, kBoardBar},
    {IDD_INC_PROPERTIES, TemplateKind::Popup, "Incremental encoder properties", 177, 90, kFont, 8,
     kIncProperties},
    {IDD_INC_STATUS, TemplateKind::Popup, "Incremental Axis Status", 189, 111, kFont, 8, kIncStatus},
    {IDD_SSI_STATUS, TemplateKind::Popup, "SSI Axis Status", 186, 60, kFont, 8, kSsiStatus},
};

// List initialisation of template 133, in list order: the index is the field's value.
constexpr const char* kFrequencies[] = {"2.5MHz", "1.25MHz", "625kHz", "312kHz", "156kHz", "78kHz"};
constexpr const char* kUpdates[] = {"One shot", "Timed", "Continuous"};
constexpr const char* kExtraBits[] = {"No Extra bit", "Power Fail", "Parity Even", "Parity Odd"};
constexpr const char* kCodes[] = {"Binary", "Gray"};
constexpr const char* kDirections[] = {"Fwd", "Rev"};

struct ListInitEntry
{
    int templateId;
    int controlId;
    std::span<const char* const> items;
};

constexpr ListInitEntry kListInit[] = {
    {IDD_SSI_PROPERTIES, IDC_FREQUENCY, kFrequencies}, {IDD_SSI_PROPERTIES, IDC_UPDATE, kUpdates},
    {IDD_SSI_PROPERTIES, IDC_EXTRA_BIT, kExtraBits},   {IDD_SSI_PROPERTIES, IDC_CODE, kCodes},
    {IDD_SSI_PROPERTIES, IDC_DIRECTION, kDirections},
};

} // namespace

const fw::DialogTemplate* Dialog(int id)
{
    for (const DialogTemplate& dialog : kDialogs) {
        if (dialog.id == id)
            return &dialog;
    }
    return nullptr;
}

std::span<const char* const> ListInit(int templateId, int controlId)
{
    for (const ListInitEntry& entry : kListInit) {
        if (entry.templateId == templateId && entry.controlId == controlId)
            return entry.items;
    }
    return {};
}

} // namespace res
