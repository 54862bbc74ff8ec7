#pragma once
// The entries of a message map: a control's notification, by the control's ID, bound to a handler of
// the window that holds it. A control that is missing or of another kind is a fault of the template:
// asserted in debug builds, left unbound otherwise.

#include <functional>

class QObject;
class QWidget;

namespace fw {

// A button's or check box's click by the operator.
void BindClicked(QWidget* control, int nID, QObject* receiver, std::function<void()> handler);
// The operator's choice of an entry of a list, not one the program sets.
void BindSelChange(QWidget* control, int nID, QObject* receiver, std::function<void()> handler);

} // namespace fw
