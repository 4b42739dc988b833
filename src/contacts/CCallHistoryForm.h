#ifndef CCALLHISTORYFORM_H
#define CCALLHISTORYFORM_H

#include <QDateTime>
#include <QIcon>
#include <QWidget>

#include <functional>

namespace Ui {
class CCallHistoryForm;
}

class PhonebookForm;
class QSqlQuery;
class QTableWidgetItem;
struct AppContext;

// The call history page: the last 100 calls, newest first, with direction, name or number, when
// the call began and how long it was talked; a call without a number says "Withheld number". A
// missed call we declined is told apart from one nobody answered, and one whose number was called
// afterwards says so. The producer's notes of a call stand in a column of their own, whole in its
// tool tip, with a mark for a caller who was ready for air.
// Runs of the same kind of call from the same party are folded into one row with a count. It
// can show the missed calls alone (the last 100 of them, folded the same way) and export the
// whole register, or some days of it, as CSV.
class CCallHistoryForm : public QWidget
{
    Q_OBJECT

public:
    static constexpr int MaxCalls = 100;
    enum Column {
        ColumnName,
        ColumnDate,
        ColumnDuration,
        ColumnNumber,
        ColumnContactId,
        ColumnSpare,
        ColumnNotes,
        ColumnStudio,
        ColumnCount
    };

    explicit CCallHistoryForm(AppContext* context, PhonebookForm* phonebook, QWidget* parent = nullptr);
    ~CCallHistoryForm() override;

    // The stored number of the current row; empty when there is none.
    QString selectedNumber() const;

    // Replaces the clock that tells what "today" is (local time).
    void setClock(std::function<QDateTime()> clock);

    // When a call began, as the date column shows it: date and time, after the weekday (in the
    // default locale, short) for today, the six days before and any day after.
    static QString dateText(const QString& timeDate, const QDateTime& now);
    // Talk time as hours, minutes and seconds; empty for a negative duration.
    static QString durationText(qint64 milliseconds);

public slots:
    void LoadTable();
    void on_pushButton_clear_clicked();
    void on_pushButton_export_clicked();
    void on_missedOnly_toggled(bool checked);
    void on_studioFilter_activated(int index);
    void on_tableWidget_cellDoubleClicked(int row, int column);

public:
    // The studio whose calls are shown; empty for all of them.
    QString shownStudio() const;

private:
    void setUpTable();
    // Lists the studios that calls were written by. The choice shows where there is one to make:
    // on a station's server, or where the history holds calls of more than one studio. On a
    // server it starts on this program's studio.
    void listStudios();
    // What a missed call came to: declined, called back, both; empty for any other call.
    static QString outcomeText(const QSqlQuery& call);
    // Fills one row from a call of the register.
    void setRow(int row, QTableWidgetItem* nameItem, const QSqlQuery& call, const QDateTime& now, int contactId);

    Ui::CCallHistoryForm* ui;
    AppContext* m_context;
    PhonebookForm* m_phonebook;
    std::function<QDateTime()> m_clock;
    QIcon m_icons[3];
};

#endif // CCALLHISTORYFORM_H
