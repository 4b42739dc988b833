#include "TextFit.h"

#include <QFontMetricsF>

namespace {

constexpr qreal PointStep = 0.5;

bool fits(const QString& text, const QFont& font, int width)
{
    return QFontMetricsF(font).horizontalAdvance(text) <= width;
}

} // namespace

TextFit::Fitted TextFit::fit(const QString& text, const QFont& font, int width, qreal minPointSize)
{
    QFont shrunk = font;
    if (font.pointSizeF() > 0) {
        for (qreal size = font.pointSizeF(); !fits(text, shrunk, width) && size - PointStep >= minPointSize;) {
            size -= PointStep;
            shrunk.setPointSizeF(size);
        }
    }
    if (fits(text, shrunk, width))
        return { shrunk, text };
    return { shrunk, QFontMetricsF(shrunk).elidedText(text, Qt::ElideMiddle, qMax(0, width)) };
}
