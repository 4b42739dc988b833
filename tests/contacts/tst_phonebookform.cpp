#include "AppContext.h"
#include "CDatabase.h"
#include "ModalAnswer.h"
#include "PhonebookForm.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

namespace {

// "first|last|number"; the first names are the contacts' handles in the tests below.
const char* const phonebook[] = { "Anna|de Vries|+31 20 1234567", "Émile|Zola|0301234567", "Jürgen|Müller|0049 89 765",
    "Sean|O'Brien|0611", "50%|Radio|1", "50|Radio|2", "a_b|Studio|3", "axb|Studio|4", "Öz*|Test|5", "Özlem|Test|6",
    "C\\D|Test|7", "CD|Test|8" };

} // namespace

// The phonebook page's search, and the buttons acting on what it shows.
class TestPhonebookForm : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    CDatabase m_database { m_dir.path(), nullptr };
    AppContext m_context { nullptr, nullptr, nullptr, nullptr, &m_database };
    std::unique_ptr<PhonebookForm> m_form;

    QLineEdit* search() const { return m_form->findChild<QLineEdit*>(QStringLiteral("search")); }
    QTableView* view() const { return m_form->findChild<QTableView*>(); }

    // The first names the view lists, in order.
    QStringList listed() const
    {
        QAbstractItemModel* model = view()->model();
        while (model->canFetchMore(QModelIndex()))
            model->fetchMore(QModelIndex());
        QStringList names;
        for (int row = 0; row < model->rowCount(); ++row)
            names << model->index(row, 1).data().toString();
        return names;
    }

    // The contact with this id as stored, and as it was at the start.
    QString stored(int id)
    {
        QSqlQuery row = m_database.query(QStringLiteral("SELECT first_name || '|' || last_name || '|' || "
                                                        "phone_number || '|' || info FROM contacts WHERE id = ?"),
            { id });
        return row.next() ? row.value(0).toString() : QString();
    }
    // Markup in it is shown as it was typed.
    static QString info(const QString& firstName) { return firstName + " <b>info</b> & Co"; }
    static QString original(int id)
    {
        const QString contact = QString::fromUtf8(phonebook[id - 1]);
        return contact + '|' + info(contact.section('|', 0, 0));
    }

    void typeIn(const QString& text)
    {
        search()->clear();
        QTest::keyClicks(search(), text);
    }

    // Clicks the button, picks the file and name filter in the file dialog that opens, and
    // returns the text of the message box that follows.
    QString throughTheDialogs(const char* button, const QString& fileName, int filter)
    {
        QString told;
        ModalAnswer::whenShown(m_form.get(), [&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            QVERIFY(dialog);
            // As the dialog does when the operator picks a filter.
            dialog->selectNameFilter(dialog->nameFilters().value(filter));
            emit dialog->filterSelected(dialog->nameFilters().value(filter));
            ModalAnswer::whenOtherShown(m_form.get(), dialog, [&](QWidget* box) {
                told = qobject_cast<QMessageBox*>(box)->text() + '\n'
                    + qobject_cast<QMessageBox*>(box)->informativeText();
                ModalAnswer::clickButton(box, QMessageBox::Ok);
            });
            ModalAnswer::chooseFile(dialog, fileName);
        });
        QTest::mouseClick(m_form->findChild<QPushButton*>(button), Qt::LeftButton);
        return told;
    }

