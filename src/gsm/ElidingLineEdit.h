#ifndef ELIDINGLINEEDIT_H
#define ELIDINGLINEEDIT_H

#include <QLineEdit>
#include <QString>
#include <QStringList>

// A line edit that shows a number, a name or a codec to be read, not typed. It asks its layout for
// the room of its reserved texts (the longest number, the longest codec), and no more whatever it
// shows, so that the buttons beside it stay put as calls come and go. A text wider than the field
// shows its beginning and end with "…" between them, and whole in the tool tip. text() is always
// the whole text. The text is drawn in the normal text colour also while the field is disabled,
// so that it stays readable.
class ElidingLineEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit ElidingLineEdit(QWidget* parent = nullptr);

    // The text as it is drawn at the field's present width.
    QString shownText() const;
    // The field's least and preferred width are those of the widest of these texts (none: a line
    // edit's own).
    void setReservedTexts(const QStringList& texts);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Where the text is drawn, inside the frame and the line edit's own margins.
    QRect textRect() const;
    // The width of the field that shows text whole.
    int widthFor(const QString& text) const;

    QStringList m_reservedTexts;
};

#endif // ELIDINGLINEEDIT_H
