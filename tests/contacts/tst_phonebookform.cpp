#include "AppContext.h"
#include "CConsole.h"
#include "CDatabase.h"
#include "ModalAnswer.h"
#include "PhonebookForm.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <memory>

namespace {

struct Contact
{
    QString firstName;
    QString lastName;
    QString phoneNumber;
    QString info;
};

// What the operator sees in the contact dialog when it opens.
struct DialogSeen
{
    bool shown = false;
    QString title;
    Contact fields;
};

QString fieldText(QWidget* dialog, const char* name)
{
    if (auto* line = dialog->findChild<QLineEdit*>(QLatin1String(name)))
        return line->text();
    if (auto* text = dialog->findChild<QTextEdit*>(QLatin1String(name)))
        return text->toPlainText();
    return QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

// Reads the contact dialog when it shows, types the given fields (when any) and presses the button.
void answerContactDialog(QObject* context, DialogSeen* seen, const Contact* typed, int button)
{
    ModalAnswer::whenShown(context, [=](QWidget* dialog) {
        seen->shown = true;
        seen->title = dialog->windowTitle();
        seen->fields = { fieldText(dialog, "firstname"), fieldText(dialog, "lastname"),
            fieldText(dialog, "phonenumber"), fieldText(dialog, "info") };
        if (typed) {
            dialog->findChild<QLineEdit*>(QStringLiteral("firstname"))->setText(typed->firstName);
            dialog->findChild<QLineEdit*>(QStringLiteral("lastname"))->setText(typed->lastName);
            dialog->findChild<QLineEdit*>(QStringLiteral("phonenumber"))->setText(typed->phoneNumber);
            dialog->findChild<QTextEdit*>(QStringLiteral("info"))->setPlainText(typed->info);
        }
        ModalAnswer::clickButton(dialog, button);
    });
}

} // namespace

class TestPhonebookForm : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void pageShowsTheContactsTable();
    void secondStartKeepsTheContacts();
    void addThroughTheDialog_data();
    void addThroughTheDialog();
    void cancelledAddChangesNothing();
    void editThroughTheDialog();
    void cancelledEditWritesNothing();
    void editWithoutSelectionWritesNothing();
    void deleteAsksFirst_data();
    void deleteAsksFirst();
    void deleteWithoutSelectionRemovesNothing();
    void addContactStoresEmptyFields();
    void rowClickShowsTheInformation();
    void currentPhoneNumber();

private:
    QList<Contact> storedContacts();
    void selectRow(int row);
    void clickButton(const char* name);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CConsole> m_console;
    std::unique_ptr<CDatabase> m_database;
    AppContext m_context;
    std::unique_ptr<PhonebookForm> m_form;
};

void TestPhonebookForm::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_console = std::make_unique<CConsole>();
    m_database = std::make_unique<CDatabase>(m_dir->path(), m_console.get());
    m_context = AppContext();
    m_context.console = m_console.get();
    m_context.database = m_database.get();
    m_form = std::make_unique<PhonebookForm>(&m_context);
    m_form->show();
}

void TestPhonebookForm::cleanup()
{
    m_form.reset();
    m_database.reset();
    m_console.reset();
    m_dir.reset();
}

QList<Contact> TestPhonebookForm::storedContacts()
{
    QList<Contact> contacts;
    QSqlQuery rows = m_database->query(QStringLiteral("SELECT * FROM contacts ORDER BY id"));
    while (rows.next()) {
        contacts.append(
            { rows.value(1).toString(), rows.value(2).toString(), rows.value(3).toString(), rows.value(4).toString() });
    }
    return contacts;
}

void TestPhonebookForm::selectRow(int row)
{
    auto* view = m_form->findChild<QTableView*>(QStringLiteral("tableView"));
    view->setCurrentIndex(view->model()->index(row, 1));
}

