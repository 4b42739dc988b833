#include "OperatorGuideDialog.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QImage>
#include <QLocale>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const char* const guideFolder = ":/guide";
const char* const guidePrefix = ":/guide/";
const char* const englishGuide = ":/guide/operator-guide.md";
const char* const dutchGuide = ":/guide/operator-guide.nl.md";

// Wide enough to read the control bar in a picture of the whole window.
constexpr int pictureWidth = 640;

} // namespace

OperatorGuideDialog::OperatorGuideDialog(QWidget* parent)
    : QDialog(parent)
    , m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("OperatorGuideDialog"));
    setWindowTitle(tr("Operator's guide"));
    m_browser->setObjectName(QStringLiteral("textBrowser_guide"));
    m_browser->setOpenExternalLinks(true);
    // Pictures are named relative to the guide, which is kept beside them.
    m_browser->setSearchPaths({ QLatin1String(guideFolder) });

    // The translation installed follows the default locale: the guide is in the same language.
    QFile guide(guideResource(QLocale()));
    const QString text = guide.open(QIODevice::ReadOnly) ? QString::fromUtf8(guide.readAll()) : QString();
    m_browser->setMarkdown(text.isEmpty() ? tr("The operator's guide is missing from this build.") : text);
    fitPictures(pictureWidth);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_browser);
    layout->addWidget(buttons);
    resize(pictureWidth + 100, 680);
}

QString OperatorGuideDialog::guideResource(const QLocale& locale)
{
    // Flemish studios read the Dutch guide too.
    return QLatin1String(locale.language() == QLocale::Dutch ? dutchGuide : englishGuide);
}

QStringList OperatorGuideDialog::pictureNames() const
{
    QStringList names;
    for (QTextBlock block = m_browser->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextImageFormat picture = it.fragment().charFormat().toImageFormat();
            if (picture.isValid())
                names << picture.name();
        }
    }
    return names;
}

void OperatorGuideDialog::fitPictures(int width)
{
    // Scaled smoothly once here: the document would shrink a large picture roughly, and the
    // window's texts in it would be hard to read.
    QTextDocument* document = m_browser->document();
    for (const QString& name : pictureNames()) {
        const QImage image(QLatin1String(guidePrefix) + name);
        if (image.isNull() || image.width() <= width)
            continue;
        document->addResource(
            QTextDocument::ImageResource, QUrl(name), image.scaledToWidth(width, Qt::SmoothTransformation));
    }
    document->markContentsDirty(0, document->characterCount());
}
