#include "CConsole.h"
#include "ui_CConsole.h"

#include <QTextDocument>
#include <QTime>

namespace {
const char* const levelNames[] = { "ERROR", "WARN", "INFO", "DEBUG", "TRACE" };
}

CConsole::CConsole(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::CConsole)
{
    ui->setupUi(this);
    ui->textEdit->document()->setMaximumBlockCount(MaxLines);

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
    return ui->textEdit->toPlainText();
}

int CConsole::lineCount() const
{
    // An empty pane still holds one empty paragraph.
    return ui->textEdit->document()->isEmpty() ? 0 : ui->textEdit->document()->blockCount();
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
}