void TestPhonebookForm::clickButton(const char* name)
{
    auto* button = m_form->findChild<QPushButton*>(QLatin1String(name));
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

void TestPhonebookForm::pageShowsTheContactsTable()
{
    QSqlQuery columns = m_database->query(QStringLiteral("PRAGMA table_info(contacts)"));
    QStringList names;
    while (columns.next())
        names << columns.value(1).toString();
    QCOMPARE(names, QStringList({ "id", "first_name", "last_name", "phone_number", "info" }));

    auto* view = m_form->findChild<QTableView*>(QStringLiteral("tableView"));
    QVERIFY(view);
    QVERIFY(view->isColumnHidden(0));
    QVERIFY(!view->isColumnHidden(1));
    QVERIFY(!view->isColumnHidden(2));
    QVERIFY(!view->isColumnHidden(3));
    QVERIFY(view->isColumnHidden(4));
    QCOMPARE(view->model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("phone_number"));
    QCOMPARE(view->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(view->editTriggers(), QAbstractItemView::NoEditTriggers);
}

void TestPhonebookForm::secondStartKeepsTheContacts()
{
    m_form->addContact(QStringLiteral("Anna"), QStringLiteral("Alpha"), QStringLiteral("0301234567"), QString());
    m_form.reset();
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("table contacts already exists")));
    m_form = std::make_unique<PhonebookForm>(&m_context);
    QCOMPARE(storedContacts().size(), 1);
    QCOMPARE(m_form->findChild<QTableView*>(QStringLiteral("tableView"))->model()->rowCount(), 1);
}

void TestPhonebookForm::addThroughTheDialog_data()
{
    QTest::addColumn<QString>("firstName");
    QTest::addColumn<QString>("lastName");
    QTest::addColumn<QString>("phoneNumber");
    QTest::addColumn<QString>("info");

    QTest::newRow("plain") << "Anna"
                           << "Alpha"
                           << "+49301234567"
                           << "Listener since 1999";
    QTest::newRow("quotes and SQL") << "O'Brien"
                                    << "x'); DELETE FROM contacts; --"
                                    << "'0301';--"
                                    << "\"quoted\"; DROP TABLE contacts;";
    QTest::newRow("all empty") << ""
                               << ""
                               << ""
                               << "";
}

void TestPhonebookForm::addThroughTheDialog()
{
    QFETCH(QString, firstName);
    QFETCH(QString, lastName);
    QFETCH(QString, phoneNumber);
    QFETCH(QString, info);

    m_form->addContact(QStringLiteral("Kept"), QStringLiteral("Contact"), QStringLiteral("111"), QString());
    QSignalSpy updates(m_form.get(), &PhonebookForm::contactsUpdate);
    DialogSeen seen;
    const Contact typed { firstName, lastName, phoneNumber, info };
    answerContactDialog(m_form.get(), &seen, &typed, QDialogButtonBox::Ok);
    clickButton("add");

    QVERIFY(seen.shown);
    QCOMPARE(seen.title, QStringLiteral("Add Contact"));
    QCOMPARE(seen.fields.firstName, QString());
    QCOMPARE(seen.fields.phoneNumber, QString());
    QCOMPARE(updates.count(), 1);
    const QList<Contact> contacts = storedContacts();
    QCOMPARE(contacts.size(), 2);
    QCOMPARE(contacts.at(0).firstName, QStringLiteral("Kept"));
    QCOMPARE(contacts.at(1).firstName, firstName);
    QCOMPARE(contacts.at(1).lastName, lastName);
    QCOMPARE(contacts.at(1).phoneNumber, phoneNumber);
    QCOMPARE(contacts.at(1).info, info);
    // The page lists it, and the lookups know it at once.
    QCOMPARE(m_form->findChild<QTableView*>(QStringLiteral("tableView"))->model()->rowCount(), 2);
    if (!phoneNumber.isEmpty())
        QCOMPARE(m_database->findContactName(phoneNumber), firstName + QLatin1Char(' ') + lastName);
}

void TestPhonebookForm::cancelledAddChangesNothing()
{
    QSignalSpy updates(m_form.get(), &PhonebookForm::contactsUpdate);
    DialogSeen seen;
    const Contact typed { QStringLiteral("Anna"), QStringLiteral("Alpha"), QStringLiteral("0301234567"), QString() };
    answerContactDialog(m_form.get(), &seen, &typed, QDialogButtonBox::Cancel);
    clickButton("add");

    QVERIFY(seen.shown);
    QCOMPARE(updates.count(), 0);
    QVERIFY(storedContacts().isEmpty());
}

