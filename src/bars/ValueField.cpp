#include "bars/ValueField.h"

#include "bars/GlyphCells.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <algorithm>
#include <cmath>
#include <cstring>

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

} // namespace

CValueField::CValueField(QWidget* parent) : QWidget(parent)
{
    static const bool s_bFactory = (QAccessible::installFactory(AccessibleFactory), true);
    Q_UNUSED(s_bFactory);
    setFocusPolicy(Qt::NoFocus);
    // The strip above draws the field; the field itself never paints.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CValueField::SetText(std::string_view text)
{
    const size_t length = qMin(text.size(), m_text.size());
    if (length == size_t(m_nLength) && std::memcmp(m_text.data(), text.data(), length) == 0)
        return;
    std::memcpy(m_text.data(), text.data(), length);
    m_nLength = int(length);
    ++m_nSerial;
    if (m_pStrip)
        m_pStrip->FieldChanged(m_nIndex);
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void CValueField::SetText(const QString& text)
{
    const QByteArray latin1 = text.toLatin1();
    SetText(std::string_view(latin1.constData(), size_t(latin1.size())));
}

QString CValueField::Text() const
{
    return QString::fromLatin1(m_text.data(), m_nLength);
}

CValueStrip::CValueStrip(QWidget* parent, std::vector<CValueField*> fields)
    : QWidget(parent), m_fields(std::move(fields))
{
    QRect bounds;
    for (const CValueField* field : m_fields)
        bounds |= field->geometry();
    QRegion mask;
    for (size_t i = 0; i < m_fields.size(); ++i) {
        m_fields[i]->m_pStrip = this;
        m_fields[i]->m_nIndex = int(i);
        mask += m_fields[i]->geometry().translated(-bounds.topLeft());
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

void CValueStrip::FieldChanged(int index)
{
    const QWidget* field = m_fields[size_t(index)];
    if (m_image.isNull() || !isVisible()) {
        m_nDirty |= 1u << index;
        update(field->geometry().translated(-pos()));
        return;
    }
    // Drawn at once, so only the pixels that changed are repainted.
    if (const QRect changed = Compose(index); !changed.isEmpty()) {
        if (m_bBatch)
            m_pending |= changed;
        else
            update(changed);
    }
}

void CValueStrip::EndBatch()
{
    m_bBatch = false;
    if (!m_pending.isEmpty())
        update(m_pending);
    m_pending = QRect();
}

bool CValueStrip::Prepare(QImage::Format format)
{
    const QWidget* model = m_fields.front();
    const qreal dpr = devicePixelRatioF();
    const QPoint windowPos = mapTo(window(), QPoint(0, 0));
    const QPalette& palette = model->palette();
    const QColor fg = palette.color(model->foregroundRole());
    const QColor bg = palette.color(model->backgroundRole());
    if (dpr == m_dpr && windowPos == m_windowPos && fg == m_fg && bg == m_bg && model->font() == m_font &&
        !m_image.isNull() && m_image.format() == format)
        return false;
    // Cells and image are made for the screen, the place in the window, the font and the colours.
    m_dpr = dpr;
    m_windowPos = windowPos;
    m_fg = fg;
    m_bg = bg;
    m_font = model->font();
    const QPointF topLeft = QPointF(windowPos) * dpr;
    const QPointF bottomRight = QPointF(windowPos + QPoint(width(), height())) * dpr;
    m_origin = QPoint(int(std::floor(topLeft.x())), int(std::floor(topLeft.y())));
    m_image = QImage(int(std::ceil(bottomRight.x())) - m_origin.x(),
                     int(std::ceil(bottomRight.y())) - m_origin.y(), format);
    m_image.fill(bg);
    const qreal yOffset = (windowPos.y() + model->y() - y()) * dpr - m_origin.y();
    m_pCells = CGlyphCells::Get(m_font, dpr, fg, bg, yOffset, m_image.height(), format);
    m_drawn.assign(m_fields.size(), Drawn{});
    m_nDirty = ~0u;
    return true;
}

void CValueStrip::paintEvent(QPaintEvent* event)
{
    // Painted as part of the window, into its backing store: the pixels of the rectangles being painted
    // are copied there directly. The strip's place in that image is where the window's painter would put
    // it.
    QPoint redirect;
    QPaintDevice* device = redirected(&redirect);
    QImage* target = device && device->devType() == QInternal::Image ? static_cast<QImage*>(device) : nullptr;
    // The image in the window's own format, so that showing it is a plain copy.
    QImage::Format format = QImage::Format_ARGB32_Premultiplied;
    if (target &&
        (target->format() == QImage::Format_RGB32 || target->format() == QImage::Format_ARGB32_Premultiplied))
        format = target->format();
    if (Prepare(format) && event->region() != QRegion(rect()))
        update(); // everything was drawn anew: show all of it
    for (size_t i = 0; i < m_fields.size(); ++i) {
        if (m_nDirty & (1u << i))
            Compose(int(i));
    }
    m_nDirty = 0;
    if (target && target->format() == m_image.format() && Blit(*target, -redirect, event->region()))
        return;
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    // One device pixel of the image to one of the window.
    painter.drawImage(
        QRectF(QPointF(m_origin) / m_dpr - QPointF(m_windowPos), QSizeF(m_image.size()) / m_dpr), m_image);
}

bool CValueStrip::Blit(QImage& target, QPoint place, const QRegion& region) const
{
    // Row by row, when a logical pixel is a whole number of device pixels: what a painter's plain copy
    // gives, without the cost of its clipping to a region of several rectangles. `place` is the strip's
    // top left in the target, in logical pixels.
    const int scale = qRound(m_dpr);
    if (scale < 1 || m_dpr != scale || target.devicePixelRatio() != m_dpr || !target.isDetached())
        return false;
    // The image's pixel (0, 0) on the target: at a whole-number scale the image starts exactly at the
    // strip's top left.
    const QPoint at = place * scale;
    const QRect bounds = QRect(at, m_image.size()) & target.rect();
    const qsizetype targetStride = target.bytesPerLine();
    const qsizetype sourceStride = m_image.bytesPerLine();
    // The window's pixels as they are: never a detached copy that the window would not show.
    auto* targetBits = const_cast<uchar*>(target.constBits());
    const uchar* sourceBits = m_image.constBits();
    constexpr qsizetype kPixel = sizeof(QRgb);
    for (const QRect& logical : region) {
        const QRect rect = QRect(logical.topLeft() * scale + at, logical.size() * scale) & bounds;
        const size_t bytes = size_t(rect.width()) * kPixel;
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            std::memcpy(targetBits + y * targetStride + rect.left() * kPixel,
                        sourceBits + (y - at.y()) * sourceStride + (rect.left() - at.x()) * kPixel, bytes);
    }
    return true;
}

void CValueStrip::Fill(int from, int to)
{
    if (to <= from)
        return;
    const QRgb background = m_bg.rgba();
    uchar* bits = m_image.bits();
    const qsizetype stride = m_image.bytesPerLine();
    from = qMax(from, 0);
    to = qMin(to, m_image.width());
    for (int y = 0, rows = m_image.height(); y < rows && to > from; ++y) {
        auto* line = reinterpret_cast<QRgb*>(bits + y * stride);
        std::fill(line + from, line + to, background);
    }
}

QRect CValueStrip::Compose(int index)
{
    const CValueField& field = *m_fields[size_t(index)];
    // The field's place in device pixels of the image, exactly as Qt maps the field onto the window.
    const QPoint local = field.pos() - pos();
    const QPointF at = QPointF(m_windowPos + local) * m_dpr - QPointF(m_origin);
    const int first = qMax(0, int(std::floor(at.x())));
    const int end = qMin(m_image.width(), int(std::ceil(at.x() + field.width() * m_dpr)));
    if (end <= first)
        return {};
    int from = end;
    int to = first;
    if (!ComposeFromCells(index, at, first, end, from, to)) {
        m_drawn[size_t(index)].bCells = false;
        Fill(first, end);
        ComposeWithQt(field, at, first, end);
        from = first;
        to = end;
    }
    if (to <= from)
        return {};
    // The changed device columns in whole logical pixels of the strip.
    const int left = int(std::floor((from + m_origin.x()) / m_dpr)) - m_windowPos.x();
    const int right = int(std::ceil((to + m_origin.x()) / m_dpr)) - m_windowPos.x();
    return QRect(left, local.y(), right - left, field.height()) & QRect(local, field.size());
}

bool CValueStrip::ComposeFromCells(int index, QPointF at, int first, int end, int& from, int& to)
{
    const CValueField& field = *m_fields[size_t(index)];
    // The cells are made for the first field's vertical place.
    if (!m_pCells || field.y() != m_fields.front()->y())
        return false;
    const std::string_view text = field.View();
    int width64 = 0;
    for (const char c : text) {
        const int advance = m_pCells->Advance64(c);
        if (advance < 0)
            return false;
        width64 += advance;
    }
    if (width64 > field.width() * 64)
        return false; // condensed: drawn by Qt
    Drawn& drawn = m_drawn[size_t(index)];
    const size_t length = text.size();
    // Right-aligned, a character keeps its place while the characters to its right keep theirs: counted
    // from the right, what did not change stays as it is drawn.
    const bool bTracked = length <= drawn.chars.size();
    const bool bIncremental = drawn.bCells && bTracked;
    if (!bIncremental) {
        Fill(first, end);
        from = first;
        to = end;
    } else {
        for (size_t r = length; r < size_t(drawn.length); ++r) {
            Fill(drawn.starts[r], drawn.ends[r]);
            if (drawn.ends[r] > drawn.starts[r]) {
                from = qMin(from, drawn.starts[r]);
                to = qMax(to, drawn.ends[r]);
            }
        }
    }
    const size_t kept = bIncremental ? qMin(length, size_t(drawn.length)) : 0; // counted from the right
    uchar* bits = m_image.bits();
    const qsizetype stride = m_image.bytesPerLine();
    const int rows = m_image.height();
    int x64 = field.width() * 64 - width64;
    int previousEnd = first;
    for (size_t i = 0; i < length; ++i) {
        const char c = text[i];
        const size_t r = length - 1 - i;
        const bool bOld = r < kept;
        // The glyph's origin in device pixels, as Qt computes it for the right-aligned text.
        const qreal origin = at.x() + m_dpr * (x64 / 64.0);
        x64 += m_pCells->Advance64(c);
        if (bOld && drawn.chars[r] == c && drawn.origins[r] == origin) {
            if (drawn.ends[r] > drawn.starts[r])
                previousEnd = drawn.ends[r];
            continue;
        }
        const int oldStart = bOld ? drawn.starts[r] : 0;
        const int oldEnd = bOld ? drawn.ends[r] : 0;
        int start = 0;
        int stop = 0;
        if (c != ' ') {
            const qreal pixel = std::floor(origin);
            const CGlyphCells::Cell& cell = m_pCells->CellFor(c, origin - pixel);
            start = int(pixel) + cell.left;
            stop = start + cell.width;
            // Ink of two glyphs sharing pixels blends: Qt draws such a text.
            const bool bNextOverlaps = r > 0 && r - 1 < kept && drawn.ends[r - 1] > drawn.starts[r - 1] &&
                                       drawn.starts[r - 1] < stop;
            if (cell.width > 0 && (start < previousEnd || bNextOverlaps))
                return false;
            const int left = qMax(start, first);
            const int right = qMin(stop, end);
            const size_t bytes = size_t(qMax(0, right - left)) * sizeof(QRgb);
            const QRgb* source = cell.bits + (left - start);
            uchar* target = bits + left * qsizetype(sizeof(QRgb));
            for (int y = 0; y < rows && bytes > 0; ++y)
                std::memcpy(target + y * stride, source + y * cell.stride, bytes);
            if (cell.width > 0) {
                // What the glyph before left outside the new one's columns.
                Fill(oldStart, qMin(oldEnd, start));
                Fill(qMax(oldStart, stop), oldEnd);
                previousEnd = stop;
                from = qMin(from, start);
                to = qMax(to, stop);
            }
        }
        if (start == stop)
            Fill(oldStart, oldEnd);
        if (oldEnd > oldStart) {
            from = qMin(from, oldStart);
            to = qMax(to, oldEnd);
        }
        if (bTracked) {
            drawn.chars[r] = c;
            drawn.origins[r] = origin;
            drawn.starts[r] = start;
            drawn.ends[r] = stop;
        }
    }
    drawn.bCells = bTracked;
    drawn.length = int(length);
    from = qMax(from, first);
    to = qMin(to, end);
    return true;
}

void CValueStrip::ComposeWithQt(const CValueField& field, QPointF at, int first, int end)
{
    const QString text = field.Text();
    const QFontMetricsF metrics(m_font);
    const qreal natural = metrics.horizontalAdvance(text);
    const qreal width = field.width();
    QPainter painter(&m_image);
    painter.setClipRect(QRect(first, 0, end - first, m_image.height()));
    CGlyphCells::MapPainter(painter, m_dpr, at);
    painter.setFont(m_font);
    painter.setPen(m_fg);
    if (natural <= width) {
        painter.drawText(QRectF(0, 0, width, field.height()), Qt::AlignRight | Qt::AlignTop, text);
        return;
    }
    // Too wide for the field: narrower, whole, still against the right edge.
    painter.scale(width / natural, 1.0);
    painter.drawText(QRectF(0, 0, natural, field.height()), Qt::AlignRight | Qt::AlignTop | Qt::TextDontClip,
                     text);
}
