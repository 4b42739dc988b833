#include "PhonebookForm.h"
#include "ui_PhonebookForm.h"

#include "AppContext.h"
#include "CDatabase.h"
#include "ContactDialog.h"
#include "ContactImportJob.h"
#include "ContactSearch.h"
#include "ContactsTable.h"
#include "ContactText.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QSqlError>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <QStandardPaths>

namespace {

// The most rows a search is narrowed to by their ids; past that the id list costs more than the
// scan it saves.
const int maxNarrowedRows = 2000;

// Duplicates listed in the import's message; the rest are in its details.
const int listedDuplicates = 10;

// The columns are NOT NULL: a field left empty is stored as an empty text, never as NULL.
QString notNull(const QString& text)
{
    return text.isNull() ? QLatin1String("") : text;
}

} // namespace

PhonebookForm::PhonebookForm(AppContext* context, QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::PhonebookForm)
    , m_context(context)
    , m_exchangeFolder(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
{
    // A folder that is not there would be offered as a file name instead.
    if (!QDir(m_exchangeFolder).exists())
        m_exchangeFolder = QDir::homePath();
    ui->setupUi(this);
    connect(ui->tableView, &QTableView::clicked, this, &PhonebookForm::onTableClicked);

    ContactsTable::create(m_context->database);

    m_model = new QSqlTableModel(this, m_context->database->database());
    m_model->setTable(QStringLiteral("contacts"));
    m_model->setEditStrategy(QSqlTableModel::OnFieldChange);
    m_model->select();

    // The headers are the table's column names, which a translation may put in words.
    m_model->setHeaderData(ContactsTable::FirstName, Qt::Horizontal, tr("first_name"));
    m_model->setHeaderData(ContactsTable::LastName, Qt::Horizontal, tr("last_name"));
    m_model->setHeaderData(ContactsTable::PhoneNumber, Qt::Horizontal, tr("phone_number"));
    ui->tableView->setModel(m_model);
    ui->tableView->setSelectionBehavior(QAbstractItemView::SelectRows);
    ui->tableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui->tableView->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    ui->tableView->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    ui->tableView->verticalHeader()->setDefaultSectionSize(10);
    ui->tableView->hideColumn(ContactsTable::Id);
    ui->tableView->hideColumn(ContactsTable::Info);
}

PhonebookForm::~PhonebookForm()
{
    delete ui;
}

void PhonebookForm::addContact(QString firstName, QString lastName, QString phoneNumber, QString info)
{
    for (const QString* field : { &firstName, &lastName, &phoneNumber, &info }) {
        if (field->size() > ContactText::MaxFieldLength) {
            m_context->database->report(tr("The contact %1 was not added: a field is longer than %2 characters.")
                                            .arg(ContactText::excerpt(firstName + QLatin1Char(' ') + lastName))
                                            .arg(ContactText::MaxFieldLength));
            return;
        }
    }
    QSqlRecord record = m_model->record();
    record.setValue(QStringLiteral("first_name"), notNull(firstName));
    record.setValue(QStringLiteral("last_name"), notNull(lastName));
    record.setValue(QStringLiteral("phone_number"), notNull(phoneNumber));
    record.setValue(QStringLiteral("info"), notNull(info));
    // The database numbers the row: a server refuses an id given as NULL.
    record.setGenerated(QStringLiteral("id"), false);
    if (!m_model->insertRecord(-1, record))
        reportFailure(tr("The contact %1 could not be added: %2"), firstName + QLatin1Char(' ') + lastName);
    reload();
    emit contactsUpdate();
}

void PhonebookForm::reportFailure(const QString& message, const QString& contact)
{
    const QString reason = m_model->lastError().text();
    // The row the model still holds in its cache would otherwise be listed as if it were stored.
    m_model->revertAll();
    m_context->database->report(message.arg(ContactText::excerpt(contact.trimmed()), reason));
}

QString PhonebookForm::currentPhoneNumber() const
{
    return cellText(currentRow(), ContactsTable::PhoneNumber);
}

void PhonebookForm::on_add_clicked()
{
    ContactDialog dialog(this);
    dialog.setWindowTitle(tr("Add Contact"));
    dialog.setModal(true);
    if (dialog.exec() == QDialog::Accepted)
        addContact(dialog.firstName(), dialog.lastName(), dialog.phoneNumber(), dialog.info());
}

void PhonebookForm::on_edit_clicked()
{
    const int row = currentRow();
    ContactDialog dialog(this);
    dialog.setWindowTitle(tr("Edit Contact"));
    dialog.setModal(true);
    dialog.setFirstName(cellText(row, ContactsTable::FirstName));
    dialog.setLastName(cellText(row, ContactsTable::LastName));
    dialog.setPhoneNumber(cellText(row, ContactsTable::PhoneNumber));
    dialog.setInfo(cellText(row, ContactsTable::Info));
    if (dialog.exec() == QDialog::Accepted) {
        const QString texts[] = { dialog.firstName(), dialog.lastName(), dialog.phoneNumber(), dialog.info() };
        int column = ContactsTable::FirstName;
        bool stored = true;
        for (const QString& text : texts)
            stored = stored && m_model->setData(m_model->index(row, column++), notNull(text));
        if (!stored)
            reportFailure(tr("The contact %1 could not be changed: %2"), texts[0] + QLatin1Char(' ') + texts[1]);
    }
    emit contactsUpdate();
}

void PhonebookForm::on_del_clicked()
{
    const int row = currentRow();
    const QString id = cellText(row, ContactsTable::Id);
    const QMessageBox::StandardButton answer = QMessageBox::question(this, tr("Delete"),
        tr("Are you sure you want to delete contact\"%1\"?").arg(id), QMessageBox::Yes | QMessageBox::No);
    if (answer == QMessageBox::Yes) {
        const QString name = cellText(row, ContactsTable::FirstName) + QLatin1Char(' ') + cellText(row, ContactsTable::LastName);
        if (!m_model->removeRow(row))
            reportFailure(tr("The contact %1 could not be deleted: %2"), name);
        reload();
    }
    emit contactsUpdate();
}

void PhonebookForm::onTableClicked(QModelIndex index)
{
    ui->textEdit->setPlainText(cellText(index.row(), ContactsTable::Info));
}

void PhonebookForm::on_search_textChanged(const QString& text)
{
    const QString searched = ContactSearch::normalized(text);
    QString filter = ContactSearch::condition(searched, m_context->database->dialect());
    // Typing on can only narrow the result: when all rows of the last search are at hand, they
    // are the only candidates, and looking them up by id spares a scan of the whole table.
    const int rows = m_model->rowCount();
    if (!m_searched.isEmpty() && searched.contains(m_searched) && !m_model->canFetchMore() && rows <= maxNarrowedRows) {
        QStringList ids;
        for (int row = 0; row < rows; ++row)
            ids << QString::number(m_model->index(row, ContactsTable::Id).data().toLongLong());
        filter = QLatin1String("id IN (") + ids.join(QLatin1Char(',')) + QLatin1String(") AND ") + filter;
    }
    m_searched = searched;
    // The model reselects with the new filter and fetches only the rows the view shows. The
    // information shown belongs to a row that may no longer be listed.
    m_model->setFilter(filter);
    ui->textEdit->clear();
}

void PhonebookForm::onDatabaseReopened()
{
    m_model->select();
    emit contactsUpdate();
}

void PhonebookForm::onContactAdded()
{
    reload();
    emit contactsUpdate();
}

void PhonebookForm::reload()
{
    // A contact added since the search was narrowed is not among its ids.
    const QString filter = ContactSearch::condition(m_searched, m_context->database->dialect());
    if (m_model->filter() == filter)
        m_model->select();
    else
        m_model->setFilter(filter);
}

void PhonebookForm::on_importFile_clicked()
{
    QFileDialog dialog(this, tr("Import Contacts"), m_exchangeFolder);
    dialog.setFileMode(QFileDialog::ExistingFile);
    const QStringList filters { tr("Contacts (*.csv *.vcf *.vcard)"), tr("CSV files (*.csv)"),
        tr("vCard files (*.vcf *.vcard)"), tr("All files (*)") };
    dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString fileName = dialog.selectedFiles().constFirst();
    m_exchangeFolder = QFileInfo(fileName).absolutePath();
    ContactExchange::Format format = ContactExchange::formatOf(fileName);
    if (format == ContactExchange::FORMAT_UNKNOWN && dialog.selectedNameFilter() == filters.at(1))
        format = ContactExchange::FORMAT_CSV;
    else if (format == ContactExchange::FORMAT_UNKNOWN && dialog.selectedNameFilter() == filters.at(2))
        format = ContactExchange::FORMAT_VCARD;
    importContacts(fileName, format);
}

void PhonebookForm::on_exportFile_clicked()
{
    QFileDialog dialog(this, tr("Export Contacts"), m_exchangeFolder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    const QStringList filters { tr("CSV files (*.csv)"), tr("vCard files (*.vcf)") };
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, &filters](const QString& filter) {
        dialog.setDefaultSuffix(filter == filters.at(1) ? QStringLiteral("vcf") : QStringLiteral("csv"));
    });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString fileName = dialog.selectedFiles().constFirst();
    m_exchangeFolder = QFileInfo(fileName).absolutePath();
    ContactExchange::Format format = ContactExchange::formatOf(fileName);
    if (format == ContactExchange::FORMAT_UNKNOWN)
        format = dialog.selectedNameFilter() == filters.at(1) ? ContactExchange::FORMAT_VCARD
                                                              : ContactExchange::FORMAT_CSV;
    exportContacts(fileName, format);
}