void TestPhonebookForm::editThroughTheDialog()
{
    m_form->addContact(
        QStringLiteral("Anna"), QStringLiteral("Alpha"), QStringLiteral("0301234567"), QStringLiteral("first"));
    m_form->addContact(
        QStringLiteral("Bert"), QStringLiteral("Beta"), QStringLiteral("0407654321"), QStringLiteral("second"));
    QCOMPARE(m_database->findContactName(QStringLiteral("0407654321")), QStringLiteral("Bert Beta"));
    selectRow(1);

    QSignalSpy updates(m_form.get(), &PhonebookForm::contactsUpdate);
    DialogSeen seen;
    const Contact typed { QStringLiteral("Bernd"), QStringLiteral("B'eta"), QStringLiteral("0409999999"),
        QStringLiteral("changed; 'really'") };
    answerContactDialog(m_form.get(), &seen, &typed, QDialogButtonBox::Ok);
    clickButton("edit");

    QVERIFY(seen.shown);
    QCOMPARE(seen.title, QStringLiteral("Edit Contact"));
    QCOMPARE(seen.fields.firstName, QStringLiteral("Bert"));
    QCOMPARE(seen.fields.lastName, QStringLiteral("Beta"));
    QCOMPARE(seen.fields.phoneNumber, QStringLiteral("0407654321"));
    QCOMPARE(seen.fields.info, QStringLiteral("second"));
    QCOMPARE(updates.count(), 1);

    const QList<Contact> contacts = storedContacts();
    QCOMPARE(contacts.size(), 2);
    QCOMPARE(contacts.at(0).firstName, QStringLiteral("Anna"));
    QCOMPARE(contacts.at(0).info, QStringLiteral("first"));
    QCOMPARE(contacts.at(1).firstName, typed.firstName);
    QCOMPARE(contacts.at(1).lastName, typed.lastName);
    QCOMPARE(contacts.at(1).phoneNumber, typed.phoneNumber);
    QCOMPARE(contacts.at(1).info, typed.info);
    // No lookup still knows the old number or name.
    QCOMPARE(m_database->findContactName(QStringLiteral("0407654321")), QStringLiteral("0407654321"));
    QCOMPARE(m_database->findContactName(QStringLiteral("+49409999999")), QStringLiteral("Bernd B'eta"));
}

void TestPhonebookForm::cancelledEditWritesNothing()
{
    m_form->addContact(QStringLiteral("Anna"), QStringLiteral("Alpha"), QStringLiteral("0301234567"), QString());
    selectRow(0);
    QSignalSpy updates(m_form.get(), &PhonebookForm::contactsUpdate);
    DialogSeen seen;
    const Contact typed { QStringLiteral("Other"), QStringLiteral("Name"), QStringLiteral("999"), QString() };
    answerContactDialog(m_form.get(), &seen, &typed, QDialogButtonBox::Cancel);
    clickButton("edit");

    QVERIFY(seen.shown);
    QCOMPARE(updates.count(), 1);
    QCOMPARE(storedContacts().at(0).firstName, QStringLiteral("Anna"));
    QCOMPARE(storedContacts().at(0).phoneNumber, QStringLiteral("0301234567"));
}

void TestPhonebookForm::editWithoutSelectionWritesNothing()
{
    m_form->addContact(
        QStringLiteral("Anna"), QStringLiteral("Alpha"), QStringLiteral("0301234567"), QStringLiteral("info"));
    QSignalSpy updates(m_form.get(), &PhonebookForm::contactsUpdate);
    DialogSeen seen;
    const Contact typed { QStringLiteral("Other"), QStringLiteral("Name"), QStringLiteral("999"), QString() };
    answerContactDialog(m_form.get(), &seen, &typed, QDialogButtonBox::Ok);
    clickButton("edit");

    QVERIFY(seen.shown);
    QCOMPARE(seen.fields.firstName, QString());
    QCOMPARE(seen.fields.lastName, QString());
    QCOMPARE(seen.fields.phoneNumber, QString());
    QCOMPARE(seen.fields.info, QString());
    QCOMPARE(updates.count(), 1);
    const QList<Contact> contacts = storedContacts();
    QCOMPARE(contacts.size(), 1);
    QCOMPARE(contacts.at(0).firstName, QStringLiteral("Anna"));
}

void TestPhonebookForm::deleteAsksFirst_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("removed");
    QTest::newRow("yes") << int(QMessageBox::Yes) << true;
    QTest::newRow("no") << int(QMessageBox::No) << false;
}

