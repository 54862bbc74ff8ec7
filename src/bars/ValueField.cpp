#include "bars/ValueField.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPaintEvent>
#include <QPainter>
#include <QTextLayout>
#include <array>
#include <memory>
#include <vector>

namespace {

// What screen readers and UI automation see of a field: static text whose name is the text shown.
class CValueFieldAccessible : public QAccessibleWidget
{
public:
    explicit CValueFieldAccessible(CValueField* field) : QAccessibleWidget(field, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<const CValueField*>(widget())->Text();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* AccessibleFactory(const QString& key, QObject* object)
{
    if (key == QLatin1String("CValueField") && object && object->isWidgetType())
        return new CValueFieldAccessible(static_cast<CValueField*>(object));
    return nullptr;
}

// The glyphs of the characters a number text is made of, and their advances, as Qt lays them out in one
// font on one device: a text of these characters is then placed by adding up advances, not shaped again
// at every change. Usable only when the font neither kerns nor joins any two of them.
class CNumberGlyphs
{
public:
    static const CNumberGlyphs& For(const QFont& font, const QPaintDevice* device)
    {
        static std::vector<std::unique_ptr<CNumberGlyphs>> s_tables;
        const int dpi = device->logicalDpiY();
        for (const auto& table : s_tables) {
            if (table->m_font == font && table->m_nDpi == dpi)
                return *table;
        }
        return *s_tables.emplace_back(std::make_unique<CNumberGlyphs>(font, device));
    }

    CNumberGlyphs(const QFont& font, const QPaintDevice* device) : m_font(font), m_nDpi(device->logicalDpiY())
    {
        // Every character after every other and after itself, laid out once.
        QString pairs;
        for (const QChar c : kAlphabet) {
            for (const QChar d : kAlphabet)
                pairs.append(c).append(d);
        }
        QTextLayout layout(pairs, QFont(font, device), device);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        const QList<QGlyphRun> runs = layout.glyphRuns();
        if (runs.size() != 1 || runs[0].glyphIndexes().size() != pairs.size())
            return;
        const QList<quint32> glyphs = runs[0].glyphIndexes();
        const QList<QPointF> positions = runs[0].positions();
        m_rawFont = runs[0].rawFont();
        m_dAscent = positions[0].y();
        std::array<bool, kCount> known{};
        for (qsizetype i = 0; i + 1 < pairs.size(); ++i) {
            const auto slot = size_t(Slot(pairs[i]));
            const qreal advance = positions[i + 1].x() - positions[i].x();
            if (known[slot] && (m_glyphs[slot] != glyphs[i] || m_advances[slot] != advance))
                return;
            known[slot] = true;
            m_glyphs[slot] = glyphs[i];
            m_advances[slot] = advance;
        }
        m_bUsable = true;
    }

    // The width of `text` laid out from these advances; -1 when Qt must lay it out.
    qreal Width(QStringView text) const
    {
        qreal width = 0;
        for (const QChar c : text) {
            const int slot = Slot(c);
            if (slot < 0 || !m_bUsable)
                return -1;
            width += m_advances[size_t(slot)];
        }
        return width;
    }

    // The glyphs of `text`, a text Width() can lay out, from (0, 0) at the top left. Blanks have no ink.
    QGlyphRun Place(QStringView text) const
    {
        QList<quint32> glyphs;
        QList<QPointF> positions;
        glyphs.reserve(text.size());
        positions.reserve(text.size());
        qreal x = 0;
        for (const QChar c : text) {
            const auto slot = size_t(Slot(c));
            if (c != QLatin1Char(' ')) {
                glyphs.append(m_glyphs[slot]);
                positions.append(QPointF(x, m_dAscent));
            }
            x += m_advances[slot];
        }
        QGlyphRun run;
        run.setRawFont(m_rawFont);
        run.setGlyphIndexes(glyphs);
        run.setPositions(positions);
        return run;
    }

private:
    static constexpr QStringView kAlphabet = u" -.0123456789";
    static constexpr int kCount = 13;
    static int Slot(QChar c)
    {
        const char16_t u = c.unicode();
        return u >= '0' && u <= '9' ? 3 + (u - '0') : u == ' ' ? 0 : u == '-' ? 1 : u == '.' ? 2 : -1;
    }

    QFont m_font;
    int m_nDpi;
    bool m_bUsable = false;
    QRawFont m_rawFont;
    qreal m_dAscent = 0;
    std::array<quint32, kCount> m_glyphs{};
    std::array<qreal, kCount> m_advances{};
};

// Draws `field`'s text right-aligned in a box of its size at the painter's origin.
void DrawValue(QPainter& painter, const CValueField& field, const QPaintDevice* device)
{
    const QString text = field.Text();
    const QRect box(QPoint(0, 0), field.size());
    painter.fillRect(box, field.palette().color(field.backgroundRole()));
    painter.setPen(field.palette().color(field.foregroundRole()));
    const CNumberGlyphs& glyphs = CNumberGlyphs::For(field.font(), device);
    qreal natural = glyphs.Width(text);
    const bool bPlaced = natural >= 0;
    if (!bPlaced)
        natural = QFontMetricsF(field.font(), device).horizontalAdvance(text);
    // Too wide for the field: narrower, whole, still against the right edge.
    if (natural > box.width())
        painter.scale(box.width() / natural, 1.0);
    const qreal right = qMax(natural, qreal(box.width()));
    if (bPlaced) {
        painter.drawGlyphRun(QPointF(right - natural, 0), glyphs.Place(text));
    } else {
        painter.setFont(field.font());
        painter.drawText(QRectF(0, 0, right, box.height()), Qt::AlignRight | Qt::AlignTop | Qt::TextDontClip,
                         text);
    }
}

} // namespace

CValueField::CValueField(QWidget* parent) : QWidget(parent)
{
    static const bool s_bFactory = (QAccessible::installFactory(AccessibleFactory), true);
    Q_UNUSED(s_bFactory);
    setFocusPolicy(Qt::NoFocus);
    // The strip above draws the field; the field itself never paints.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CValueField::SetText(const QString& text)
{
    if (text == m_strText)
        return;
    m_strText = text;
    ++m_nSerial;
    if (m_pStrip)
        m_pStrip->update(geometry().translated(-m_pStrip->pos()));
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

CValueStrip::CValueStrip(QWidget* parent, const std::array<CValueField*, 4>& fields) : QWidget(parent)
{
    QRect bounds;
    for (const CValueField* field : fields) {
        if (field)
            bounds |= field->geometry();
    }
    QRegion mask;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (!fields[i])
            continue;
        m_fields[i] = fields[i];
        fields[i]->m_pStrip = this;
        mask += fields[i]->geometry().translated(-bounds.topLeft());
    }
    setGeometry(bounds);
    // Over the fields and only them: the controls between them stay in view and within reach.
    setMask(mask);
    // Opaque: neither the fields beneath nor the bar and window below are repainted with a value.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    raise();
}

void CValueStrip::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    for (const QPointer<CValueField>& field : m_fields) {
        const QRect place = field ? field->geometry().translated(-pos()) : QRect();
        if (!event->region().intersects(place))
            continue;
        painter.setTransform(QTransform::fromTranslate(place.x(), place.y()));
        DrawValue(painter, *field, this);
    }
}
