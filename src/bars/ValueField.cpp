#include "bars/ValueField.h"

#include <QAccessibleWidget>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPaintEvent>
#include <QPainter>
#include <QTextLayout>
#include <string_view>

namespace {

// What screen readers and UI automation see of a field: static text whose name is the text shown.
class CValueFieldAccessible : public QAccessibleWidget
{
public:
    using QAccessibleWidget::QAccessibleWidget;

    QString text(QAccessible::Text t) const override
    {
        const bool bShown = t == QAccessible::Name && widget()->accessibleName().isEmpty();
        return bShown ? static_cast<const CValueField*>(widget())->Text() : QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* AccessibleFactory(const QString& key, QObject* object)
{
    auto* field = key == QLatin1String("CValueField") ? qobject_cast<CValueField*>(object) : nullptr;
    return field ? new CValueFieldAccessible(field, QAccessible::StaticText) : nullptr;
}

} // namespace

// The glyphs and advances of the characters of number texts, as Qt lays them out in one font on one device:
// such a text is placed by adding advances, not shaped at every change. Empty if the font kerns or joins.
struct CNumberGlyphs
{
    CNumberGlyphs(const QFont& font, const QPaintDevice* device) : m_font(font), m_nDpi(device->logicalDpiY())
    {
        QString pairs; // every character after every other and after itself
        for (const QChar c : kAlphabet)
            for (const QChar d : kAlphabet)
                pairs.append(c).append(d);
        QTextLayout layout(pairs, QFont(font, device), device);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        const QList<QGlyphRun> runs = layout.glyphRuns();
        const QList<QPointF> at = runs.size() == 1 ? runs[0].positions() : QList<QPointF>();
        if (at.size() != pairs.size())
            return;
        for (qsizetype i = 0; i + 1 < pairs.size(); ++i) {
            const Glyph glyph = {runs[0].glyphIndexes()[i], at[i + 1].x() - at[i].x()};
            Glyph& known = m_glyphs[size_t(Slot(pairs[i]))];
            if (known.advance >= 0 && known != glyph)
                return;
            known = glyph;
        }
        m_rawFont = runs[0].rawFont();
        m_dAscent = at[0].y();
    }

    // The width of `text`, and into `run` its glyphs from (0, 0) at the top left; -1 when Qt lays it out.
    qreal Place(QStringView text, QGlyphRun& run) const
    {
        QList<quint32> indexes;
        QList<QPointF> positions;
        indexes.reserve(text.size());
        positions.reserve(text.size());
        qreal x = 0;
        for (const QChar c : text) {
            const int slot = Slot(c);
            if (slot < 0 || !m_rawFont.isValid())
                return -1;
            if (c != u' ') { // a blank has no ink
                indexes.append(m_glyphs[size_t(slot)].index);
                positions.append(QPointF(x, m_dAscent));
            }
            x += m_glyphs[size_t(slot)].advance;
        }
        run.setRawFont(m_rawFont);
        run.setGlyphIndexes(indexes);
        run.setPositions(positions);
        return x;
    }

    struct Glyph
    {
        quint32 index = 0;
        qreal advance = -1; // none yet
        bool operator==(const Glyph&) const = default;
    };
    static constexpr std::u16string_view kAlphabet = u" -.0123456789";
    static int Slot(QChar c) { return int(kAlphabet.find(c.unicode())); } // npos: -1

    QFont m_font;
    int m_nDpi;
    QRawFont m_rawFont; // none when Qt lays out every text
    qreal m_dAscent = 0;
    std::array<Glyph, kAlphabet.size()> m_glyphs{};
};

CValueField::CValueField(QWidget* parent) : QWidget(parent)
{
    [[maybe_unused]] static const bool s_bFactory = (QAccessible::installFactory(AccessibleFactory), true);
    // The strip above draws the field; the field itself never paints.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CValueField::SetText(const QString& text)
{
    if (text == m_strText)
        return;
    m_strText = text;
    if (m_pStrip)
        m_pStrip->update(geometry().translated(-m_pStrip->pos()));
    if (QAccessibleEvent event(this, QAccessible::NameChanged); QAccessible::isActive())
        QAccessible::updateAccessibility(&event); // for screen readers, when one listens
}

CValueStrip::CValueStrip(QWidget* parent, const std::array<CValueField*, 4>& fields) : QWidget(parent)
{
    QRegion region;
    for (size_t i = 0; i < fields.size(); ++i) {
        region += fields[i]->geometry();
        m_fields[i] = fields[i];
        fields[i]->m_pStrip = this;
    }
    // Over the fields and only them, so the controls between them stay in view and within reach; opaque,
    // so neither the fields beneath nor the bar and window below are repainted with a value.
    setGeometry(region.boundingRect());
    setMask(region.translated(-pos()));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    raise();
}

void CValueStrip::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const int dpi = logicalDpiY();
    for (const QPointer<CValueField>& field : m_fields) {
        // Each field right-aligned in a box of its size at the painter's origin.
        const QRect box = field ? QRect(QPoint(0, 0), field->size()) : QRect();
        const QPoint place = box.isEmpty() ? QPoint() : field->pos() - pos();
        if (!event->region().intersects(box.translated(place)))
            continue;
        painter.setTransform(QTransform::fromTranslate(place.x(), place.y()));
        painter.fillRect(box, field->palette().color(field->backgroundRole()));
        painter.setPen(field->palette().color(field->foregroundRole()));
        const auto fits = [&] {
            return m_pGlyphs && m_pGlyphs->m_font == field->font() && m_pGlyphs->m_nDpi == dpi;
        };
        if (!fits()) {
            // One table for the strips of a font; it goes with the last of them, before the application.
            static std::weak_ptr<const CNumberGlyphs> s_shared;
            m_pGlyphs = s_shared.lock();
            if (!fits())
                s_shared = m_pGlyphs = std::make_shared<const CNumberGlyphs>(field->font(), this);
        }
        QGlyphRun run;
        const qreal placed = m_pGlyphs->Place(field->m_strText, run);
        const qreal natural =
            placed >= 0 ? placed : QFontMetricsF(field->font(), this).horizontalAdvance(field->m_strText);
        // Too wide for the field: narrower, whole, still against the right edge.
        if (natural > box.width())
            painter.scale(box.width() / natural, 1.0);
        const qreal right = qMax(natural, qreal(box.width()));
        if (placed >= 0) {
            painter.drawGlyphRun(QPointF(right - natural, 0), run);
        } else {
            painter.setFont(field->font());
            painter.drawText(QRectF(0, 0, right, box.height()),
                             Qt::AlignRight | Qt::AlignTop | Qt::TextDontClip, field->m_strText);
        }
    }
}
