#include "AppContext.h"
#include "CCallHistoryForm.h"
#include "CCallRegistration.h"
#include "CDatabase.h"
#include "CallHistoryExport.h"
#include "CallRegisterTable.h"
#include "ModalAnswer.h"
#include "PhonebookForm.h"

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

#include <ctime>

namespace {

// "first|last|number"; the first names are the contacts' handles in the tests below.
const char* const phonebook[] = { "Anna|de Vries|+31 20 1234567", "Émile|Zola|0301234567", "Jürgen|Müller|0049 89 765",
    "Sean|O'Brien|0611", "50%|Radio|1", "50|Radio|2", "a_b|Studio|3", "axb|Studio|4", "Öz*|Test|5", "Özlem|Test|6",
    "C\\D|Test|7", "CD|Test|8" };

} // namespace

// The call register, the history that shows it, and its export; the phonebook page's search, and
// the buttons acting on what it shows.
class TestCCallHistoryForm : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    CDatabase m_database { m_dir.path(), nullptr };
    AppContext m_context { nullptr, nullptr, nullptr, nullptr, &m_database };
    CCallRegistration m_makesTheRegister { &m_context };
    std::unique_ptr<PhonebookForm> m_form;

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
        const auto newest = [this] {
            QSqlQuery id = m_database.query(QStringLiteral("SELECT max(id) FROM call_register"));
            return id.next() ? id.value(0).toLongLong() : -1;
        };
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

    // Name, date, talk time and number of a row, its direction icon, and its colour.
    static QString row(QTableWidget* table, int row)
    {
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
        return columns.join('|') + ' ' + looks + tint;
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

private slots:
    void cleanup()
    {
        m_form.reset();
        // The search field's clear button fades in and out; an animation left running stops at
        // its next frame, now that the field is gone, and then deletes itself.
        QTest::qWait(50);
        for (const char* table :
            { "call_register", "call_declined", "call_studio", "call_notes", "call_register_open", "contacts",
                "sqlite_sequence" })
            m_database.query(QLatin1String("DELETE FROM ") + QLatin1String(table));
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
        const auto shown = [table] {
            QStringList rows;
            for (int i = 0; i < table->rowCount(); ++i)
                rows << row(table, i);
            return rows;
        };
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
        QCOMPARE(shown(), all);
        filter->click();
        QCOMPARE(shown(),
            QStringList({ all[0], all[1], all[2], all[4],
                "Anna Alpha (4)|Wed 12.06.2024 09:01|00:00:00|0301234567 missed red" }));
        table->setCurrentCell(2, 0);
        QCOMPARE(form.selectedNumber(), QStringLiteral("0612345678"));
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
        QCOMPARE(shown(), all);
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
        QCOMPARE(m_database.studio(), QStringLiteral("Studio 1"));
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
        QCOMPARE(CallRegisterTable::studios(&m_database), QStringList({ "Studio 1", "Studio 2" }));
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
        QTest::newRow("all calls") << false << "202"
                                   << "103";
        QTest::newRow("missed only") << true << "201"
                                     << "3";
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
        QSqlQuery count = m_database.query(QStringLiteral("SELECT count(*) FROM contacts"));
        QVERIFY(count.next());
        QVERIFY(!search.isEmpty() || model->rowCount() == count.value(0).toInt());
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
        openPhonebook();
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
        openPhonebook();
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

QTEST_MAIN(TestCCallHistoryForm)
#include "tst_ccallhistoryform.moc"
