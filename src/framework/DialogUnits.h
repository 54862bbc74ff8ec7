#pragma once
// Dialog units, as the dialog manager maps them to pixels from a template's font: the horizontal base
// unit is the average width of the 52 letters a-z A-Z, the vertical base unit the font's height;
// x px = dlu * base x / 4, y px = dlu * base y / 8.

#include <QFont>
#include <QRect>
#include <QSize>

namespace fw {

struct DialogTemplate;

class CDialogUnits
{
public:
    explicit CDialogUnits(const QFont& font);
    int ToPixelsX(int dluX) const;
    int ToPixelsY(int dluY) const;
    QRect ToPixels(int x, int y, int cx, int cy) const;
    QSize ToPixels(int cx, int cy) const;

private:
    int m_nBaseX;
    int m_nBaseY;
};

// The font a template names, mapped onto this platform: "MS Sans Serif" falls back to the platform's
// sans-serif face at the same point size.
QFont TemplateFont(const DialogTemplate& tmpl);

} // namespace fw