void PhonebookForm::importContacts(const QString& fileName, ContactExchange::Format format)
{
    const QString shownName = QDir::toNativeSeparators(fileName);
    QPointer<PhonebookForm> alive(this);
    bool cancelled = false;
    const ContactExchange::ImportResult result = runImport(fileName, format, &cancelled);
    if (!alive || cancelled)
        return;
    if (!result.ok) {
        QMessageBox::warning(
            this, tr("Import"), tr("Nothing was imported from %1.\n\n%2").arg(shownName, result.error));
        return;
    }
    reload();
    emit contactsUpdate();
    showImported(shownName, result);
}

ContactExchange::ImportResult PhonebookForm::runImport(
    const QString& fileName, ContactExchange::Format format, bool* cancelled)
{
    ContactExchange::ImportResult result;
    if (!m_context->database->isOpen()) {
        result.error = tr("The database is not open.");
        return result;
    }
    // The file is read and stored on the job's thread; this one keeps serving the window and the
    // hybrid meanwhile, while the page that shows the contacts waits.
    ContactImportJob job(fileName, format, ConnectionRecipe(m_context->database->database()));
    QProgressDialog progress(
        tr("Importing contacts from %1...").arg(QDir::toNativeSeparators(fileName)), tr("Cancel"), 0, 1000, this);
    progress.setWindowTitle(tr("Import"));
    progress.setWindowModality(Qt::NonModal);
    progress.setMinimumDuration(500);
    progress.setValue(0);
    QEventLoop loop;
    connect(&job, &ContactImportJob::progress, &progress, &QProgressDialog::setValue);
    connect(&progress, &QProgressDialog::canceled, &job, &ContactImportJob::cancel);
    connect(&job, &ContactImportJob::finished, &loop, &QEventLoop::quit);
    bool done = false;
    connect(&job, &ContactImportJob::finished, &loop, [&done] { done = true; });
    setEnabled(false);
    job.start();
    loop.exec();
    setEnabled(true);
    // The loop ends early when the program quits; the job then stops, unread, as it goes.
    if (!done)
        job.cancel();
    *cancelled = !done || job.wasCancelled();
    return done ? job.result() : result;
}