private slots:
    void init()
    {
        m_form = std::make_unique<PhonebookForm>(&m_context);
        for (const char* contact : phonebook) {
            const QStringList fields = QString::fromUtf8(contact).split('|');
            m_form->addContact(fields[0], fields[1], fields[2], info(fields[0]));
        }
        m_form->show();
    }

    void cleanup()
    {
        m_form.reset();
        // The search field's clear button fades in and out; an animation left running stops at
        // its next frame, now that the field is gone, and then deletes itself.
        QTest::qWait(50);
        m_database.query(QStringLiteral("DELETE FROM contacts"));
        m_database.query(QStringLiteral("DELETE FROM sqlite_sequence"));
    }

    void filters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("first name, other case") << "ANNA" << QStringList { "Anna" };
        QTest::newRow("across the names") << "a de v" << QStringList { "Anna" };
        QTest::newRow("last name") << "radio" << QStringList { "50%", "50" };
        QTest::newRow("accented, lower case") << "émile" << QStringList { "Émile" };
        QTest::newRow("accented, upper case") << "MÜLLER" << QStringList { "Jürgen" };
        QTest::newRow("without the accents") << "emile" << QStringList { "Émile" };
        QTest::newRow("without the accents, upper case") << "JURGEN MULLER" << QStringList { "Jürgen" };
        QTest::newRow("number with blanks") << "20 123" << QStringList { "Anna" };
        QTest::newRow("number without its blanks") << "201234567" << QStringList { "Anna" };
        QTest::newRow("number, other separators") << "49-89-765" << QStringList { "Jürgen" };
        QTest::newRow("quote") << "o'b" << QStringList { "Sean" };
        QTest::newRow("percent") << "50%" << QStringList { "50%" };
        QTest::newRow("underscore") << "a_b" << QStringList { "a_b" };
        QTest::newRow("backslash") << "c\\d" << QStringList { "C\\D" };
        QTest::newRow("star beside an accented letter") << "öz*" << QStringList { "Öz*" };
        QTest::newRow("SQL in the text") << "x'); DELETE FROM contacts; --" << QStringList {};
        QTest::newRow("NUL") << QString("zo") + QChar(0) + "la" << QStringList { "Émile" };
    }

    void filters()
    {
        QFETCH(QString, text);
        search()->setText(text);
        QTEST(listed(), "listed");
        search()->clear();
        QCOMPARE(listed().size(), int(std::size(phonebook)));
    }

    // Typed letter by letter, each search starts from the last one's rows; the rows are those
    // of the whole text searched at once, and a contact added meanwhile is found.
    void narrowsAsTyped()
    {
        typeIn(QStringLiteral("a"));
        QCOMPARE(listed().size(), 7);
        typeIn(QStringLiteral("radio"));
        QCOMPARE(listed(), QStringList({ "50%", "50" }));
        m_form->addContact(QStringLiteral("Radio"), QStringLiteral("Noord"), QStringLiteral("9"), QString());
        QCOMPARE(listed(), QStringList({ "50%", "50", "Radio" }));
        search()->backspace();
        QCOMPARE(listed(), QStringList({ "50%", "50", "Radio" }));
        typeIn(QStringLiteral("radio n"));
        QCOMPARE(listed(), QStringList({ "Radio" }));
    }

    // The buttons act on the contact the filtered view shows, even when an edit takes it out of
    // the filter's reach field by field. A number or note the dialog refuses keeps it open; a
    // change the database refuses (a full disk, a read-only file: here a trigger) is told, and
    // the page does not go on listing it as if it had been stored.
    void buttons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("search"); // its first row is clicked
        QTest::addColumn<QString>("typed");  // into the contact dialog
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("refused"); // the statement the database refuses
        QTest::addColumn<int>("id");          // of the contact changed; 13 for a new one
        QTest::addColumn<QString>("after");   // the contact with that id
        QTest::addColumn<int>("updates");
        const int ok = QDialogButtonBox::Ok;
        const int cancel = QDialogButtonBox::Cancel;
        const int yes = QMessageBox::Yes;
        const QString edit("edit"), add("add"), del("del"), all, zola("zola"), muller("müll");
        const QString emil = QStringLiteral("Emil|Zorn|040 1|new");
        const QString typed = QStringLiteral("O'Brien|x'); DELETE FROM contacts; --|(0301) 22-33|\"q\"; DROP TABLE x;");
        const QString longNote = "Emil|Zorn|040 1|" + QString(1024, 'x');
        QTest::newRow("edit") << edit << zola << emil << ok << all << 2 << emil << 1;
        QTest::newRow("edit, number taken out")
            << edit << zola << "Emil|Zorn| |new" << ok << all << 2 << original(2) << 1;
        QTest::newRow("edit, words for a number")
            << edit << zola << "Emil|Zorn|ask Anna|new" << ok << all << 2 << original(2) << 1;
        QTest::newRow("edit, a sentence with a digit")
            << edit << zola << "Emil|Zorn|call me 2 maybe|new" << ok << all << 2 << original(2) << 1;
        QTest::newRow("edit, a note past the bound")
            << edit << zola << longNote + 'x' << ok << all << 2 << original(2) << 1;
        QTest::newRow("edit, a note at the bound") << edit << zola << longNote << ok << all << 2 << longNote << 1;
        QTest::newRow("edit, cancelled") << edit << zola << emil << cancel << all << 2 << original(2) << 1;
        QTest::newRow("edit, refused") << edit << all << emil << ok << "UPDATE" << 1 << original(1) << 1;
        QTest::newRow("add") << add << zola << typed << ok << all << 13 << typed << 1;
        QTest::newRow("add, cancelled") << add << zola << typed << cancel << all << 13 << all << 0;
        QTest::newRow("add, refused") << add << all << emil << ok << "INSERT" << 13 << all << 1;
        QTest::newRow("delete") << del << muller << all << yes << all << 3 << all << 1;
        QTest::newRow("delete, declined")
            << del << muller << all << int(QMessageBox::No) << all << 3 << original(3) << 1;
        QTest::newRow("delete, refused") << del << all << all << yes << "DELETE" << 1 << original(1) << 1;
    }

    void buttons()
    {
        QFETCH(QString, button);
        QFETCH(QString, typed);
        QFETCH(int, answer);
        QFETCH(QString, refused);
        QFETCH(QString, after);
        QFETCH(int, id);
        QFETCH(QString, search);
        this->search()->setText(search);
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, Qt::NoModifier,
            view()->visualRect(view()->model()->index(0, 1)).center());
        // The information is shown as plain text; the call button dials the number.
        const int clicked = search.isEmpty() ? 1 : search == "zola" ? 2 : 3;
        QCOMPARE(m_form->currentPhoneNumber(), original(clicked).section('|', 2, 2));
        QCOMPARE(m_form->findChild<QTextEdit*>(QStringLiteral("textEdit"))->toPlainText(),
            original(clicked).section('|', 3));
        QVERIFY(refused.isEmpty()
            || m_database
                   .query("CREATE TEMP TRIGGER refuse BEFORE " + refused
                       + " ON contacts BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END")
                   .isActive());
        QSignalSpy told(&m_database, &CDatabase::trouble);
        QSignalSpy contactsUpdate(m_form.get(), &PhonebookForm::contactsUpdate);
        const bool keptOpen = button != "del" && answer == QDialogButtonBox::Ok && refused.isEmpty() && after != typed;
        QString preset;
        ModalAnswer::whenShown(m_form.get(), [&](QWidget* dialog) {
            // The contact dialog's fields are read, and those typed entered instead.
            if (auto* info = dialog->findChild<QTextEdit*>(QStringLiteral("info"))) {
                const QStringList fields = typed.split('|');
                const char* const names[] = { "firstname", "lastname", "phonenumber" };
                for (int i = 0; i < 3; ++i) {
                    auto* line = dialog->findChild<QLineEdit*>(QLatin1String(names[i]));
                    preset += line->text() + '|';
                    line->setText(fields[i]);
                }
                preset += info->toPlainText();
                info->setPlainText(fields[3]);
                // The reason a number is refused stands in the dialog.
                QCOMPARE(!dialog->findChild<QLabel*>(QStringLiteral("numberHint"))->isHidden(), keptOpen);
            }
            ModalAnswer::clickButton(dialog, answer);
            QCOMPARE(dialog->isVisible(), keptOpen);
            if (dialog->isVisible())
                ModalAnswer::clickButton(dialog, QDialogButtonBox::Cancel);
        });
        QTest::mouseClick(m_form->findChild<QPushButton*>(button), Qt::LeftButton);
        if (!refused.isEmpty())
            m_database.query("DROP TRIGGER temp.refuse");
        QCOMPARE(preset, button == "edit" ? original(clicked) : button == "add" ? "|||" : "");
        QTEST(int(contactsUpdate.count()), "updates");
        QCOMPARE(told.count(), refused.isEmpty() ? 0 : 1);
        QVERIFY(refused.isEmpty() || told.at(0).at(0).toString().contains("disk is full"));
        QCOMPARE(stored(id), after);
        for (int other = 1; other <= int(std::size(phonebook)); ++other) {
            if (other != id)
                QCOMPARE(stored(other), original(other));
        }
        // The page lists what is stored, and nothing else.
        QAbstractItemModel* model = view()->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            QStringList fields;
            for (int column = 1; column <= 4; ++column)
                fields << model->index(row, column).data().toString();
            QCOMPARE(fields.join('|'), stored(model->index(row, 0).data().toInt()));
        }
        QSqlQuery count = m_database.query(QStringLiteral("SELECT count(*) FROM contacts"));
        QVERIFY(count.next());
        QVERIFY(!search.isEmpty() || model->rowCount() == count.value(0).toInt());
    }

    // What is typed in has the bounds of an import; a name written in by other code, however long,
    // reaches a ringing call's windows cut to that length.
    void bounds()
    {
        // A field given as a null text is stored as an empty one.
        m_form->addContact(QStringLiteral("Null"), QString(), QStringLiteral("0203333333"), QString());
        QCOMPARE(stored(13), QStringLiteral("Null||0203333333|"));
        QSignalSpy told(&m_database, &CDatabase::trouble);
        m_form->addContact(QString(1025, 'N'), "Long", "0201111111", "");
        QCOMPARE(told.count(), 1);
        QCOMPARE(m_database.findContactId("0201111111"), 0);
        m_database.query("INSERT INTO contacts (first_name, last_name, phone_number) VALUES (?, ?, ?)",
            { QString(20'000'000, 'G'), "Giant", "0202222222" });
        const QString name = m_database.findContactName("0202222222");
        QCOMPARE(name, QString(1024, 'G') + " Giant");
    }

    void importing_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("told"); // parts of the message
        QTest::addColumn<int>("updates");
        QTest::newRow("vCard, with a duplicate")
            << "new.vcf"
            << QByteArray("BEGIN:VCARD\nN:Noord;Radio\nTEL:99\nEND:VCARD\n"
                          "BEGIN:VCARD\nN:Again;Anna\nTEL:+31 20 1234567\nEND:VCARD\n")
            << QStringList { "new.vcf: 1.", "Line 5: Anna Again, +31 20 1234567 (already in the phonebook)" } << 1;
        QTest::newRow("CSV without its extension")
            << "new.txt" << QByteArray("first_name,last_name,phone_number\nRadio,Noord,99\n")
            << QStringList { "new.txt: 1." } << 1;
        QTest::newRow("bad record") << "bad.csv" << QByteArray("first_name,last_name,phone_number\nRadio,Noord\n")
                                    << QStringList { "Nothing was imported", "Line 2:" } << 0;
    }

    // The contacts of the file are listed at once, under the search as it stands.
    void importing()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, content);
        QFETCH(QStringList, told);
        QFETCH(int, updates);
        QTemporaryDir dir;
        QFile file(dir.filePath(fileName));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        search()->setText("radio");
        QSignalSpy contactsUpdate(m_form.get(), &PhonebookForm::contactsUpdate);
        const QString message = throughTheDialogs("importFile", file.fileName(), 0);
        for (const QString& part : told)
            QVERIFY2(message.contains(part), qPrintable(message));
        QCOMPARE(contactsUpdate.count(), updates);
        QCOMPARE(listed(), QStringList({ "50%", "50" }) + (updates ? QStringList { "Radio" } : QStringList {}));
    }

    // The format follows the extension, or else the chosen filter.
    void exporting_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("vCard by filter") << "out" << 1 << "out.vcf" << QByteArray("BEGIN:VCARD\r\n");
        QTest::newRow("CSV by extension") << "out.csv" << 1 << "out.csv" << QByteArray("first_name,");
    }

    void exporting()
    {
        QFETCH(QString, fileName);
        QFETCH(int, filter);
        QFETCH(QString, written);
        QFETCH(QByteArray, start);
        QTemporaryDir dir;
        search()->setText("radio");
        const QString message = throughTheDialogs("exportFile", dir.filePath(fileName), filter);
        QVERIFY2(message.contains(": 12."), qPrintable(message));
        QFile file(dir.filePath(written));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith(start));
    }
};

QTEST_MAIN(TestPhonebookForm)
#include "tst_phonebookform.moc"
