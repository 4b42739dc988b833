#include "AppContext.h"
#include "CCallHistoryForm.h"
#include "CCallRegistration.h"
#include "CDatabase.h"
#include "CallHistoryExport.h"
#include "CallRegisterTable.h"
#include "ContactExchange.h"
#include "ContactImportJob.h"
#include "ModalAnswer.h"
#include "PhonebookForm.h"
#include "SqliteFileAccess.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#include <algorithm>
#include <ctime>

namespace {

// "first|last|number"; the first names are the contacts' handles in the tests below.
const char* const phonebook[] = { "Anna|de Vries|+31 20 1234567", "Émile|Zola|0301234567", "Jürgen|Müller|0049 89 765",
    "Sean|O'Brien|0611", "50%|Radio|1", "50|Radio|2", "a_b|Studio|3", "axb|Studio|4", "Öz*|Test|5", "Özlem|Test|6",
    "C\\D|Test|7", "CD|Test|8" };

using Format = ContactExchange::Format;
const Format csv = ContactExchange::FORMAT_CSV;
const Format vcard = ContactExchange::FORMAT_VCARD;

} // namespace

// The call register, the history that shows it, and its export; the phonebook page's search, and
// the buttons acting on what it shows; contacts to and from CSV and vCard files.
class TestCCallHistoryForm : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    CDatabase m_database { m_dir.path(), nullptr };
    AppContext m_context { nullptr, nullptr, nullptr, nullptr, &m_database };
    CCallRegistration m_makesTheRegister { &m_context };
    std::unique_ptr<PhonebookForm> m_form;
    ContactExchange m_exchange { &m_database };

    void addCall(const QString& number, int type, int duration, const QString& timeDate)
    {
        m_database.query(QStringLiteral("INSERT INTO call_register VALUES (NULL, ?, ?, ?, ?)"),
            { number, type, duration, timeDate });
    }

    static void setZone(const char* zone)
    {
        qputenv("TZ", zone);
        tzset();
    }

    // The register the export is checked on, in central Europe: awkward names, notes and numbers.
    void addExportedCalls()
    {
        setZone("Europe/Berlin");
        const QString contact = QStringLiteral("INSERT INTO contacts VALUES (NULL, ?, ?, ?, '')");
        m_database.query(contact, { "Anna \"Annie\"", "Alpha, Jr.", "0301234567" });
        m_database.query(contact, { "Jürgen", "Øster", "+4940555666" });
        m_database.query(contact, { "Bert", "Line\r\nTwo", "0221999888" });
        // Not the name of a withheld caller.
        m_database.query(contact, { "No", "Number", "" });
        const auto newest
            = [this] { return SqliteFileAccess::number(m_database.fileName(), "SELECT max(id) FROM call_register"); };
        // Oldest first, as they were written.
        addCall("+49301234567", 0, 65000, "2025-01-31T23:59:59");
        addCall("0612345678", 2, 0, "2025-02-01T00:00:00");
        CallRegisterTable::saveNote(&m_database, newest(), { "Els", QString(), "Weather", false });
        addCall("004940555666", 1, 1999, "2025-02-28T23:59:59");
        addCall("0221999888", 1, 0, "2025-03-01T00:00:00");
        addCall("", 2, 0, "2025-05-05T05:05:05");
        addCall("\"0301\",5", 2, 0, "2025-07-14T12:00:00");
        m_database.query(QStringLiteral("INSERT INTO call_declined SELECT max(id) FROM call_register"));
        addCall("0612345678", 0, 7322999, "2025-12-07T10:15:00");
        // What a producer types is written as data, never as a formula or a broken field.
        CallRegisterTable::saveNote(&m_database, newest(), { "Piet \"PJ\" de Boer", "Den Haag", "=1+1, the A2", true });
        m_database.query(QStringLiteral("INSERT INTO call_studio (call_id, studio) "
                                        "SELECT max(id), 'Studio \"2\", east' FROM call_register"));
        addCall("0612345678", 0, -5, "");
        // A call still ringing has no outcome yet.
        addCall("0499000111", 2, 0, "2025-12-08T09:00:00");
        m_database.query(QStringLiteral("INSERT INTO call_register_open (call_id) SELECT max(id) FROM call_register"));
    }

    // Each row's name, date, talk time and number, its direction icon, and its colour.
    static QStringList shown(QTableWidget* table)
    {
        QStringList rows;
        for (int row = 0; row < table->rowCount(); ++row) {
            const QTableWidgetItem* name = table->item(row, 0);
            QString looks;
            for (const char* kind : { "received", "made", "missed" }) {
                const QString file = QStringLiteral(":/resources/png/baseline_call_%1_black_48dp.png").arg(kind);
                if (name->icon().pixmap(24).toImage() == QIcon(file).pixmap(24).toImage())
                    looks = QLatin1String(kind);
            }
            QStringList columns;
            for (int column = 0; column < 4; ++column)
                columns << table->item(row, column)->text();
            const QColor colour = name->foreground().color();
            const char* tint = colour == Qt::red ? " red" : colour == QColor(200, 100, 0) ? " orange" : "";
            rows << columns.join('|') + ' ' + looks + tint;
        }
        return rows;
    }

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

    // Clicks the button, picks the file and name filter in the file dialog that opens, and
    // returns the text of the message box that follows.
    QString throughTheDialogs(const QString& button, const QString& fileName, int filter)
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

    // The phonebook page on the contacts above.
    void openPhonebook()
    {
        m_form = std::make_unique<PhonebookForm>(&m_context);
        for (const char* contact : phonebook) {
            const QStringList fields = QString::fromUtf8(contact).split('|');
            m_form->addContact(fields[0], fields[1], fields[2], info(fields[0]));
        }
        m_form->show();
    }

    void add(const QString& contact)
    {
        // An empty field is an empty text, never NULL (Qt 6 gives a null string for it).
        const auto field = [&contact](int first, int last) {
            const QString text = contact.section('|', first, last);
            return text.isNull() ? QStringLiteral("") : text;
        };
        m_database.query(QStringLiteral("INSERT INTO contacts (first_name, last_name, phone_number, info) "
                                        "VALUES (?, ?, ?, ?)"),
            { field(0, 0), field(1, 1), field(2, 2), field(3, -1) });
    }
    // The phonebook as "first|last|number|info".
    QStringList exchanged() const
    {
        QStringList result;
        for (const ContactRecord& c : m_exchange.contacts())
            result << QStringList { c.firstName, c.lastName, c.phoneNumber, c.info }.join('|');
        return result;
    }

