#pragma once
// The values of an axis bar: right-aligned number texts that change at every tick. Each value is a
// control of its own (its ID, object name and accessible text, which is the text shown); the bar's one
// CValueStrip draws them all from glyph cells, repainting only the fields whose text changed.

#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <memory>
#include <string_view>
#include <vector>

class CGlyphCells;
class CValueStrip;

class CValueField : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString text READ Text WRITE SetText)

public:
    static constexpr int kMaxText = 400;

    explicit CValueField(QWidget* parent);

    // Shows `text`; nothing is repainted when it is the text already shown.
    void SetText(std::string_view text);
    void SetText(const QString& text);
    QString Text() const;
    std::string_view View() const { return {m_text.data(), size_t(m_nLength)}; }
    // Counts the changes of the text: the same number, the same text.
    unsigned Serial() const { return m_nSerial; }

private:
    friend class CValueStrip;
    QPointer<CValueStrip> m_pStrip;
    int m_nIndex = 0;
    int m_nLength = 0;
    unsigned m_nSerial = 0;
    std::array<char, kMaxText> m_text{};
};

// Lies over its fields, which are its siblings, and draws them: each into the strip's image when its text
// changed, then the changed parts of the image onto the screen. A text wider than its field is drawn
// condensed to the field's width, whole.
class CValueStrip : public QWidget
{
    Q_OBJECT

public:
    // The fields and the strip are children of one bar, deleted with it in any order.
    CValueStrip(QWidget* parent, std::vector<CValueField*> fields);

    void FieldChanged(int index);

    // While one is held, the fields' changes are gathered and repainted as one, when it ends.
    class CBatch
    {
    public:
        explicit CBatch(CValueStrip* pStrip) : m_pStrip(pStrip)
        {
            if (m_pStrip)
                m_pStrip->m_bBatch = true;
        }
        ~CBatch()
        {
            if (m_pStrip)
                m_pStrip->EndBatch();
        }
        CBatch(const CBatch&) = delete;
        CBatch& operator=(const CBatch&) = delete;

    private:
        CValueStrip* m_pStrip;
    };

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // What a field's image holds when it was drawn from cells: per character, its origin and its ink's
    // device columns.
    struct Drawn
    {
        bool bCells = false;
        int length = 0;
        std::array<char, 24> chars{};
        std::array<qreal, 24> origins{};
        std::array<int, 24> starts{};
        std::array<int, 24> ends{};
    };

    bool Prepare(QImage::Format format);
    bool Blit(QImage& target, QPoint place, const QRegion& region) const;
    void EndBatch();
    void Fill(int from, int to);
    QRect Compose(int index);
    bool ComposeFromCells(int index, QPointF at, int first, int end, int& from, int& to);
    void ComposeWithQt(const CValueField& field, QPointF at, int first, int end);

    std::vector<CValueField*> m_fields;
    unsigned m_nDirty = ~0u;
    std::shared_ptr<CGlyphCells> m_pCells;
    QImage m_image;
    QPoint m_origin; // the image's pixel (0, 0) in device pixels of the window
    QPoint m_windowPos;
    qreal m_dpr = 0;
    QFont m_font;
    QColor m_fg;
    QColor m_bg;
    std::vector<Drawn> m_drawn;
    bool m_bBatch = false;
    QRect m_pending; // changed while a batch was held
};
