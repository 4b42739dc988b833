#include "EventJournal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QStandardPaths>
#include <QThread>

#include <sys/uio.h>
#include <systemd/sd-journal.h>

#include <vector>

namespace {

const char* const identifier = "parlona-control";

QString stateFolder()
{
    // XDG_STATE_HOME, which Qt 5 has no name for: ~/.local/state by default.
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    return (state.isEmpty() ? QDir::homePath() + QStringLiteral("/.local/state") : state)
        + QStringLiteral("/parlona-control");
}

// Lives on the journal's thread; everything it does may take its time.
class Writer : public QObject
{
public:
    Writer(bool journal, const QString& fileName)
        : m_journal(journal)
        , m_fileName(fileName)
    {
    }

    void write(int priority, const QString& message, const QString& event, const QString& unit, const QString& number)
    {
        if (m_journal) {
            QList<QByteArray> fields { "MESSAGE=" + message.toUtf8(), "PRIORITY=" + QByteArray::number(priority),
                QByteArray("SYSLOG_IDENTIFIER=") + identifier, "PARLONA_EVENT=" + event.toUtf8() };
            if (!unit.isEmpty())
                fields << "PARLONA_UNIT=" + unit.toUtf8();
            if (!number.isEmpty())
                fields << "PARLONA_NUMBER=" + number.toUtf8();
            std::vector<iovec> parts;
            for (QByteArray& field : fields)
                parts.push_back({ field.data(), static_cast<size_t>(field.size()) });
            sd_journal_sendv(parts.data(), static_cast<int>(parts.size()));
            return;
        }
        rotateIfFull();
        QFile file(m_fileName);
        if (!QDir().mkpath(QFileInfo(m_fileName).path()) || !file.open(QIODevice::Append | QIODevice::Text))
            return;
        static const char* const levels[] = { "", "", "", "error", "warning", "", "info" };
        const QString level = QLatin1String(priority >= 0 && priority <= 6 ? levels[priority] : "");
        QString line = QDateTime::currentDateTime().toString(Qt::ISODate) + QLatin1Char(' ') + level
            + (event == level ? QString() : QLatin1Char(' ') + event)
            + (unit.isEmpty() ? QString() : QStringLiteral(" unit=") + unit)
            + (number.isEmpty() ? QString() : QStringLiteral(" number=") + number) + QStringLiteral(": ")
            + QString(message).replace(QLatin1Char('\n'), QLatin1Char(' '));
        file.write(line.toUtf8() + '\n');
    }

private:
    void rotateIfFull()
    {
        if (QFileInfo(m_fileName).size() < EventJournal::MaxFileBytes)
            return;
        for (int older = EventJournal::KeptFiles - 1; older >= 1; --older) {
            const QString from = older == 1 ? m_fileName : m_fileName + QStringLiteral(".%1").arg(older - 1);
            const QString to = m_fileName + QStringLiteral(".%1").arg(older);
            QFile::remove(to);
            QFile::rename(from, to);
        }
    }

    bool m_journal;
    QString m_fileName;
};

} // namespace

EventJournal::EventJournal(QObject* parent)
    // PARLONA_EVENTS=file keeps the events in the file even where a journal runs.
    : EventJournal(
        qEnvironmentVariable("PARLONA_EVENTS") == QLatin1String("file") ? File : Automatic, stateFolder(), parent)
{
}

EventJournal::EventJournal(Sink sink, const QString& folder, QObject* parent)
    : QObject(parent)
    , m_thread(new QThread(this))
    , m_journal(sink == Journal || (sink == Automatic && journalRuns()))
    , m_fileName(QDir(folder).filePath(QStringLiteral("events.log")))
{
    m_thread->setObjectName(QStringLiteral("eventJournal"));
    m_writer = new Writer(m_journal, m_fileName);
    m_writer->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_writer, &QObject::deleteLater);
    m_thread->start(QThread::LowPriority);
}

EventJournal::~EventJournal()
{
    // The thread works off what was posted to it before it ends: the request to end comes last.
    QThread* thread = m_thread;
    QMetaObject::invokeMethod(
        m_writer, [thread] { thread->quit(); }, Qt::QueuedConnection);
    m_thread->wait();
}

bool EventJournal::usesJournal() const
{
    return m_journal;
}

QString EventJournal::fileName() const
{
    return m_fileName;
}

bool EventJournal::journalRuns()
{
    return QFileInfo::exists(QStringLiteral("/run/systemd/journal/socket"));
}

void EventJournal::record(int priority, const QString& message, const QString& event, const QString& number)
{
    auto* writer = static_cast<Writer*>(m_writer);
    const QString unit = m_unit ? m_unit() : QString();
    QMetaObject::invokeMethod(
        m_writer,
        [writer, priority, message, event, unit, number] { writer->write(priority, message, event, unit, number); },
        Qt::QueuedConnection);
}

void EventJournal::setUnit(std::function<QString()> serial)
{
    m_unit = std::move(serial);
}

void EventJournal::onInfo(QString message)
{
    record(Info, message, QStringLiteral("info"));
}

void EventJournal::onWarning(QString message)
{
    record(Warning, message, QStringLiteral("warning"));
}

void EventJournal::onError(QString message)
{
    record(Error, message, QStringLiteral("error"));
}

void EventJournal::onCallBegins(QString number, bool incoming)
{
    record(Info,
        incoming ? QStringLiteral("call from %1 rings").arg(number) : QStringLiteral("call to %1 placed").arg(number),
        QStringLiteral("call-begin"), number);
}

void EventJournal::onCallRecorded(QString number, int type, QDateTime start, qint64 talkMs)
{
    static const char* const kinds[] = { "incoming, answered", "outgoing", "incoming, missed" };
    const QString kind = QLatin1String(type >= 0 && type <= 2 ? kinds[type] : "unknown");
    record(Info,
        QStringLiteral("call with %1 (%2) that began %3 ended after %4 s talked")
            .arg(number, kind, start.toString(Qt::ISODate))
            .arg(talkMs / 1000),
        QStringLiteral("call-end"), number);
}

QStringList EventJournal::recentEvents(const QString& fileName, int count)
{
    QStringList lines;
    for (const QString& name : { fileName, fileName + QStringLiteral(".1") }) {
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        QStringList these = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        lines = these + lines;
        if (lines.size() >= count)
            break;
    }
    return lines.mid(std::max(0, int(lines.size()) - count));
}
