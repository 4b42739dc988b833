#include "EventLogDialog.h"

#include "EventJournal.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScrollBar>
#include <QVBoxLayout>

EventLogDialog::EventLogDialog(const EventJournal* journal, QWidget* parent)
    : QDialog(parent)
    , m_view(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("EventLogDialog"));
    setWindowTitle(tr("Event log"));
    m_view->setObjectName(QStringLiteral("plainTextEdit_events"));
    m_view->setReadOnly(true);
    m_view->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view);
    layout->addWidget(buttons);
    resize(760, 480);

    if (journal->usesJournal()) {
        readJournal();
        return;
    }
    const QStringList events = EventJournal::recentEvents(journal->fileName(), ShownEvents);
    m_view->setPlainText(events.isEmpty() ? tr("No events recorded yet.") : events.join(QLatin1Char('\n')));
    m_view->verticalScrollBar()->setValue(m_view->verticalScrollBar()->maximum());
}

QString EventLogDialog::text() const
{
    return m_view->toPlainText();
}

void EventLogDialog::readJournal()
{
    // Read beside the program: a large journal takes its time.
    m_view->setPlainText(tr("Reading the journal..."));
    m_journalctl = new QProcess(this);
    connect(m_journalctl, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this, [this] {
        const QString events = QString::fromUtf8(m_journalctl->readAllStandardOutput()).trimmed();
        m_view->setPlainText(events.isEmpty() ? tr("No events recorded yet.") : events);
        m_view->verticalScrollBar()->setValue(m_view->verticalScrollBar()->maximum());
    });
    connect(m_journalctl, &QProcess::errorOccurred, this, [this] {
        m_view->setPlainText(tr("The journal could not be read: %1").arg(m_journalctl->errorString()));
    });
    m_journalctl->start(QStringLiteral("journalctl"),
        { QStringLiteral("--user"), QStringLiteral("-t"), QStringLiteral("parlona-control"), QStringLiteral("-n"),
            QString::number(ShownEvents), QStringLiteral("-o"), QStringLiteral("short-iso"), QStringLiteral("--no-pager") });
}
