#include "bars/ValueField.h"

#include <QFontMetricsF>
#include <QPainter>

CValueField::CValueField(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignRight | Qt::AlignTop);
    setAutoFillBackground(true);
}

void CValueField::paintEvent(QPaintEvent* event)
{
    const QRectF box = contentsRect();
    const qreal natural = QFontMetricsF(font(), this).horizontalAdvance(text());
    if (natural <= box.width()) {
        QLabel::paintEvent(event);
        return;
    }
    // A label would cut the text off on the left: narrower instead, whole, still against the right edge.
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    painter.translate(box.topLeft());
    painter.scale(box.width() / natural, 1.0);
    painter.drawText(QRectF(0, 0, natural, box.height()), Qt::AlignRight | Qt::AlignTop | Qt::TextDontClip,
                     text());
}
