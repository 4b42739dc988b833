#include "CConsole.h"
#include "ui_CConsole.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>
#include <QTime>
#include <QTimer>

namespace {
const char* const levelNames[] = { "ERROR", "WARN", "INFO", "DEBUG", "TRACE" };
}

CConsole::CConsole(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::CConsole)
    , m_trimTimer(new QTimer(this))
{
    ui->setupUi(this);
    // The document's own line limit drops the oldest line as each new one comes, and every
    // line of the pane moves with it: a line into a full pane would cost as much as the whole
    // pane. The console drops them many at once instead (trimOldest).
    QTextDocument* document = ui->textEdit->document();
    document->setUndoRedoEnabled(false);
    // Every line begins with its time stamp: left to right, without looking through its text.
    QTextOption option = document->defaultTextOption();
    option.setTextDirection(Qt::LeftToRight);
    document->setDefaultTextOption(option);
    m_trimTimer->setObjectName(QStringLiteral("trimTimer"));
    m_trimTimer->setSingleShot(true);
    m_trimTimer->setInterval(TrimPauseMs);
    connect(m_trimTimer, &QTimer::timeout, this, &CConsole::trimOldest);

    connect(this, &CConsole::error, this, &CConsole::onError);
    connect(this, &CConsole::warn, this, &CConsole::onWarn);
    connect(this, &CConsole::info, this, &CConsole::onInfo);
    connect(this, &CConsole::debug, this, &CConsole::onDebug);
    connect(this, &CConsole::_trace, this, &CConsole::onTrace);
}

CConsole::~CConsole()
{
    delete ui;
}

void CConsole::setLevelEnabled(Level level, bool enabled)
{
    levelEnabled[level] = enabled;
}

bool CConsole::isLevelEnabled(Level level) const
{
    return levelEnabled[level];
}

QString CConsole::plainText() const
{
    // Lines waiting to be dropped are gone already for whoever reads the console.
    const QTextDocument* document = ui->textEdit->document();
    const int excess = excessLines();
    if (excess == 0)
        return ui->textEdit->toPlainText();
    return ui->textEdit->toPlainText().mid(document->findBlockByNumber(excess).position());
}

int CConsole::lineCount() const
{
    // An empty pane still holds one empty paragraph.
    return ui->textEdit->document()->isEmpty() ? 0 : ui->textEdit->document()->blockCount() - excessLines();
}

int CConsole::excessLines() const
{
    return qMax(0, ui->textEdit->document()->blockCount() - MaxLines);
}

void CConsole::trimOldest()
{
    m_trimTimer->stop();
    const int excess = excessLines();
    if (excess == 0)
        return;
    QTextCursor cursor(ui->textEdit->document());
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, excess);
    // The new first line keeps its own look, not that of the first line dropped.
    const QTextCharFormat format = cursor.blockCharFormat();
    cursor.removeSelectedText();
    cursor.setBlockCharFormat(format);
}

void CConsole::onError(QString msg)
{
    appendLine(Error, QStringLiteral("#ff0000"), msg);
}

void CConsole::onWarn(QString msg)
{
    appendLine(Warn, QStringLiteral("#ff3300"), msg);
}

void CConsole::onInfo(QString msg)
{
    appendLine(Info, QStringLiteral("#ffff00"), msg);
}

void CConsole::onDebug(QString msg)
{
    appendLine(Debug, QStringLiteral("#00cc00"), msg);
}

void CConsole::onTrace(QString file, QString function, QString line, QString msg)
{
    if (!levelEnabled[Trace])
        return;
    appendLine(Trace, QStringLiteral("#009999"), QStringLiteral("{%1, %2, %3} %4").arg(file, function, line, msg));
}

void CConsole::appendLine(Level level, const QString& colour, const QString& text)
{
    if (!levelEnabled[level])
        return;
    // All fields are filled in one pass and escaped, so a '%1' or markup inside a message is
    // shown as it is and never re-interpreted.
    const QString time = QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz"));
    ui->textEdit->append(QStringLiteral("<span style= \"color:%1;\">[%2 %3] %4</span>")
                             .arg(colour, time, QLatin1String(levelNames[level]), text.toHtmlEscaped()));
    const int excess = excessLines();
    if (excess >= TrimSlack)
        trimOldest();
    else if (excess > 0)
        m_trimTimer->start();
}
