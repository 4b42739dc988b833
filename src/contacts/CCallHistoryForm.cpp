#include "CCallHistoryForm.h"
#include "ui_CCallHistoryForm.h"

#include "AppContext.h"
#include "CDatabase.h"
#include "CallHistoryExport.h"
#include "CallNoteText.h"
#include "CallParty.h"
#include "CallRegisterTable.h"
#include "ContactDialog.h"
#include "ExportRangeDialog.h"
#include "LogCategories.h"
#include "PhonebookForm.h"
#include "PlainToolTip.h"

#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLocale>
#include <QMessageBox>
#include <QSqlQuery>
#include <QStandardPaths>

namespace {

const char* const iconFiles[] = {
    ":/resources/png/baseline_call_received_black_48dp.png", // incoming
    ":/resources/png/baseline_call_made_black_48dp.png",     // outgoing
    ":/resources/png/baseline_call_missed_black_48dp.png",   // missed
};

} // namespace

CCallHistoryForm::CCallHistoryForm(AppContext* context, PhonebookForm* phonebook, QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::CCallHistoryForm)
    , m_context(context)
    , m_phonebook(phonebook)
    , m_clock([] { return QDateTime::currentDateTime(); })
{
    ui->setupUi(this);
    for (int type = 0; type < 3; ++type)
        m_icons[type] = QIcon(QLatin1String(iconFiles[type]));
    if (m_context->database->isServer())
        ui->studioFilter->addItem(m_context->database->studio(), m_context->database->studio());
    LoadTable();
}

void CCallHistoryForm::listStudios()
{
    CDatabase* database = m_context->database;
    const QString shown = ui->studioFilter->count() > 0 ? shownStudio() : QString();
    QStringList studios = CallRegisterTable::studios(database);
    studios.removeAll(QString());
    if (!studios.contains(database->studio()))
        studios.append(database->studio());
    ui->studioFilter->clear();
    ui->studioFilter->addItem(tr("All studios"), QString());
    for (const QString& studio : qAsConst(studios))
        ui->studioFilter->addItem(studio, studio);
    ui->studioFilter->setCurrentIndex(qMax(0, ui->studioFilter->findData(shown)));
    ui->studioFilter->setVisible(database->isServer() || studios.size() > 1);
}

QString CCallHistoryForm::shownStudio() const
{
    return ui->studioFilter->isHidden() ? QString() : ui->studioFilter->currentData().toString();
}

void CCallHistoryForm::on_studioFilter_activated(int /*index*/)
{
    LoadTable();
}

CCallHistoryForm::~CCallHistoryForm()
{
    delete ui;
}

void CCallHistoryForm::setClock(std::function<QDateTime()> clock)
{
    m_clock = std::move(clock);
}

void CCallHistoryForm::setUpTable()
{
    QTableWidget* table = ui->tableWidget;
    table->setRowCount(0);
    table->setColumnCount(ColumnCount);
    table->horizontalHeader()->setStretchLastSection(false);
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    table->setColumnHidden(ColumnNumber, true);
    table->setColumnHidden(ColumnContactId, true);
    table->setColumnHidden(ColumnSpare, true);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    // The name takes the room that the date and the talk time leave, so those are never cut.
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->horizontalHeader()->setSectionResizeMode(ColumnDate, QHeaderView::ResizeToContents);
    table->horizontalHeader()->setSectionResizeMode(ColumnDuration, QHeaderView::ResizeToContents);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(10);
    table->setColumnWidth(ColumnSpare, 12);
    table->horizontalHeader()->setSectionResizeMode(ColumnStudio, QHeaderView::ResizeToContents);
}