private slots:
    void cleanup()
    {
        m_form.reset();
        // The search field's clear button fades in and out; an animation left running stops at
        // its next frame, now that the field is gone, and then deletes itself.
        QTest::qWait(50);
        for (const char* table : { "call_register", "call_declined", "call_studio", "call_notes", "call_register_open",
                 "contacts", "sqlite_sequence" })
            m_database.query(QLatin1String("DELETE FROM ") + QLatin1String(table));
        m_database.query(QStringLiteral("DROP TRIGGER IF EXISTS temp.refuse"));
        m_database.setStudio(QString());
    }

    // What the register records of the calls the module reports.
    void registration_data()
    {
        // "+ms" moves the clocks on; "ring:A", "call:A", "talk:A" and "idle" are state reports;
        // "byus" says the call going on ends by us.
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("rows"); // party, type (0 in, 1 out, 2 missed), talk ms, start
        QTest::newRow("incoming, answered") << "+1000 ring:A +4000 talk:A +65000 idle" << QString("A 0 65000 10:00:01");
        QTest::newRow("incoming, missed") << "ring:A +20000 idle" << QString("A 2 0 10:00:00");
        QTest::newRow("outgoing, unanswered") << "+2000 call:B +30000 idle" << QString("B 1 0 10:00:02");
        QTest::newRow("outgoing, answered") << "call:B +8000 talk:B +12000 idle" << QString("B 1 12000 10:00:00");
        QTest::newRow("idle repeated") << "idle ring:A idle idle +1000 idle" << QString("A 2 0 10:00:00");
        QTest::newRow("number with quotes") << "ring:'\");-- idle" << QString("'\");-- 2 0 10:00:00");
        QTest::newRow("first seen connected") << "talk:A +30000 idle" << QString("A 0 30000 10:00:00");
        QTest::newRow("declined") << "ring:A +3000 byus idle" << QString("A 2 0 10:00:00 declined");
        QTest::newRow("talked, ended by us") << "ring:A talk:A +1000 byus idle" << QString("A 0 1000 10:00:00");
        QTest::newRow("next caller while talking") << "ring:A +1000 talk:A +20000 ring:B +1000 talk:B +9000 idle"
                                                   << QString("A 0 20000 10:00:00, B 0 9000 10:00:21");
    }

    void registration()
    {
        QFETCH(QString, script);
        CCallRegistration registration(&m_context);
        // Both clocks run on the test's time; the wall clock from 10:00:00.600.
        qint64 elapsedMs = 0;
        registration.setClock([&] { return QDateTime(QDate(2025, 3, 3), QTime(10, 0, 0, 600)).addMSecs(elapsedMs); },
            [&] { return elapsedMs + 5000; });
        QSignalSpy updates(&registration, &CCallRegistration::registerUpdate);
        const QStringList names = { "idle", "call", "ring", "talk" };
        const VOICECALL_STATE states[] = { VOICECALL_IDLE, VOICECALL_CALLING, VOICECALL_INCOMING, VOICECALL_ACTIVE };
        for (const QString& step : script.split(' ')) {
            const int state = names.indexOf(step.left(4));
            if (step == "byus")
                registration.onCallEnded(CALL_END_BY_US, QString(), 0);
            else if (state < 0)
                elapsedMs += step.toInt();
            else
                registration.onVoicecallStateChange(states[state], step.mid(5));
        }
        QStringList written;
        for (QSqlQuery all
             = m_database.query(QStringLiteral("SELECT phone_number || ' ' || call_type || ' ' || "
                                               "duration || ' ' || substr(time_date, 12) || CASE WHEN id IN "
                                               "(SELECT call_id FROM call_declined) THEN ' declined' ELSE '' END "
                                               "FROM call_register"));
             all.next();)
            written << all.value(0).toString();
        QTEST(written.join(QStringLiteral(", ")), "rows");
        QCOMPARE(updates.count(), written.size());
    }

    void dateText_data()
    {
        QTest::addColumn<QString>("timeDate"); // today is Wednesday, 12 June 2024
        QTest::addColumn<QString>("shown");
        QTest::newRow("today") << "2024-06-12T00:00:59" << QString("Wed 12.06.2024 00:00");
        QTest::newRow("one day ago") << "2024-06-11T22:10:00" << QString("Tue 11.06.2024 22:10");
        QTest::newRow("six days ago") << "2024-06-06T00:00:00" << QString("Thu 06.06.2024 00:00");
        QTest::newRow("seven days ago") << "2024-06-05T15:30:00" << QString("05.06.2024 15:30");
        QTest::newRow("years ahead") << "2031-06-14T10:00:00" << QString("Sat 14.06.2031 10:00");
        // 02:30 on 31 March 2024 does not exist in central Europe.
        QTest::newRow("skipped hour") << "2024-03-31T02:30:00" << QString("31.03.2024 02:30");
        QTest::newRow("not a date") << "yesterday" << QString("");
    }

    void dateText()
    {
        QFETCH(QString, timeDate);
        // Taken as written, in time zones on either side of UTC.
        for (const char* zone : { "Europe/Berlin", "Pacific/Kiritimati", "America/St_Johns", "UTC" }) {
            setZone(zone);
            QTEST(CCallHistoryForm::dateText(timeDate, QDateTime(QDate(2024, 6, 12), QTime(15, 30))), "shown");
        }
    }

    void durationText_data()
    {
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<QString>("shown");
        QTest::newRow("65 000 ms") << qint64(65000) << "00:01:05";
        QTest::newRow("just under 24 hours") << qint64(86399999) << "23:59:59";
        QTest::newRow("24 hours") << qint64(86400000) << "";
        QTest::newRow("negative") << qint64(-1) << "";
    }

    void durationText()
    {
        QFETCH(qint64, ms);
        QTEST(CCallHistoryForm::durationText(ms), "shown");
    }

    // Runs of calls of one kind from one party, whatever the spelling of the number, fold into one
    // row with the count and the oldest call's time and number. Missed only folds the missed calls
    // across the others, shows the declined apart, and marks a missed call that was called back.
    void rows()
    {
        PhonebookForm phonebook(&m_context);
        phonebook.addContact(QStringLiteral("Anna"), QStringLiteral("Alpha"), QStringLiteral("0301234567"), {});
        // Withheld calls have no number, and are no contact's even where one has no number either.
        phonebook.addContact(QStringLiteral("No"), QStringLiteral("Number"), QString(), {});
        // Oldest first, as "number type talkMs time"; "-" is a withheld number.
        for (const char* call :
            { "0301234567 2 0 09:01", "+49301234567 2 0 09:02", "0049301234567 2 0 09:03", "0301234567 0 42000 09:04",
                "0049301234567 2 0 09:05", "+4940123 1 3000 09:06", "0612345678 2 0 09:07", "0612345678 1 0 09:08",
                "0612345678 2 0 09:09", "- 2 0 09:10", "- 2 0 09:11", "0612345678 2 0 09:12" }) {
            const QStringList fields = QString::fromLatin1(call).split(' ');
            addCall(fields[0] == "-" ? QStringLiteral("") : fields[0], fields[1].toInt(), fields[2].toInt(),
                "2024-06-12T" + fields[3] + ":00");
        }
        m_database.query(QStringLiteral("INSERT INTO call_declined SELECT max(id) FROM call_register"));
        CCallHistoryForm form(&m_context, &phonebook);
        form.setClock([] { return QDateTime(QDate(2024, 6, 12), QTime(15, 30)); });
        auto* filter = form.findChild<QCheckBox*>(QStringLiteral("missedOnly"));
        auto* table = form.findChild<QTableWidget*>();
        form.LoadTable();
        const QStringList all = { "0612345678 \u2013 declined|Wed 12.06.2024 09:12|00:00:00|0612345678 missed orange",
            "Withheld number (2)|Wed 12.06.2024 09:10|00:00:00| missed red",
            "0612345678|Wed 12.06.2024 09:09|00:00:00|0612345678 missed red",
            "0612345678|Wed 12.06.2024 09:08|00:00:00|0612345678 made",
            "0612345678 \u2013 called back|Wed 12.06.2024 09:07|00:00:00|0612345678 missed red",
            "+4940123|Wed 12.06.2024 09:06|00:00:03|+4940123 made",
            "Anna Alpha|Wed 12.06.2024 09:05|00:00:00|0049301234567 missed red",
            "Anna Alpha|Wed 12.06.2024 09:04|00:00:42|0301234567 received",
            "Anna Alpha (3)|Wed 12.06.2024 09:01|00:00:00|0301234567 missed red" };
        QCOMPARE(shown(table), all);
        filter->click();
        QCOMPARE(shown(table),
            QStringList({ all[0], all[1], all[2], all[4],
                "Anna Alpha (4)|Wed 12.06.2024 09:01|00:00:00|0301234567 missed red" }));
        // A withheld caller cannot be added to the phonebook, an unknown one can.
        for (int i : { 1, 2 }) {
            QString offered;
            ModalAnswer::whenShown(&form, [&](QWidget* dialog) {
                offered = dialog->findChild<QLineEdit*>(QStringLiteral("phonenumber"))->text();
                ModalAnswer::clickButton(dialog, QDialogButtonBox::Cancel);
            });
            form.on_tableWidget_cellDoubleClicked(i, 0);
            QCOMPARE(offered, i == 1 ? QString() : QStringLiteral("0612345678"));
        }
        filter->click();
        QCOMPARE(shown(table), all);
    }

    // Two studios' programs on one database: each call says whose it was; the page shows one
    // studio's calls or all, and Clear with a studio shown takes only that studio's calls.
    void studios()
    {
        PhonebookForm phonebook(&m_context);
        QVERIFY(!m_database.studio().isEmpty()); // the computer's name until one is set
        CDatabase other(m_dir.path(), nullptr);
        m_database.setStudio(QStringLiteral("  Studio\t1 "));
        other.setStudio(QStringLiteral("Studio 2"));
        CallRegisterTable::insert(&m_database, QStringLiteral("0301234567"), 2, 0, "2024-06-12T09:01:00");
        CCallHistoryForm form(&m_context, &phonebook);
        auto* studio = form.findChild<QComboBox*>(QStringLiteral("studioFilter"));
        auto* table = form.findChild<QTableWidget*>();
        QVERIFY(studio->isHidden()); // one computer, one studio: nothing to choose
        QVERIFY(table->isColumnHidden(CCallHistoryForm::ColumnStudio));
        CallRegisterTable::insert(&other, QStringLiteral("0612345678"), 2, 0, "2024-06-12T09:02:00");
        const qint64 open
            = CallRegisterTable::open(&m_database, "0633333333", CallRegisterTable::Incoming, "2024-06-12T09:03:00");
        QVERIFY(CallRegisterTable::close(&m_database, open, CallRegisterTable::Incoming, 2000));
        form.LoadTable();
        QVERIFY(!studio->isHidden());
        QCOMPARE(studio->count(), 3);
        QVERIFY(!table->isColumnHidden(CCallHistoryForm::ColumnStudio));
        QStringList shown;
        for (int row = 0; row < table->rowCount(); ++row)
            shown << table->item(row, CCallHistoryForm::ColumnStudio)->text();
        QCOMPARE(shown, QStringList({ "Studio 1", "Studio 2", "Studio 1" }));
        studio->setCurrentIndex(studio->findText(QStringLiteral("Studio 1")));
        emit studio->activated(studio->currentIndex());
        QCOMPARE(table->rowCount(), 2);
        auto* missedOnly = form.findChild<QCheckBox*>(QStringLiteral("missedOnly"));
        missedOnly->click();
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(form.selectedNumber(), QString());
        table->setCurrentCell(0, 0);
        QCOMPARE(form.selectedNumber(), QStringLiteral("0301234567"));
        missedOnly->click();
        studio->setCurrentIndex(studio->findText(QStringLiteral("Studio 2")));
        emit studio->activated(studio->currentIndex());
        QString asked;
        ModalAnswer::whenShown(&form, [&](QWidget* box) {
            asked = qobject_cast<QMessageBox*>(box)->text();
            ModalAnswer::clickButton(box, QMessageBox::Yes);
        });
        form.findChild<QPushButton*>(QStringLiteral("pushButton_clear"))->click();
        QCOMPARE(asked, QStringLiteral("Clear the one call of Studio 2 from the history?"));
        QCOMPARE(CallRegisterTable::studios(&m_database), QStringList { "Studio 1" });
        QVERIFY(studio->isHidden()); // only this studio's calls are left
        QCOMPARE(table->rowCount(), 2);
    }

    void showsTheNewestHundredCalls_data()
    {
        QTest::addColumn<bool>("missedOnly");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::newRow("all calls") << false << QString("202") << QString("103");
        QTest::newRow("missed only") << true << QString("201") << QString("3");
    }

    void showsTheNewestHundredCalls()
    {
        QFETCH(bool, missedOnly);
        // Odd numbers missed, even ones made.
        QVERIFY(m_database.database().transaction());
        for (int call = 1; call <= 202; ++call)
            addCall(QString::number(call), call % 2 ? 2 : 1, 0, "2024-06-12T09:00:00");
        QVERIFY(m_database.database().commit());
        CCallHistoryForm form(&m_context, nullptr);
        form.findChild<QCheckBox*>(QStringLiteral("missedOnly"))->setChecked(missedOnly);
        auto* table = form.findChild<QTableWidget*>();
        QCOMPARE(table->rowCount(), 100);
        QTEST(table->item(0, 0)->text(), "first");
        QTEST(table->item(99, 0)->text(), "last");
    }

    void exportFromThePage_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("told");       // the message's start
        QTest::addColumn<int>("lines");          // of the file written; -1 when there is none
        QTest::addColumn<QStringList>("folder"); // nothing half written is left behind
        QTest::newRow("written") << "calls.csv"
                                 << "The call history was exported" << 3 << QStringList { "calls.csv", "plain.txt" };
        QTest::newRow("unwritable") << "plain.txt/calls.csv"
                                    << "The call history was not exported" << -1 << QStringList { "plain.txt" };
    }

    void exportFromThePage()
    {
        QFETCH(QString, file);
        QTemporaryDir dir;
        QVERIFY(QFile(dir.filePath(QStringLiteral("plain.txt"))).open(QIODevice::WriteOnly));
        addCall(QStringLiteral("0301234567"), 2, 0, "2024-06-09T23:59:00");
        addCall(QStringLiteral("0301234567"), 0, 5000, "2024-06-10T09:02:00");
        addCall(QStringLiteral("0612345678"), 1, 0, "2024-06-11T00:00:00");
        addCall(QStringLiteral("0612345678"), 1, 0, "2024-06-12T00:00:00");
        CCallHistoryForm form(&m_context, nullptr);
        QString message;
        // From the 10th to the 11th; then the file, then the message.
        ModalAnswer::whenShown(&form, [&](QWidget* range) {
            range->findChild<QRadioButton*>(QStringLiteral("range"))->click();
            range->findChild<QDateEdit*>(QStringLiteral("firstDay"))->setDate(QDate(2024, 6, 10));
            range->findChild<QDateEdit*>(QStringLiteral("lastDay"))->setDate(QDate(2024, 6, 11));
            ModalAnswer::clickButton(range, QDialogButtonBox::Ok);
            ModalAnswer::whenOtherShown(&form, range, [&](QWidget* files) {
                files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(dir.filePath(file));
                static_cast<QDialog*>(files)->accept(); // the file dialog's own, which takes the name
                ModalAnswer::whenOtherShown(&form, files, [&](QWidget* box) {
                    message = qobject_cast<QMessageBox*>(box)->text();
                    ModalAnswer::clickButton(box, QDialogButtonBox::Ok);
                });
            });
        });
        form.findChild<QPushButton*>(QStringLiteral("pushButton_export"))->click();
        QFETCH(QString, told);
        QVERIFY2(message.startsWith(told), qPrintable(message));
        QFile written(dir.filePath(file));
        QTEST(written.open(QIODevice::ReadOnly) ? int(written.readAll().count('\n')) : -1, "lines");
        QTEST(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), "folder");
    }

    // The call register written as CSV.
    void exportWhole()
    {
        addExportedCalls();
        QFile expected(QFINDTESTDATA("data/call-history.csv"));
        QVERIFY(expected.open(QIODevice::ReadOnly));
        QBuffer written;
        QVERIFY(written.open(QIODevice::WriteOnly));
        QCOMPARE(CallHistoryExport(&m_database).write(&written), 8);
        QCOMPARE(written.data(), expected.readAll());
    }

    void exportRange_data()
    {
        QTest::addColumn<QDate>("first");
        QTest::addColumn<QDate>("last");
        QTest::addColumn<QString>("began"); // the calls' days and times
        QTest::newRow("one day") << QDate(2025, 1, 31) << QDate(2025, 1, 31) << "01-31T23:59:59";
        QTest::newRow("both ends of February")
            << QDate(2025, 2, 1) << QDate(2025, 2, 28) << "02-01T00:00:00 02-28T23:59:59";
        QTest::newRow("from March on") << QDate(2025, 3, 1) << QDate()
                                       << "03-01T00:00:00 05-05T05:05:05 07-14T12:00:00 12-07T10:15:00";
        QTest::newRow("no call in April") << QDate(2025, 4, 1) << QDate(2025, 4, 30) << "";
        QTest::newRow("last day before first") << QDate(2025, 3, 1) << QDate(2025, 2, 1) << "";
    }

    void exportRange()
    {
        QFETCH(QDate, first);
        QFETCH(QDate, last);
        addExportedCalls();
        QBuffer written;
        QVERIFY(written.open(QIODevice::WriteOnly));
        CallHistoryExport history(&m_database);
        history.setRange(first, last);
        const int count = history.write(&written);
        QStringList began;
        const QRegularExpression rowStart(QStringLiteral("^2025-(\\S{14})"), QRegularExpression::MultilineOption);
        for (auto match = rowStart.globalMatch(QString::fromUtf8(written.data())); match.hasNext();)
            began << match.next().captured(1);
        QTEST(began.join(' '), "began");
        QCOMPARE(count, began.size());
        QVERIFY(written.data().startsWith("began,name,number,direction,result,talk_seconds,noted_name,noted_place,"
                                          "noted_topic,ready_for_air,studio\r\n"));
    }

    void exportOffsetBehindUtc()
    {
        setZone("America/St_Johns");
        QCOMPARE(CallHistoryExport::beganText(QStringLiteral("2025-01-15T08:00:00")),
            QStringLiteral("2025-01-15T08:00:00-03:30"));
        setZone("UTC");
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
        openPhonebook();
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
        openPhonebook();
        QTest::keyClicks(search(), QStringLiteral("a"));
        QCOMPARE(listed().size(), 7);
        search()->clear();
        QTest::keyClicks(search(), QStringLiteral("radio"));
        QCOMPARE(listed(), QStringList({ "50%", "50" }));
        m_form->addContact(QStringLiteral("Radio"), QStringLiteral("Noord"), QStringLiteral("9"), QString());
        QCOMPARE(listed(), QStringList({ "50%", "50", "Radio" }));
        search()->backspace();
        QCOMPARE(listed(), QStringList({ "50%", "50", "Radio" }));
        search()->clear();
        QTest::keyClicks(search(), QStringLiteral("radio n"));
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
        openPhonebook();
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
        QVERIFY(!search.isEmpty()
            || model->rowCount() == SqliteFileAccess::number(m_database.fileName(), "SELECT count(*) FROM contacts"));
    }

    // What is typed in has the bounds of an import; a name written in by other code, however long,
    // reaches a ringing call's windows cut to that length.
    void bounds()
    {
        openPhonebook();
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

    // Both buttons go through the file dialog, then tell the outcome. An import lists the file's
    // contacts at once, under the search as it stands; an export takes its format from the
    // extension, or else from the chosen filter.
    void files_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("fileName");   // picked in the dialog
        QTest::addColumn<int>("filter");         // picked in the dialog
        QTest::addColumn<QString>("file");       // read or written
        QTest::addColumn<QByteArray>("content"); // of the file read; the start of the file written
        QTest::addColumn<QStringList>("told");   // parts of the message
        QTest::addColumn<int>("updates");
        const QString import("importFile"), exportTo("exportFile"), vcf("new.vcf"), txt("new.txt"), bad("bad.csv");
        QTest::newRow("import vCard, with a duplicate")
            << import << vcf << 0 << vcf
            << QByteArray("BEGIN:VCARD\nN:Noord;Radio\nTEL:99\nEND:VCARD\n"
                          "BEGIN:VCARD\nN:Again;Anna\nTEL:+31 20 1234567\nEND:VCARD\n")
            << QStringList { "new.vcf: 1.", "Line 5: Anna Again, +31 20 1234567 (already in the phonebook)" } << 1;
        QTest::newRow("import CSV without its extension")
            << import << txt << 0 << txt << QByteArray("first_name,last_name,phone_number\nRadio,Noord,99\n")
            << QStringList { "new.txt: 1." } << 1;
        QTest::newRow("import a bad record")
            << import << bad << 0 << bad << QByteArray("first_name,last_name,phone_number\nRadio,Noord\n")
            << QStringList { "Nothing was imported", "Line 2:" } << 0;
        QTest::newRow("export vCard by filter") << exportTo << QString("out") << 1 << QString("out.vcf")
                                                << QByteArray("BEGIN:VCARD\r\n") << QStringList { ": 12." } << 0;
        QTest::newRow("export CSV by extension") << exportTo << QString("out.csv") << 1 << QString("out.csv")
                                                 << QByteArray("first_name,") << QStringList { ": 12." } << 0;
    }

    void files()
    {
        openPhonebook();
        QFETCH(QString, button);
        QFETCH(QString, fileName);
        QFETCH(int, filter);
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QStringList, told);
        QFETCH(int, updates);
        QTemporaryDir dir;
        QFile onDisk(dir.filePath(file));
        if (button == "importFile")
            QVERIFY(onDisk.open(QIODevice::WriteOnly) && onDisk.write(content) == content.size());
        onDisk.close();
        search()->setText("radio");
        QSignalSpy contactsUpdate(m_form.get(), &PhonebookForm::contactsUpdate);
        const QString message = throughTheDialogs(button, dir.filePath(fileName), filter);
        for (const QString& part : told)
            QVERIFY2(message.contains(part), qPrintable(message));
        QCOMPARE(contactsUpdate.count(), updates);
        QCOMPARE(listed(), QStringList({ "50%", "50" }) + (updates ? QStringList { "Radio" } : QStringList {}));
        QVERIFY(onDisk.open(QIODevice::ReadOnly) && onDisk.readAll().startsWith(content));
    }

    void roundTrip_data()
    {
        QTest::addColumn<int>("format");
        for (const Format format : { csv, vcard })
            QTest::newRow(format == csv ? "CSV" : "vCard") << int(format);
    }

    // Awkward contacts come back as they were; vCard lines stay within 75 octets, each of them
    // whole UTF-8, and unfold to the same text.
    void roundTrip()
    {
        QFETCH(int, format);
        const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
        const QStringList contacts { QString::fromUtf8("Émile|Lefèvre-Dubois|+33 1 23 45 67 89|àéîõü ÆØÅ ß"),
            "Sean|O'Brien|0611|it's", "Doe, John|Smith; Jr.|(030) 123|a \"quoted\" note, with; all", "||3|",
            "Multi|Line|1|first line\nsecond\n\nfourth \\ \\n \\, end\n",
            " Padded |\t|2|" + QString::fromUtf8("ü").repeated(50) + emoji.repeated(30) + "x",
            "=1+1|@me|+31 20 123 4567|-note", "'=quoted|''+two|5|'plain",
            // Each name within the bound, the full name of both beyond it.
            QString(1000, 'x') + '|' + QString(1000, 'y') + "|7|" };
        for (const QString& contact : contacts)
            add(contact);
        const QByteArray data = m_exchange.exportData(Format(format));
        if (format == vcard) {
            const QList<QByteArray> lines = data.split('\n');
            QCOMPARE(lines.last(), QByteArray());
            for (const QByteArray& line : lines.mid(0, lines.size() - 1)) {
                QVERIFY2(line.endsWith('\r') && line.size() <= 76, line);
                QCOMPARE(QString::fromUtf8(line).toUtf8(), line);
            }
            QVERIFY(data.contains("\r\nNOTE:first line\\nsecond\\n\\nfourth \\\\ \\\\n \\\\\\, end\\n\r\n"));
        } else {
            QVERIFY(data.startsWith("first_name,last_name,phone_number,info\r\nÉmile,Lefèvre-Dubois,"));
            QVERIFY(
                data.contains("\r\n\"Doe, John\",\"Smith; Jr.\",(030) 123,\"a \"\"quoted\"\" note, with; all\"\r\n"));
            // What a spreadsheet would run as a formula is marked as text.
            QVERIFY(data.contains("\r\n'=1+1,'@me,'+31 20 123 4567,'-note\r\n''=quoted,'''+two,5,'plain\r\n"));
        }
        m_database.query(QStringLiteral("DELETE FROM contacts"));
        const ContactExchange::ImportResult result = m_exchange.importData(data, Format(format));
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(result.added, contacts.size());
        QCOMPARE(exchanged(), contacts);
    }

    // Files written by hand or by other programs.
    void reads_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("contacts");
        QTest::newRow("CSV: BOM, LF, quoted line breaks, no final line end")
            << QByteArray("\xEF\xBB\xBF"
                          "first_name,last_name,phone_number,info\nA,\"B\nC\",\"1\",\"x,\"\"y\"\"\"\r\n\nD,E,2,")
            << QStringList { "A|B\nC|1|x,\"y\"", "D|E|2|" };
        QTest::newRow("CSV: columns reordered, no info, blanks kept")
            << QByteArray("Phone_Number , first_name,last_name\r\n 030 ,Anna,\r\n") << QStringList { "Anna|| 030 |" };
        QTest::newRow("vCard: several cards, LF, folding, groups, parameters, extras")
            << QByteArray("begin:vcard\nVERSION:3.0\nN:Lef\xC3\xA8vre;\xC3\x89mile;Paul;Dr.;\nFN:ignored\n"
                          "EMAIL;TYPE=work:e@x.org\nitem1.TEL;TYPE=\"cell:x\":+33 1\nTEL:999\n"
                          "NOTE:one\\nt\n wo\\, \\;\\\\ three\nPHOTO;ENCODING=b:AAAA\n\tBBBB\nend:VCARD\n"
                          "\nBEGIN:VCARD\r\nN:;;;;\r\nFN:Only Fullname\r\nTEL:02\r\nEND:VCARD\r\n")
            << QStringList { QString::fromUtf8("Émile Paul|Lefèvre|+33 1|one\ntwo, ;\\ three\nOther numbers: 999"),
                   "Only Fullname||02|" };
        QTest::newRow("CSV: semicolons, Dutch header, BOM, formula mark")
            << QByteArray("\xEF\xBB\xBFVoornaam;Achternaam;Telefoonnummer;Opmerkingen\r\n"
                          "J\xC3\xBCrgen;de Vries, jr.;'+31 6 12345678;\"a;b\"\r\n")
            << QStringList { QString::fromUtf8("Jürgen|de Vries, jr.|+31 6 12345678|a;b") };
        QTest::newRow("CSV: Windows-1252, English header") << QByteArray(
            "Last Name,First name,Mobile,Notes\r\nM\xFCller,Ren\xE9"
            "e,0612,\x80 5 \x93ok\x94\r\n") << QStringList { QString::fromUtf8("Renée|Müller|0612|€ 5 “ok”") };
        QTest::newRow("vCard 2.1: quoted-printable, charsets, soft breaks, bare types")
            << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;J=\r\n"
                          "=C3=BCrgen\r\nTEL;HOME:020 1\r\nTEL;CELL:06 2\r\n"
                          "NOTE;CHARSET=ISO-8859-1;QUOTED-PRINTABLE:Caf=E9 =3D 1\r\nEND:VCARD\r\n")
            << QStringList { QString::fromUtf8("Jürgen|Müller|06 2|Café = 1\nOther numbers: 020 1 (home)") };
        // Read, written and read again, a note keeps its line breaks: CR alone and behind a backslash too.
        QTest::newRow("vCard 2.1: line breaks behind a backslash")
            << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Z;Y\r\nTEL:06 2\r\n"
                          "NOTE;QUOTED-PRINTABLE:a\\=0Db\\=0D=0Ac=0Dd\r\nEND:VCARD\r\n")
            << QStringList { "Y|Z|06 2|a\nb\nc\nd" };
        QTest::newRow("vCard 4.0: tel: URIs, the lowest PREF")
            << QByteArray(
                   "BEGIN:VCARD\nVERSION:4.0\nFN:Ann Lee\nTEL;VALUE=uri;TYPE=\"cell,voice\":tel:+1-555-0100\n"
                   "TEL;VALUE=uri;PREF=2;TYPE=work:tel:+1-555-0101;ext=7\nTEL;PREF=1:tel:+1-555-0102\nEND:VCARD\n")
            << QStringList { "Ann Lee||+1-555-0102|Other numbers: +1-555-0100 (cell); +1-555-0101 (work)" };
    }

    void reads()
    {
        QFETCH(QByteArray, file);
        const ContactExchange::ImportResult result = m_exchange.importData(file, ContactExchange::FORMAT_UNKNOWN);
        QVERIFY2(result.ok, qPrintable(result.error));
        QTEST(exchanged(), "contacts");
    }

    void faults_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("line"); // where the bad record begins
        QTest::addColumn<QString>("says");
        const QByteArray header("first_name,last_name,phone_number,info\r\n");
        const QByteArray spanning("A,B,1,\"two\r\nlines\"\r\n"); // lines 2 and 3
        QTest::newRow("CSV: unterminated quote") << header + spanning + "C,\"D,2,x\r\nE,F,3,y\r\n" << 4 << "not closed";
        QTest::newRow("CSV: too few fields") << header + spanning + "\r\nC,D,2\r\n" << 5 << "this record 3";
        QTest::newRow("CSV: quote inside a field") << header + "C,D\"d,2,x\r\n" << 2 << "quote";
        QTest::newRow("CSV: text after a quote") << header + "\"C\"c,D,2,x\r\n" << 2 << "closing quote";
        QTest::newRow("CSV: unknown column") << QByteArray("\nfirst_name,last_name,email,info\n") << 2 << "\"email\"";
        QTest::newRow("CSV: ambiguous columns, expected ones named")
            << QByteArray("First name;Last name;Phone;Mobile\n") << 1
            << "\"Phone\" and \"Mobile\" of the header both stand for phone_number; the import expects the columns "
               "first_name, last_name, phone_number and info";
        QTest::newRow("CSV: over-long line") << header + spanning + "C,D,2," + QByteArray("x;").repeated(40000) << 4
                                             << "the line is longer than 65536 characters";
        QTest::newRow("CSV: over-long field")
            << header + "C,D,2," + QByteArray(1025, 'x') << 2 << "field 4 is longer than 1024 characters";
        QTest::newRow("CSV: long text quoted short") << header + "C,D,call " + QByteArray(100, 'x') + ",\r\n"
                                                     << 2 << "\"call " + QString(35, 'x') + QChar(0x2026) + "\" is not";
        QTest::newRow("CSV: empty") << QByteArray("") << 1 << "header";
        QTest::newRow("CSV: no number") << header + spanning + "C,D, ,x\r\n" << 4 << "contact has no phone number";
        QTest::newRow("CSV: a NUL byte") << header + spanning + QByteArray("C,D\0d,2,x\r\n", 11) << 4 << "NUL";
        QTest::newRow("CSV: words for a number") << header + "C,D,call me,x\r\n" << 2 << "\"call me\" is not";
        const QByteArray card("BEGIN:VCARD\r\nN:A;B\r\nNOTE:fol\r\n ded\r\nTEL:1\r\nEND:VCARD\r\n"); // lines 1-6
        QTest::newRow("vCard: no END") << card + "BEGIN:VCARD\r\nTEL:2\r\n" << 7 << "END:VCARD";
        QTest::newRow("vCard: BEGIN before END") << card + "BEGIN:VCARD\nTEL:2\nBEGIN:VCARD\nEND:VCARD\n" << 7 << "END";
        QTest::newRow("vCard: no TEL") << card + "BEGIN:VCARD\r\nFN:x\r\nEND:VCARD\r\n" << 7 << "TEL";
        QTest::newRow("vCard: empty TEL") << card + "BEGIN:VCARD\r\nFN:x\r\nTEL:\r\nEND:VCARD\r\n"
                                          << 7 << "card has no phone number";
        QTest::newRow("vCard: a NUL byte")
            << card + QByteArray("BEGIN:VCARD\r\nN:D\0d\r\nTEL:2\r\nEND:VCARD\r\n", 36) << 8 << "NUL";
        QTest::newRow("vCard: no colon") << card + "BEGIN:VCARD\r\nTEL:2\r\nNOTE\r\nEND:VCARD\r\n" << 9 << ":";
        QTest::newRow("vCard: text outside a card") << card + "TEL:2\r\n" << 7 << "BEGIN:VCARD";
        QTest::newRow("vCard: unknown charset") << card + "BEGIN:VCARD\r\nN;CHARSET=KOI8-R;QUOTED-PRINTABLE:=C3\r\n"
                                                << 8 << "KOI8-R";
        QTest::newRow("vCard: over-long line")
            << card + "BEGIN:VCARD\nTEL:2\nNOTE:" + QByteArray(70000, 'x') << 9 << "longer than 65536";
    }

    // The first bad record stops the import before anything is added, and is named by its line.
    void faults()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, line);
        QFETCH(QString, says);
        add("Kept|Contact|0301234567|");
        const ContactExchange::ImportResult result = m_exchange.importData(file, ContactExchange::FORMAT_UNKNOWN);
        QVERIFY(!result.ok);
        QVERIFY2(result.error.startsWith(QStringLiteral("Line %1: ").arg(line)), qPrintable(result.error));
        QVERIFY2(result.error.contains(says), qPrintable(result.error));
        QCOMPARE(exchanged(), QStringList { "Kept|Contact|0301234567|" });
    }

    void allOrNothing_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QByteArray>("tail");
        QTest::addColumn<int>("line");
        QTest::newRow("CSV, bad last record") << int(csv) << QByteArray("x,y\r\n") << 2002;
        QTest::newRow("CSV, refused by the database") << int(csv) << QByteArray("Refused,y,5,\r\n") << 2002;
        QTest::newRow("vCard, bad last card") << int(vcard) << QByteArray("BEGIN:VCARD\r\nN:x\r\n") << 12001;
    }

    // Two thousand good contacts and one bad at the end: the phonebook stays as it was.
    void allOrNothing()
    {
        QFETCH(int, format);
        QFETCH(QByteArray, tail);
        QFETCH(int, line);
        QVERIFY(m_database.database().transaction());
        for (int i = 0; i < 2000; ++i)
            add(QStringLiteral("First%1|Last|+4930%1|").arg(i));
        QVERIFY(m_database.database().commit());
        const QByteArray data = m_exchange.exportData(Format(format)) + tail;
        m_database.query(QStringLiteral("DELETE FROM contacts"));
        add("Kept|Contact|0301234567|");
        m_database.query(QStringLiteral("CREATE TEMP TRIGGER refuse BEFORE INSERT ON contacts "
                                        "WHEN NEW.first_name = 'Refused' BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        const ContactExchange::ImportResult result = m_exchange.importData(data, Format(format));
        QVERIFY(!result.ok);
        QVERIFY2(result.error.startsWith(QStringLiteral("Line %1: ").arg(line)), qPrintable(result.error));
        QCOMPARE(exchanged(), QStringList { "Kept|Contact|0301234567|" });
        // The connection is usable afterwards, outside any transaction.
        add("Later|Contact|1|");
        QCOMPARE(exchanged().size(), 2);
    }

    // Numbers are compared by their last nine characters, with the phonebook and within the file.
    void duplicates()
    {
        add("Anna|Alpha|0301234567|");
        const QByteArray file("first_name,last_name,phone_number,info\r\n"
                              "Anna,Again,+49301234567,\r\n" // line 2: in the phonebook
                              "Bert,Beta,0407654321,\r\n"
                              "Bert,Twice,0049407654321,\r\n" // line 4: as line 3
                              "Short,One,12345,\r\n"
                              "Short,Two,12345,\r\n"); // line 6: as line 5
        const ContactExchange::ImportResult result = m_exchange.importData(file, csv);
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(result.added, 2);
        QStringList reported;
        for (const ContactExchange::Duplicate& d : result.duplicates)
            reported << QStringLiteral("%1 %2 %3").arg(d.contact.line).arg(d.contact.lastName).arg(d.earlierLine);
        QCOMPARE(reported, QStringList({ "2 Again 0", "4 Twice 3", "6 Two 5" }));
        QCOMPARE(exchanged(), QStringList({ "Anna|Alpha|0301234567|", "Bert|Beta|0407654321|", "Short|One|12345|" }));
    }

    void job_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("done") << false;
        QTest::newRow("cancelled") << true;
    }

    // The job reads and stores on its own thread and connection, telling its progress; cancelled,
    // it adds nothing.
    void job()
    {
        QFETCH(bool, cancel);
        add("Kept|Contact|0301234567|");
        QByteArray data("Voornaam;Achternaam;Telefoon\r\n");
        for (int i = 0; i < 20000; ++i)
            data += "F;L;+3120" + QByteArray::number(1000000 + i) + "\r\n";
        QFile file(m_dir.filePath("many.csv"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(data) == data.size());
        file.close();
        ContactImportJob job(file.fileName(), ContactExchange::FORMAT_UNKNOWN, m_database.fileName());
        QVector<int> steps;
        // On the job's thread, so that the cancel comes at the first progress, whatever the timing.
        connect(
            &job, &ContactImportJob::progress, &job,
            [&](int perMille) {
                steps << perMille;
                if (cancel)
                    job.cancel();
            },
            Qt::DirectConnection);
        QSignalSpy finished(&job, &ContactImportJob::finished);
        job.start();
        QVERIFY(finished.wait(20000));
        QVERIFY(!steps.isEmpty() && std::is_sorted(steps.begin(), steps.end()) && steps.last() <= 1000);
        QCOMPARE(job.wasCancelled(), cancel);
        QCOMPARE(job.result().ok, !cancel);
        QCOMPARE(job.result().added, cancel ? 0 : 20000);
        QCOMPARE(exchanged().size(), cancel ? 1 : 20001);
    }
};

QTEST_MAIN(TestCCallHistoryForm)
#include "tst_ccallhistoryform.moc"
