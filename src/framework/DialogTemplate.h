#pragma once
// Dialog templates as data: a table of controls positioned in dialog units, with the dialog's caption,
// size and font. Every dialog and dialog bar of the program is built from one of these.

#include <span>

namespace fw {

enum class ControlKind {
    PushButton,
    DefPushButton, // the default push button
    Static,
    GroupBox,
    Edit,
    CheckBox, // an auto check box
    ComboBox, // a list-only combo box
};

// Style bits of a control, beyond its kind.
enum ControlStyle : unsigned {
    CS_NONE = 0,
    CS_RIGHT = 1u << 0,      // right-aligned text (statics, edits)
    CS_LEFTTEXT = 1u << 1,   // check box with its text on the left of the box
    CS_NOTABSTOP = 1u << 2,  // not reached with the Tab key
    CS_DISABLED = 1u << 3,   // created disabled
    CS_READONLY = 1u << 4,   // read-only edit
    CS_AUTOHSCROLL = 1u << 5, // edit scrolls horizontally
    CS_VSCROLL = 1u << 6,    // list with a vertical scroll bar
};

inline constexpr int IDC_STATIC = -1; // a control without an ID of its own
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

struct ControlTemplate
{
    int id;
    ControlKind kind;
    const char* text; // UTF-8
    unsigned style;
    int x, y, cx, cy; // dialog units; a combo box's height is that of its opened list
};

enum class TemplateKind {
    Child, // a child window without caption (dialog bars)
    Popup, // a pop-up dialog with caption, system menu and modal frame
};

struct DialogTemplate
{
    int id;
    TemplateKind kind;
    const char* caption;
    int cx, cy;       // dialog units
    const char* font; // face name as the template gives it
    int pointSize;
    std::span<const ControlTemplate> controls;
};

} // namespace fw
