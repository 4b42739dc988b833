#ifndef PHONEBOOKFORM_H
#define PHONEBOOKFORM_H

#include "ContactExchange.h"

#include <QModelIndex>
#include <QWidget>

namespace Ui {
class PhonebookForm;
}

class QSqlTableModel;
struct AppContext;

// The phonebook page: lists the contacts, narrowed by a search as the operator types, adds,
// edits and deletes them, and imports and exports them as CSV or vCard files. Every change
// reaches the database at once and is announced with contactsUpdate().
class PhonebookForm : public QWidget
{
    Q_OBJECT

public:
    explicit PhonebookForm(AppContext* context, QWidget* parent = nullptr);
    ~PhonebookForm() override;

    // Appends a contact and announces the change.
    void addContact(QString firstName, QString lastName, QString phoneNumber, QString info);
    // The number of the contact at the view's current row; empty when there is none.
    QString currentPhoneNumber() const;
    // Adds the contacts of a file, all or none (FORMAT_UNKNOWN: judged by the content), and
    // tells the operator how many were added and which were left out as duplicates. The file is
    // read on another thread, with a progress bar and Cancel; this returns when it is over.
    void importContacts(const QString& fileName, ContactExchange::Format format);
    // Saves every contact to the file and tells the operator how it went.
    void exportContacts(const QString& fileName, ContactExchange::Format format);

signals:
    // Fires after a contact was added, after an import, and after the Edit or Delete button was
    // used (whether the operator went through with it or not).
    void contactsUpdate();

public slots:
    // The database file was replaced (a restore): the list reads it again.
    void onDatabaseReopened();
    // A contact was added elsewhere (from the producer's notes): the list reads it again.
    void onContactAdded();

public slots:
    void on_add_clicked();
    void on_edit_clicked();
    void on_del_clicked();
    void onTableClicked(QModelIndex index);

private slots:
    // Shows only the contacts whose names or number hold the text.
    void on_search_textChanged(const QString& text);
    // Ask for a file, then import or export.
    void on_importFile_clicked();
    void on_exportFile_clicked();

private:
    // Runs the search in full, for the table as it is now.
    void reload();
    // Tells the operator that a change to the table failed, with the model's reason ("%1" the
    // contact, "%2" the reason), and drops what the model still holds of it.
    void reportFailure(const QString& message, const QString& contact);
    QString cellText(int row, int column) const;
    int currentRow() const;
    // Runs the import job, the window staying responsive, until it is over; *cancelled tells
    // whether the operator cancelled it.
    ContactExchange::ImportResult runImport(const QString& fileName, ContactExchange::Format format, bool* cancelled);
    // Tells how many contacts were added and which were left out as duplicates.
    void showImported(const QString& shownName, const ContactExchange::ImportResult& result);

    Ui::PhonebookForm* ui;
    AppContext* m_context;
    QSqlTableModel* m_model;
    // The text of the search the model shows, normalized.
    QString m_searched;
    // Where the file dialogs open: the folder of the last file imported or exported.
    QString m_exchangeFolder;
};

#endif // PHONEBOOKFORM_H