void CCallHistoryForm::LoadTable()
{
    CDatabase* database = m_context->database;
    // A station's server out of reach leaves the calls shown as they were, rather than none: they
    // are read again once it is back.
    if (database->isUnreachable())
        return;
    listStudios();
    const QString studio = shownStudio();
    QSqlQuery calls = ui->missedOnly->isChecked() ? CallRegisterTable::newestMissed(database, MaxCalls, studio)
                                                  : CallRegisterTable::newest(database, MaxCalls, studio);
    if (!calls.isActive() && database->isUnreachable())
        return;
    setUpTable();
    QTableWidget* table = ui->tableWidget;
    const QDateTime now = m_clock();
    // Whose call it was, where calls of several studios are shown together.
    table->setColumnHidden(ColumnStudio, !studio.isEmpty() || ui->studioFilter->isHidden());
    QString lastKind;
    int repeats = 0;
    QIcon icon;
    bool anyNotes = false;
    while (calls.next()) {
        const int type = calls.value(CallRegisterTable::CallType).toInt();
        const QString number = calls.value(CallRegisterTable::PhoneNumber).toString();
        const CDatabase::ContactMatch contact = database->matchContact(number);
        const QString name = number.isEmpty() ? CallParty::withheldText() : contact.name;
        if (type >= 0 && type < 3)
            icon = m_icons[type];

        // Calls fold when they are of one kind and party: declined and missed ones apart, and
        // missed ones called back apart from those not.
        // Calls with notes of their own are told apart too.
        const QString outcome = outcomeText(calls);
        const QString notes = CallNoteText::details(CallRegisterTable::note(calls));
        anyNotes = anyNotes || !notes.isEmpty();
        const QString kind = QString::number(type) + outcome + QLatin1Char('|') + name + QLatin1Char('|') + notes;
        QString shown = name;
        if (kind != lastKind) {
            table->insertRow(table->rowCount());
            lastKind = kind;
            repeats = 0;
        } else {
            shown += tr(" (%1)").arg(++repeats + 1);
        }
        if (!outcome.isEmpty())
            shown += QStringLiteral(" \u2013 ") + outcome;
        // A folded row takes the items of each further call of its run.
        setRow(table->rowCount() - 1, new QTableWidgetItem(icon, shown), calls, now, contact.id);
    }
    // Where no producer writes notes, the names keep the whole width.
    table->setColumnHidden(ColumnNotes, !anyNotes);
}

QString CCallHistoryForm::outcomeText(const QSqlQuery& call)
{
    if (call.value(CallRegisterTable::CallType).toInt() != CallRegisterTable::Missed)
        return QString();
    const bool calledBack = call.value(CallRegisterTable::CalledBack).toBool();
    if (call.value(CallRegisterTable::Declined).toBool())
        return calledBack ? tr("declined, called back") : tr("declined");
    return calledBack ? tr("called back") : QString();
}

void CCallHistoryForm::setRow(
    int row, QTableWidgetItem* nameItem, const QSqlQuery& call, const QDateTime& now, int contactId)
{
    QTableWidget* table = ui->tableWidget;
    // Missed in red; declined in a darker orange: someone saw it and chose.
    if (call.value(CallRegisterTable::CallType).toInt() == CallRegisterTable::Missed)
        nameItem->setForeground(
            call.value(CallRegisterTable::Declined).toBool() ? QColor(200, 100, 0) : QColor(255, 0, 0));
    table->setItem(row, ColumnName, nameItem);
    table->setItem(
        row, ColumnDate, new QTableWidgetItem(dateText(call.value(CallRegisterTable::TimeDate).toString(), now)));
    table->setItem(
        row, ColumnDuration, new QTableWidgetItem(durationText(call.value(CallRegisterTable::Duration).toLongLong())));
    table->setItem(row, ColumnNumber, new QTableWidgetItem(call.value(CallRegisterTable::PhoneNumber).toString()));
    table->setItem(row, ColumnContactId, new QTableWidgetItem(QString::number(contactId)));
    const CallNote note = CallRegisterTable::note(call);
    auto* notes = new QTableWidgetItem(CallNoteText::line(note));
    notes->setToolTip(plainToolTip(CallNoteText::details(note)));
    if (note.readyForAir)
        notes->setForeground(QColor(0, 120, 0));
    table->setItem(row, ColumnNotes, notes);
    table->setItem(row, ColumnStudio, new QTableWidgetItem(call.value(CallRegisterTable::Studio).toString()));
}

QString CCallHistoryForm::dateText(const QString& timeDate, const QDateTime& now)
{
    // Date and time are taken as written: no time zone is applied to either.
    const QDateTime when = QDateTime::fromString(timeDate, Qt::ISODate);
    const QDate date = when.date();
    const QTime time = when.time();
    if (!date.isValid() || !time.isValid())
        return QString();

    const QString dateAndClock = QLocale::c().toString(date, QStringLiteral("dd.MM.yyyy")) + QLatin1Char(' ')
        + QLocale::c().toString(time, QStringLiteral("HH:mm"));
    const qint64 daysAgo = now.date().toJulianDay() - date.toJulianDay();
    // Today, the last six days and any day after today are named by their weekday as well.
    if (daysAgo < 7)
        return QLocale().dayName(date.dayOfWeek(), QLocale::ShortFormat) + QLatin1Char(' ') + dateAndClock;
    return dateAndClock;
}

