#ifndef EVENTLOGDIALOG_H
#define EVENTLOGDIALOG_H

#include <QDialog>

class EventJournal;
class QPlainTextEdit;
class QProcess;

// Help -> Show event log: the recent events with their dates, from the journal (through
// journalctl, which runs beside the program) or from the events file.
class EventLogDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int ShownEvents = 500;

    EventLogDialog(const EventJournal* journal, QWidget* parent = nullptr);

    QString text() const;

private:
    void readJournal();

    QPlainTextEdit* m_view;
    QProcess* m_journalctl = nullptr;
};

#endif // EVENTLOGDIALOG_H
