#pragma once
// The characters a number text is made of, each rendered once by Qt into an opaque cell: the columns of
// device pixels its ink covers, on the field's background, for one font, device pixel ratio, pair of
// colours and vertical phase. Placing cells side by side gives the pixels Qt draws for the whole text,
// without laying out or shaping anything.

#include <QColor>
#include <QFont>
#include <QImage>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class QPainter;

class CGlyphCells
{
public:
    struct Cell
    {
        int left = 0;  // first ink column, from the device pixel the glyph's origin falls in
        QImage pixels; // the ink columns, every row of the strip; null for a blank
        int width = 0;
        const QRgb* bits = nullptr; // the pixels', `stride` to a row
        qsizetype stride = 0;
    };

    // The shared table for these parameters. `yOffset` is where the text's top falls in device pixels
    // (between 0 and 1) in images `rows` high.
    static std::shared_ptr<CGlyphCells> Get(const QFont& font, qreal dpr, QColor fg, QColor bg, qreal yOffset,
                                            int rows, QImage::Format format);

    CGlyphCells(const QFont& font, qreal dpr, QColor fg, QColor bg, qreal yOffset, int rows,
                QImage::Format format);

    // The character's advance in 1/64 logical pixels, or -1 when it has no cell (Qt draws such texts).
    int Advance64(char c) const
    {
        const int slot = Slot(c);
        return slot >= 0 && m_bUsable ? m_advance64[size_t(slot)] : -1;
    }
    // The cell of `c` with its origin `phase` (0 to 1) device pixels into a pixel.
    const Cell& CellFor(char c, qreal phase);

    // Sets up `painter`, on an image of device pixels, to draw in logical coordinates whose (0, 0) falls
    // at device position `at`: the mapping Qt gives a widget's painter in its window, so text comes out
    // in the same pixels.
    static void MapPainter(QPainter& painter, qreal dpr, QPointF at);

    bool Matches(const QFont& font, qreal dpr, QColor fg, QColor bg, qreal yOffset, int rows,
                 QImage::Format format) const;

private:
    static int Slot(char c)
    {
        if (c >= '0' && c <= '9')
            return 3 + (c - '0');
        return c == ' ' ? 0 : c == '-' ? 1 : c == '.' ? 2 : -1;
    }
    Cell Render(char c, qreal phase) const;

    struct Phased
    {
        qreal phase;
        Cell cell;
    };

    QFont m_font;
    qreal m_dpr;
    QColor m_fg;
    QColor m_bg;
    qreal m_yOffset;
    int m_nRows;
    QImage::Format m_format;
    bool m_bUsable = false; // the font lays the characters out as their advances add up
    std::array<int, 13> m_advance64{};
    std::array<std::vector<Phased>, 13> m_cells;
    // A phase on a grid of 1/256 device pixel (every phase at a ratio of 1, 1.25, 1.5 or 2): the index of
    // its cell in m_cells, plus one; 0 for one not rendered yet.
    static constexpr int kGrid = 256;
    std::array<std::array<uint16_t, kGrid>, 13> m_gridIndex{};
};