QString CCallHistoryForm::durationText(qint64 milliseconds)
{
    // Shown as a time of day: a day or more, or a negative time, has no such form.
    constexpr qint64 day = 24 * 60 * 60 * 1000;
    if (milliseconds < 0 || milliseconds >= day)
        return QString();
    const qint64 seconds = milliseconds / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString CCallHistoryForm::selectedNumber() const
{
    const QTableWidgetItem* item = ui->tableWidget->item(ui->tableWidget->currentRow(), ColumnNumber);
    return item ? item->text() : QString();
}

void CCallHistoryForm::on_pushButton_clear_clicked()
{
    CDatabase* database = m_context->database;
    // There is no undo: the operator sees what goes before it goes. With one studio shown, only
    // its calls go.
    const QString studio = shownStudio();
    const int calls = CallRegisterTable::finishedCount(database, studio);
    if (calls <= 0) {
        LoadTable();
        return;
    }
    QString asked = calls == 1 ? tr("Clear the one call from the history?")
                               : tr("Clear all %1 calls from the history?").arg(calls);
    if (!studio.isEmpty())
        asked = calls == 1 ? tr("Clear the one call of %1 from the history?").arg(studio)
                           : tr("Clear all %1 calls of %2 from the history?").arg(calls).arg(studio);
    QMessageBox question(QMessageBox::Question, tr("Clear"), asked, QMessageBox::Yes | QMessageBox::No, this);
    question.setInformativeText(tr("The calls cannot be brought back."));
    question.setDefaultButton(QMessageBox::No);
    if (question.exec() != QMessageBox::Yes)
        return;
    // The reason, if any, is on the console already; this says what it cost.
    if (!CallRegisterTable::clear(database, studio))
        database->report(tr("The call history was not cleared"));
    LoadTable();
}

void CCallHistoryForm::on_missedOnly_toggled(bool /*checked*/)
{
    LoadTable();
}

void CCallHistoryForm::on_pushButton_export_clicked()
{
    const QDate today = m_clock().date();
    ExportRangeDialog range(today, this);
    if (range.exec() != QDialog::Accepted)
        return;

    QFileDialog files(this, tr("Export Call History"));
    files.setAcceptMode(QFileDialog::AcceptSave);
    files.setNameFilters({ tr("CSV files (*.csv)"), tr("All files (*)") });
    files.setDefaultSuffix(QStringLiteral("csv"));
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    files.setDirectory(QDir(documents).exists() ? documents : QDir::homePath());
    files.selectFile(tr("call-history-%1.csv").arg(QLocale::c().toString(today, QStringLiteral("yyyy-MM-dd"))));
    if (files.exec() != QDialog::Accepted || files.selectedFiles().isEmpty())
        return;
    const QString fileName = files.selectedFiles().constFirst();

    CallHistoryExport history(m_context->database);
    if (!range.allCalls())
        history.setRange(range.firstDay(), range.lastDay());
    const int count = history.save(fileName);
    if (count < 0) {
        QMessageBox::warning(this, tr("Export Call History"),
            tr("The call history was not exported to %1.\n\n%2")
                .arg(QDir::toNativeSeparators(fileName), history.errorString()));
        return;
    }
    QMessageBox::information(this, tr("Export Call History"),
        tr("The call history was exported to %1.\n\nCalls: %2")
            .arg(QDir::toNativeSeparators(fileName), QString::number(count)));
}

void CCallHistoryForm::on_tableWidget_cellDoubleClicked(int row, int /*column*/)
{
    const QTableWidgetItem* idItem = ui->tableWidget->item(row, ColumnContactId);
    const QTableWidgetItem* numberItem = ui->tableWidget->item(row, ColumnNumber);
    if (!idItem || !numberItem || idItem->text().toInt() != 0)
        return;

    // A withheld number cannot be given a contact.
    const QString number = numberItem->text();
    if (number.isEmpty())
        return;
    qCDebug(lcContacts) << "number: " << number << "not in database!";
    ContactDialog dialog(this);
    dialog.setWindowTitle(tr("Add Contact"));
    dialog.setModal(true);
    dialog.setPhoneNumber(number);
    if (dialog.exec() == QDialog::Accepted && m_phonebook)
        m_phonebook->addContact(dialog.firstName(), dialog.lastName(), dialog.phoneNumber(), dialog.info());
}