void PhonebookForm::showImported(const QString& shownName, const ContactExchange::ImportResult& result)
{
    QMessageBox box(QMessageBox::Information, tr("Import"),
        tr("Contacts imported from %1: %2.").arg(shownName, QString::number(result.added)), QMessageBox::Ok, this);
    const int duplicates = int(result.duplicates.size());
    if (duplicates > 0) {
        QStringList lines;
        for (const ContactExchange::Duplicate& duplicate : result.duplicates) {
            const ContactRecord& contact = duplicate.contact;
            QString name = (contact.firstName + QLatin1Char(' ') + contact.lastName).trimmed();
            if (name.isEmpty())
                name = tr("(no name)");
            const QString line = QString::number(contact.line);
            lines << (duplicate.earlierLine == 0
                    ? tr("Line %1: %2, %3 (already in the phonebook)").arg(line, name, contact.phoneNumber)
                    : tr("Line %1: %2, %3 (same number as line %4)")
                          .arg(line, name, contact.phoneNumber, QString::number(duplicate.earlierLine)));
        }
        QString text = tr("Not added, because the number is in the phonebook already or earlier in the file: %1.")
                           .arg(duplicates)
            + QLatin1Char('\n') + QStringList(lines.mid(0, listedDuplicates)).join(QLatin1Char('\n'));
        if (duplicates > listedDuplicates)
            text += QLatin1Char('\n') + tr("... and %1 more (see the details)").arg(duplicates - listedDuplicates);
        box.setInformativeText(text);
        box.setDetailedText(lines.join(QLatin1Char('\n')));
    }
    box.exec();
}

void PhonebookForm::exportContacts(const QString& fileName, ContactExchange::Format format)
{
    ContactExchange exchange(m_context->database);
    int count = 0;
    QString error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool written = exchange.exportFile(fileName, format, &count, &error);
    QApplication::restoreOverrideCursor();
    if (written) {
        QMessageBox::information(this, tr("Export"),
            tr("Contacts exported to %1: %2.").arg(QDir::toNativeSeparators(fileName), QString::number(count)));
    } else {
        QMessageBox::warning(this, tr("Export"), error);
    }
}

QString PhonebookForm::cellText(int row, int column) const
{
    return m_model->index(row, column).data().toString();
}

int PhonebookForm::currentRow() const
{
    return ui->tableView->currentIndex().row();
}
