#pragma once
// Turns a dialog template into Qt widgets: absolute geometry from dialog units, fixed size, template
// order as tab order, each control reachable by its ID.

#include "framework/DialogTemplate.h"
#include "framework/DialogUnits.h"

#include <QSize>
#include <functional>
#include <vector>

class QWidget;

namespace fw {

class CControlMap
{
public:
    void Add(int id, QWidget* widget);
    QWidget* Item(int id) const;                               // nullptr when no control has that ID
    const std::vector<QWidget*>& All() const { return m_all; } // every control, in template order
    void Clear();

private:
    std::vector<std::pair<int, QWidget*>> m_byId;
    std::vector<QWidget*> m_all;
};

// Makes a control of the host's own class for a template entry, a child of the host, or returns nullptr
// for the template's own kind. The builder gives it the entry's place, text, ID and object name.
using ControlFactory = std::function<QWidget*(const ControlTemplate&)>;

// Builds every control of `tmpl` as a child of `host`, sets the host's font and fixed size, and
// returns the template's size in pixels.
QSize BuildTemplate(QWidget* host, const DialogTemplate& tmpl, CControlMap& controls,
                    const ControlFactory& factory = {});

// The template's size in pixels for its own font.
QSize TemplatePixelSize(const DialogTemplate& tmpl);

} // namespace fw
