#include "bars/GlyphCells.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <string_view>

namespace {
constexpr char kAlphabet[] = " -.0123456789";
} // namespace

std::shared_ptr<CGlyphCells> CGlyphCells::Get(const QFont& font, qreal dpr, QColor fg, QColor bg,
                                              qreal yOffset, int rows, QImage::Format format)
{
    // Every strip with the same parameters shares one table; a table goes with its last strip.
    static std::vector<std::weak_ptr<CGlyphCells>> s_tables;
    std::erase_if(s_tables, [](const std::weak_ptr<CGlyphCells>& table) { return table.expired(); });
    for (const auto& weak : s_tables) {
        if (auto table = weak.lock(); table->Matches(font, dpr, fg, bg, yOffset, rows, format))
            return table;
    }
    auto table = std::make_shared<CGlyphCells>(font, dpr, fg, bg, yOffset, rows, format);
    s_tables.push_back(table);
    return table;
}

CGlyphCells::CGlyphCells(const QFont& font, qreal dpr, QColor fg, QColor bg, qreal yOffset, int rows,
                         QImage::Format format)
    : m_font(font), m_dpr(dpr), m_fg(fg), m_bg(bg), m_yOffset(yOffset), m_nRows(rows), m_format(format)
{
    const QFontMetricsF metrics(font);
    QString pairs; // every character after every other, and after itself
    int sum64 = 0;
    for (const char c : std::string_view(kAlphabet)) {
        m_advance64[Slot(c)] = qRound(metrics.horizontalAdvance(QLatin1Char(c)) * 64);
        for (const char d : std::string_view(kAlphabet)) {
            pairs += QLatin1Char(c);
            pairs += QLatin1Char(d);
        }
    }
    for (const QChar c : pairs)
        sum64 += m_advance64[Slot(char(c.unicode()))];
    // A font that kerns or joins any of these characters lays out differently: Qt then draws every text.
    m_bUsable = qRound(metrics.horizontalAdvance(pairs) * 64) == sum64 && dpr > 0 && rows > 0;
}

bool CGlyphCells::Matches(const QFont& font, qreal dpr, QColor fg, QColor bg, qreal yOffset, int rows,
                          QImage::Format format) const
{
    return m_format == format && m_dpr == dpr && m_yOffset == yOffset && m_nRows == rows && m_fg == fg &&
           m_bg == bg && m_font == font;
}

const CGlyphCells::Cell& CGlyphCells::CellFor(char c, qreal phase)
{
    const size_t slot = size_t(Slot(c));
    std::vector<Phased>& cells = m_cells[slot];
    const qreal scaled = phase * kGrid;
    const int grid = int(scaled);
    const bool bOnGrid = grid == scaled && grid >= 0 && grid < kGrid;
    if (bOnGrid && m_gridIndex[slot][size_t(grid)] > 0)
        return cells[m_gridIndex[slot][size_t(grid)] - 1u].cell;
    auto found =
        std::find_if(cells.begin(), cells.end(), [phase](const Phased& p) { return p.phase == phase; });
    if (found == cells.end()) {
        cells.push_back({phase, Render(c, phase)});
        found = cells.end() - 1;
    }
    if (bOnGrid)
        m_gridIndex[slot][size_t(grid)] = uint16_t(found - cells.begin() + 1);
    return found->cell;
}

void CGlyphCells::MapPainter(QPainter& painter, qreal dpr, QPointF at)
{
    painter.setTransform(QTransform(dpr, 0, 0, dpr, at.x(), at.y()));
}

CGlyphCells::Cell CGlyphCells::Render(char c, qreal phase) const
{
    Cell cell;
    if (c == ' ')
        return cell;
    // Room for the ink on either side of the advance: a glyph may reach well beyond it.
    const int pad = m_nRows;
    const int width = 2 * pad + int(std::ceil(m_advance64[Slot(c)] * m_dpr / 64));
    QImage image(width, m_nRows, m_format);
    image.fill(m_bg);
    {
        QPainter painter(&image);
        MapPainter(painter, m_dpr, QPointF(pad + phase, m_yOffset));
        painter.setFont(m_font);
        painter.setPen(m_fg);
        painter.drawText(QRectF(0, 0, width, m_nRows), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                         QString(QLatin1Char(c)));
    }
    const QRgb background = image.pixel(0, 0);
    int first = width;
    int last = -1;
    for (int y = 0; y < m_nRows; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            if (line[x] != background) {
                first = qMin(first, x);
                last = qMax(last, x);
            }
        }
    }
    if (last >= first) {
        cell.left = first - pad;
        cell.pixels = image.copy(first, 0, last - first + 1, m_nRows);
        cell.width = cell.pixels.width();
        cell.bits = reinterpret_cast<const QRgb*>(cell.pixels.constBits());
        cell.stride = cell.pixels.bytesPerLine() / qsizetype(sizeof(QRgb));
    }
    return cell;
}
