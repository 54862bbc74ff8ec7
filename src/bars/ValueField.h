#pragma once
// One of the four values of an axis bar: a right-aligned label of plain text that fills its own
// background, so that a changed value repaints the label alone, not the bar beneath it. A text wider
// than the field is drawn condensed, whole, against the right edge.

#include <QLabel>

class CValueField : public QLabel
{
    Q_OBJECT

public:
    explicit CValueField(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};
