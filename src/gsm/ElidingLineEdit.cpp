#include "ElidingLineEdit.h"

#include "TextFit.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolTip>

namespace {

// The margins QLineEdit keeps between its contents rectangle and its text.
constexpr int HorizontalMargin = 2;
constexpr int VerticalMargin = 1;

} // namespace

ElidingLineEdit::ElidingLineEdit(QWidget* parent)
    : QLineEdit(parent)
{
    QPalette readable = palette();
    readable.setColor(QPalette::Disabled, QPalette::Text, readable.color(QPalette::Active, QPalette::Text));
    setPalette(readable);
}

QRect ElidingLineEdit::textRect() const
{
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    return contents.marginsRemoved(textMargins())
        .adjusted(HorizontalMargin, VerticalMargin, -HorizontalMargin, -VerticalMargin);
}

QString ElidingLineEdit::shownText() const
{
    return TextFit::fit(text(), font(), textRect().width(), font().pointSizeF()).text;
}

void ElidingLineEdit::setReservedTexts(const QStringList& texts)
{
    m_reservedTexts = texts;
    updateGeometry();
}

int ElidingLineEdit::widthFor(const QString& text) const
{
    // As QLineEdit measures itself, with the text in place of its usual seventeen x.
    const QMargins margins = textMargins() + contentsMargins();
    const int contents
        = fontMetrics().horizontalAdvance(text) + 2 * HorizontalMargin + margins.left() + margins.right();
    QStyleOptionFrame option;
    initStyleOption(&option);
    return style()->sizeFromContents(QStyle::CT_LineEdit, &option, QSize(contents, height()), this).width() + 1;
}

QSize ElidingLineEdit::sizeHint() const
{
    return QLineEdit::sizeHint().expandedTo(minimumSizeHint());
}

QSize ElidingLineEdit::minimumSizeHint() const
{
    QSize hint = QLineEdit::minimumSizeHint();
    for (const QString& reserved : m_reservedTexts)
        hint.setWidth(qMax(hint.width(), widthFor(reserved)));
    return hint;
}

bool ElidingLineEdit::event(QEvent* event)
{
    // Only a shortened text has more to tell than the field shows.
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        const QString shown = shownText();
        if (shown != text())
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QLineEdit::event(event);
}

void ElidingLineEdit::paintEvent(QPaintEvent* event)
{
    const QString shown = shownText();
    if (shown == text()) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOptionFrame option;
    initStyleOption(&option);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(textRect(), Qt::AlignLeft | Qt::AlignVCenter, shown);
}
