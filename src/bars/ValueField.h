#pragma once
// The values of an axis bar: right-aligned number texts that change at every tick. Each is a control of
// its own (ID, object name, accessible text: the text shown); the bar's one CValueStrip draws them as a
// label would, repainting only the changed ones. A text too wide is drawn condensed, whole.

#include <QPointer>
#include <QWidget>
#include <array>
#include <memory>

struct CNumberGlyphs;
class CValueStrip;

class CValueField : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString text READ Text WRITE SetText)

public:
    explicit CValueField(QWidget* parent);

    // Shows `text`; nothing is repainted when it is the text already shown.
    void SetText(const QString& text);
    QString Text() const { return m_strText; }

private:
    friend class CValueStrip;
    QString m_strText;
    QPointer<CValueStrip> m_pStrip;
};

// Lies over the fields, its siblings: one widget repainted per bar, not one per value.
class CValueStrip : public QWidget
{
    Q_OBJECT

public:
    // The four fields and the strip are children of one bar, deleted with it in any order.
    CValueStrip(QWidget* parent, const std::array<CValueField*, 4>& fields);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<QPointer<CValueField>, 4> m_fields;
    std::shared_ptr<const CNumberGlyphs> m_pGlyphs; // of the fields' font
};