void TestPhonebookForm::deleteAsksFirst()
{
    QFETCH(int, answer);
    QFETCH(bool, removed);

    m_form->addContact(QStringLiteral("Anna"), QStringLiteral("Alpha"), QStringLiteral("0301234567"), QString());
    m_form->addContact(QStringLiteral("Bert"), QStringLiteral("Beta"), QStringLiteral("0407654321"), QString());
    selectRow(1);
    QSignalSpy updates(m_form.get(), &PhonebookForm::contactsUpdate);
    QString title;
    QString question;
    ModalAnswer::whenShown(m_form.get(), [&](QWidget* box) {
        title = box->windowTitle();
        question = static_cast<QMessageBox*>(box)->text();
        ModalAnswer::clickButton(box, answer);
    });
    clickButton("del");

    QCOMPARE(title, QStringLiteral("Delete"));
    QCOMPARE(question, QStringLiteral("Are you sure you want to delete contact\"2\"?"));
    QCOMPARE(updates.count(), 1);
    const QList<Contact> contacts = storedContacts();
    QCOMPARE(contacts.size(), removed ? 1 : 2);
    QCOMPARE(contacts.at(0).firstName, QStringLiteral("Anna"));
    QCOMPARE(m_database->findContactName(QStringLiteral("0407654321")),
        removed ? QStringLiteral("0407654321") : QStringLiteral("Bert Beta"));
    QCOMPARE(m_form->findChild<QTableView*>(QStringLiteral("tableView"))->model()->rowCount(), contacts.size());
}

void TestPhonebookForm::deleteWithoutSelectionRemovesNothing()
{
    m_form->addContact(QStringLiteral("Anna"), QStringLiteral("Alpha"), QStringLiteral("0301234567"), QString());
    QSignalSpy updates(m_form.get(), &PhonebookForm::contactsUpdate);
    QString question;
    ModalAnswer::whenShown(m_form.get(), [&](QWidget* box) {
        question = static_cast<QMessageBox*>(box)->text();
        ModalAnswer::clickButton(box, QMessageBox::Yes);
    });
    clickButton("del");

    QCOMPARE(question, QStringLiteral("Are you sure you want to delete contact\"\"?"));
    QCOMPARE(updates.count(), 1);
    QCOMPARE(storedContacts().size(), 1);
}

void TestPhonebookForm::addContactStoresEmptyFields()
{
    QSignalSpy updates(m_form.get(), &PhonebookForm::contactsUpdate);
    m_form->addContact(QString(), QString(), QString(), QString());
    QCOMPARE(updates.count(), 1);
    QSqlQuery row = m_database->query(QStringLiteral("SELECT first_name, last_name, phone_number, info, "
                                                     "typeof(phone_number) FROM contacts"));
    QVERIFY(row.next());
    QCOMPARE(row.value(4).toString(), QStringLiteral("text"));
    QCOMPARE(row.value(2).toString(), QString());
    // A call without a number now shows this (nameless) contact.
    QCOMPARE(m_database->findContactName(QString()), QStringLiteral(" "));
}

void TestPhonebookForm::rowClickShowsTheInformation()
{
    const QString info = QStringLiteral("<b>not bold</b> & \"Studio 2\"\nsecond line");
    m_form->addContact(QStringLiteral("Anna"), QStringLiteral("Alpha"), QStringLiteral("0301234567"), QString());
    m_form->addContact(QStringLiteral("Bert"), QStringLiteral("Beta"), QStringLiteral("0407654321"), info);
    auto* view = m_form->findChild<QTableView*>(QStringLiteral("tableView"));
    auto* textEdit = m_form->findChild<QTextEdit*>(QStringLiteral("textEdit"));
    textEdit->setPlainText(QStringLiteral("previous"));

    const QRect cell = view->visualRect(view->model()->index(1, 2));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QCOMPARE(textEdit->toPlainText(), info);

    const QRect first = view->visualRect(view->model()->index(0, 1));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, first.center());
    QCOMPARE(textEdit->toPlainText(), QString());
}

void TestPhonebookForm::currentPhoneNumber()
{
    QCOMPARE(m_form->currentPhoneNumber(), QString());
    m_form->addContact(QStringLiteral("Anna"), QStringLiteral("Alpha"), QStringLiteral("0301234567"), QString());
    m_form->addContact(QStringLiteral("Bert"), QStringLiteral("Beta"), QStringLiteral("+49 40 7654321"), QString());
    selectRow(1);
    QCOMPARE(m_form->currentPhoneNumber(), QStringLiteral("+49 40 7654321"));
    selectRow(0);
    QCOMPARE(m_form->currentPhoneNumber(), QStringLiteral("0301234567"));
}

QTEST_MAIN(TestPhonebookForm)
#include "tst_phonebookform.moc"
