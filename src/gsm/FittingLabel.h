#ifndef FITTINGLABEL_H
#define FITTINGLABEL_H

#include <QLabel>
#include <QString>

// A one-line label for a number or a name that must be read whole: when its text is wider than
// the label, the font shrinks down to a smallest size, and only below that is the text cut in the
// middle, with the whole text in the tool tip. text() is always the whole text.
class FittingLabel : public QLabel
{
    Q_OBJECT

public:
    static constexpr qreal DefaultMinimumPointSize = 9.0;

    explicit FittingLabel(QWidget* parent = nullptr);

    void setMinimumPointSize(qreal pointSize);
    // The font and text as they are drawn at the label's present width.
    QFont shownFont() const;
    QString shownText() const;
    // Narrow: the font shrinks rather than the label pushing its neighbours aside.
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    qreal m_minimumPointSize = DefaultMinimumPointSize;
};

#endif // FITTINGLABEL_H
