#include "FittingLabel.h"

#include "PlainToolTip.h"
#include "TextFit.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

FittingLabel::FittingLabel(QWidget* parent)
    : QLabel(parent)
{
    // Names and notes are shown as they were typed, never read as markup.
    setTextFormat(Qt::PlainText);
}

void FittingLabel::setMinimumPointSize(qreal pointSize)
{
    m_minimumPointSize = pointSize;
    update();
}

QFont FittingLabel::shownFont() const
{
    return TextFit::fit(text(), font(), contentsRect().width(), m_minimumPointSize).font;
}

QString FittingLabel::shownText() const
{
    return TextFit::fit(text(), font(), contentsRect().width(), m_minimumPointSize).text;
}

QSize FittingLabel::minimumSizeHint() const
{
    const QMargins margins = contentsMargins();
    return QSize(fontMetrics().horizontalAdvance(QStringLiteral("\u2026")) + margins.left() + margins.right(),
        QLabel::minimumSizeHint().height());
}

bool FittingLabel::event(QEvent* event)
{
    // Only a shortened text has more to tell than the label shows.
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        if (shownText() != text())
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), plainToolTip(text()), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QLabel::event(event);
}

void FittingLabel::paintEvent(QPaintEvent* event)
{
    const TextFit::Fitted fitted = TextFit::fit(text(), font(), contentsRect().width(), m_minimumPointSize);
    if (fitted.text == text() && fitted.font == font()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    drawFrame(&painter);
    painter.setFont(fitted.font);
    style()->drawItemText(
        &painter, contentsRect(), int(alignment()), palette(), isEnabled(), fitted.text, foregroundRole());
}
