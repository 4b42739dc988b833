#include "OperatorGuideDialog.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QImage>
#include <QVBoxLayout>

namespace {

const QString guideResource = QStringLiteral(":/guide/README.md");
const char* const sectionHeading = "## Operating the program";

} // namespace

OperatorGuideDialog::OperatorGuideDialog(QWidget* parent)
    : QDialog(parent)
    , m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("OperatorGuideDialog"));
    setWindowTitle(tr("Operator's guide"));
    m_browser->setObjectName(QStringLiteral("textBrowser_guide"));
    m_browser->setOpenExternalLinks(true);
    // Pictures are named relative to the README, which is kept beside them.
    m_browser->setSearchPaths({ QStringLiteral(":/guide") });

    QFile readme(guideResource);
    const QString text = readme.open(QIODevice::ReadOnly) ? QString::fromUtf8(readme.readAll()) : QString();
    const QString section = operatorSection(text);
    m_browser->setMarkdown(section.isEmpty() ? tr("The operator's guide is missing from this build.") : section);
    fitPictures(560);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_browser);
    layout->addWidget(buttons);
    resize(720, 640);
}

void OperatorGuideDialog::fitPictures(int width)
{
    // Screenshots are taken at twice the size they are meant to be seen at.
    QTextCursor cursor(m_browser->document());
    for (QTextBlock block = m_browser->document()->begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            QTextImageFormat picture = fragment.fragment().charFormat().toImageFormat();
            if (!picture.isValid())
                continue;
            const QImage image(QStringLiteral(":/guide/") + picture.name());
            if (image.isNull() || image.width() <= width)
                continue;
            picture.setWidth(width);
            picture.setHeight(image.height() * width / image.width());
            cursor.setPosition(fragment.fragment().position());
            cursor.setPosition(fragment.fragment().position() + fragment.fragment().length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(picture);
        }
    }
}

QString OperatorGuideDialog::operatorSection(const QString& readme)
{
    const QString heading = QLatin1String(sectionHeading);
    int start = readme.startsWith(heading + QLatin1Char('\n')) ? 0 : readme.indexOf(QLatin1Char('\n') + heading + QLatin1Char('\n'));
    if (start < 0)
        return QString();
    if (start > 0)
        ++start;
    // The next heading of the same level ends it; "###" and deeper belong to it.
    const int end = readme.indexOf(QLatin1String("\n## "), start + heading.size());
    return readme.mid(start, end < 0 ? -1 : end - start + 1);
}
