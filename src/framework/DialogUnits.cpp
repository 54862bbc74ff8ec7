#include "framework/DialogUnits.h"

#include "framework/DialogTemplate.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <vector>

namespace fw {

CDialogUnits::CDialogUnits(const QFont& font)
{
    // Measured once a font and screen resolution: the bars and dialogs of a template share its units.
    // The font is kept by its key, not as a font, which would hold its font engine past the application.
    struct Measured
    {
        QString font;
        qreal dpi;
        int baseX;
        int baseY;
    };
    static std::vector<Measured> s_measured;
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen ? screen->logicalDotsPerInchY() : 0.0;
    const QString key = font.key() + QLatin1Char('|') + font.families().join(QLatin1Char(','));
    const auto found = std::find_if(s_measured.begin(), s_measured.end(),
                                    [&key, dpi](const Measured& m) { return m.dpi == dpi && m.font == key; });
    if (found != s_measured.end()) {
        m_nBaseX = found->baseX;
        m_nBaseY = found->baseY;
        return;
    }
    const QFontMetrics metrics(font);
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    // The average of 52 letters, rounded to the nearest pixel as the dialog manager rounds it.
    m_nBaseX = qMax(1, (letters / 26 + 1) / 2);
    m_nBaseY = qMax(1, metrics.height());
    s_measured.push_back({key, dpi, m_nBaseX, m_nBaseY});
}

// The dialog manager's MulDiv: rounded to the nearest pixel.
static int MulDivRound(int value, int num, int den)
{
    const long long product = static_cast<long long>(value) * num;
    const long long half = den / 2;
    return static_cast<int>(product >= 0 ? (product + half) / den : -((-product + half) / den));
}

int CDialogUnits::ToPixelsX(int dluX) const
{
    return MulDivRound(dluX, m_nBaseX, 4);
}
int CDialogUnits::ToPixelsY(int dluY) const
{
    return MulDivRound(dluY, m_nBaseY, 8);
}

QRect CDialogUnits::ToPixels(int x, int y, int cx, int cy) const
{
    const int left = ToPixelsX(x);
    const int top = ToPixelsY(y);
    return QRect(left, top, ToPixelsX(x + cx) - left, ToPixelsY(y + cy) - top);
}

QSize CDialogUnits::ToPixels(int cx, int cy) const
{
    return QSize(ToPixelsX(cx), ToPixelsY(cy));
}

QFont TemplateFont(const DialogTemplate& tmpl)
{
    QFont font;
    const QString face = QString::fromUtf8(tmpl.font);
    if (face.compare(QLatin1String("MS Sans Serif"), Qt::CaseInsensitive) == 0) {
        font.setStyleHint(QFont::SansSerif);
        font.setFamilies(QStringList{QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                                     QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                                     QStringLiteral("Sans Serif")});
    } else {
        font.setFamily(face);
    }
    font.setPointSize(tmpl.pointSize);
    return font;
}

} // namespace fw
