#ifndef EVENTJOURNAL_H
#define EVENTJOURNAL_H

#include <QDateTime>
#include <QObject>
#include <QStringList>

#include <functional>

class QThread;

// What happened overnight, kept past the console's last lines and past the program's end: every
// console event (information, warnings, errors) and each call's begin and end. With a systemd
// journal the events go there with their priority and fields (identifier "parlona-control",
// PARLONA_EVENT, PARLONA_UNIT, PARLONA_NUMBER), so that "journalctl --user -t parlona-control"
// shows the night; without one they go to a size-bounded rotating file in the user's state
// folder. The writing happens on a thread of its own: a slow disk never holds the window up.
class EventJournal : public QObject
{
    Q_OBJECT

public:
    enum Sink { Automatic, Journal, File };
    // Syslog priorities, as the journal has them.
    enum Priority { Error = 3, Warning = 4, Info = 6 };

    static constexpr qint64 MaxFileBytes = 1024 * 1024;
    // The file in use and the older ones kept beside it (events.log.1, .2).
    static constexpr int KeptFiles = 3;

    // The journal where one runs (unless the environment has PARLONA_EVENTS=file), otherwise the
    // file in the user's state folder ($XDG_STATE_HOME/parlona-control, ~/.local/state by default).
    explicit EventJournal(QObject* parent = nullptr);
    // The given sink; the file lives in folder.
    EventJournal(Sink sink, const QString& folder, QObject* parent = nullptr);
    // Writes what is still waiting.
    ~EventJournal() override;

    bool usesJournal() const;
    // The events file (also when the journal is used, where it is not written).
    QString fileName() const;
    // Whether this system has a journal to write to.
    static bool journalRuns();
    // The last lines of an events file, with their dates, oldest first; the rotated file before
    // it is read too when the file alone has fewer.
    static QStringList recentEvents(const QString& fileName, int count);

    // The hybrid each event is about (its serial number), asked as the event is recorded: two
    // units' programs write into one journal, and each event says whose it is. Empty: none named.
    void setUnit(std::function<QString()> serial);

public slots:
    void record(int priority, const QString& message, const QString& event, const QString& number = QString());
    void onInfo(QString message);
    void onWarning(QString message);
    void onError(QString message);
    // A call begins: one rings, or one is placed.
    void onCallBegins(QString number, bool incoming);
    // As CCallRegistration::callRecorded(): the end of a call, with its number and talk time.
    void onCallRecorded(QString number, int type, QDateTime start, qint64 talkMs);

private:
    QThread* m_thread;
    QObject* m_writer;
    bool m_journal;
    QString m_fileName;
    std::function<QString()> m_unit;
};

#endif // EVENTJOURNAL_H
