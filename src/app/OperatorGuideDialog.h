#ifndef OPERATORGUIDEDIALOG_H
#define OPERATORGUIDEDIALOG_H

#include <QDialog>

class QTextBrowser;

// Help → Operator's guide: the README's section for operators, shown in the program, so that
// it is at hand in the studio whether or not the documentation is installed.
class OperatorGuideDialog : public QDialog
{
    Q_OBJECT

public:
    explicit OperatorGuideDialog(QWidget* parent = nullptr);

    // The section headed "## Operating the program" of a README in Markdown, heading included,
    // up to the next heading of that level; empty when there is none.
    static QString operatorSection(const QString& readme);

private:
    // Scales pictures wider than width down to it.
    void fitPictures(int width);

    QTextBrowser* m_browser;
};

#endif // OPERATORGUIDEDIALOG_H
