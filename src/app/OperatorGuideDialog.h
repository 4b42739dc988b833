#ifndef OPERATORGUIDEDIALOG_H
#define OPERATORGUIDEDIALOG_H

#include <QDialog>
#include <QStringList>

class QLocale;
class QTextBrowser;

// Help → Operator's guide: how to answer, dial and end calls and what the window shows, in the
// program's language, so that it is at hand in the studio whether or not the documentation is
// installed. The guide and its pictures are compiled in.
class OperatorGuideDialog : public QDialog
{
    Q_OBJECT

public:
    explicit OperatorGuideDialog(QWidget* parent = nullptr);

    // The resource of the guide written for locale's language: the Dutch guide for Dutch,
    // the English one for every other language.
    static QString guideResource(const QLocale& locale);
    // The pictures the guide on show names, as written in it (relative to ":/guide").
    QStringList pictureNames() const;

private:
    // Shows pictures wider than width at that width.
    void fitPictures(int width);

    QTextBrowser* m_browser;
};

#endif // OPERATORGUIDEDIALOG_H
