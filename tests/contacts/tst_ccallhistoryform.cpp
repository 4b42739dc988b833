#include "AppContext.h"
#include "CCallHistoryForm.h"
#include "CCallRegistration.h"
#include "CConsole.h"
#include "CDatabase.h"
#include "ModalAnswer.h"
#include "PhonebookForm.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>
#include <memory>

namespace {

const char* const receivedIcon = ":/resources/png/baseline_call_received_black_48dp.png";
const char* const madeIcon = ":/resources/png/baseline_call_made_black_48dp.png";
const char* const missedIcon = ":/resources/png/baseline_call_missed_black_48dp.png";

// Wednesday, 12 June 2024, 15:30 local time.
QDateTime wednesdayAfternoon()
{
    return QDateTime(QDate(2024, 6, 12), QTime(15, 30));
}

// A double click as the operator makes it: a click, then the second press that Qt reports as a
// double click.
void doubleClick(QAbstractItemView* view, const QRect& cell)
{
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
}

bool sameIcon(const QIcon& icon, const char* file)
{
    const QImage shown = icon.pixmap(24).toImage();
    return !shown.isNull() && shown == QIcon(QLatin1String(file)).pixmap(24).toImage();
}

void setTimeZone(const QByteArray& zone)
{
    qputenv("TZ", zone);
    tzset();
}

} // namespace

class TestCCallHistoryForm : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void tableLayout();
    void dateColumn_data();
    void dateColumn();
    void weekdayFollowsTheDefaultLocale();
    void durationColumn_data();
    void durationColumn();
    void foldsRunsOfTheSameCall();
    void newestHundredFirst();
    void numbersAreShownVerbatim();
    void clearEmptiesAtOnce();
    void selectedNumber();
    void doubleClickOnAContactDoesNothing();
    void doubleClickAddsTheCaller_data();
    void doubleClickAddsTheCaller();

private:
    void addCall(const QString& number, int type, qint64 duration, const QString& timeDate);
    QTableWidget* table() const;
    QString cell(int row, int column) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CConsole> m_console;
    std::unique_ptr<CDatabase> m_database;
    AppContext m_context;
    std::unique_ptr<PhonebookForm> m_phonebook;
    std::unique_ptr<CCallRegistration> m_registration;
    std::unique_ptr<CCallHistoryForm> m_form;
};

void TestCCallHistoryForm::init()
{
    QLocale::setDefault(QLocale::c());
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_console = std::make_unique<CConsole>();
    m_database = std::make_unique<CDatabase>(m_dir->path(), m_console.get());
    m_context = AppContext();
    m_context.console = m_console.get();
    m_context.database = m_database.get();
    m_phonebook = std::make_unique<PhonebookForm>(&m_context);
    m_registration = std::make_unique<CCallRegistration>(&m_context);
    m_form = std::make_unique<CCallHistoryForm>(&m_context, m_phonebook.get());
    m_form->setClock(wednesdayAfternoon);
    // As the main window wires them.
    connect(m_phonebook.get(), &PhonebookForm::contactsUpdate, m_form.get(), &CCallHistoryForm::LoadTable);
    m_form->resize(377, 554);
    m_form->show();
}

void TestCCallHistoryForm::cleanup()
{
    m_form.reset();
    m_registration.reset();
    m_phonebook.reset();
    m_database.reset();
    m_console.reset();
    m_dir.reset();
    QLocale::setDefault(QLocale::system());
    setTimeZone("UTC");
}

void TestCCallHistoryForm::addCall(const QString& number, int type, qint64 duration, const QString& timeDate)
{
    QVERIFY(m_database
                ->query(QStringLiteral("INSERT INTO call_register (phone_number, call_type, duration, time_date) "
                                       "VALUES (?, ?, ?, ?)"),
                    { number, type, duration, timeDate })
                .isActive());
}

QTableWidget* TestCCallHistoryForm::table() const
{
    return m_form->findChild<QTableWidget*>(QStringLiteral("tableWidget"));
}

QString TestCCallHistoryForm::cell(int row, int column) const
{
    const QTableWidgetItem* item = table()->item(row, column);
    return item ? item->text() : QStringLiteral("<no item>");
}

void TestCCallHistoryForm::tableLayout()
{
    addCall(QStringLiteral("0301234567"), 0, 1000, QStringLiteral("2024-06-12T10:00:00"));
    m_form->LoadTable();
    QTableWidget* t = table();
    QCOMPARE(t->columnCount(), 6);
    QCOMPARE(t->rowCount(), 1);
    for (int column = 0; column < 6; ++column)
        QCOMPARE(t->isColumnHidden(column), column >= 3);
    QVERIFY(t->horizontalHeader()->isHidden());
    QVERIFY(t->verticalHeader()->isHidden());
    QCOMPARE(t->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(t->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(cell(0, 3), QStringLiteral("0301234567"));
    QCOMPARE(cell(0, 4), QStringLiteral("0"));
    QCOMPARE(t->item(0, 5), nullptr);
}

void TestCCallHistoryForm::dateColumn_data()
{
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("timeDate");
    QTest::addColumn<QString>("shown");

    const QDateTime now = wednesdayAfternoon();
    QTest::newRow("today, morning") << now << "2024-06-12T09:05:00"
                                    << "09:05";
    QTest::newRow("today, just after midnight") << now << "2024-06-12T00:00:59"
                                                << "00:00";
    QTest::newRow("today, later than now") << now << "2024-06-12T23:59:59"
                                           << "23:59";
    QTest::newRow("one day ago") << now << "2024-06-11T22:10:00"
                                 << "Tuesday 22:10";
    QTest::newRow("two days ago") << now << "2024-06-10T08:00:00"
                                  << "Monday 08:00";
    QTest::newRow("six days ago") << now << "2024-06-06T00:00:00"
                                  << "Thursday 00:00";
    QTest::newRow("exactly seven days ago") << now << "2024-06-05T15:30:00"
                                            << "05.06.2024 15:30";
    QTest::newRow("last year") << now << "2023-12-31T23:59:00"
                               << "31.12.2023 23:59";
    QTest::newRow("tomorrow") << now << "2024-06-13T08:00:00"
                              << "Thursday 08:00";
    QTest::newRow("years ahead") << now << "2031-06-14T10:00:00"
                                 << "Saturday 10:00";
    QTest::newRow("yesterday across a year") << QDateTime(QDate(2025, 1, 1), QTime(0, 5)) << "2024-12-31T23:58:00"
                                             << "Tuesday 23:58";
    // 02:30 on 31 March 2024 does not exist in central Europe; the text is shown as written.
    QTest::newRow("hour skipped by summer time") << QDateTime(QDate(2024, 3, 31), QTime(12, 0)) << "2024-03-31T02:30:00"
                                                 << "02:30";
    QTest::newRow("not a date") << now << "yesterday"
                                << "";
    QTest::newRow("empty") << now << ""
                           << "";
}

void TestCCallHistoryForm::dateColumn()
{
    QFETCH(QDateTime, now);
    QFETCH(QString, timeDate);
    QFETCH(QString, shown);

    addCall(QStringLiteral("0301234567"), 1, 0, timeDate);
    // The same text in time zones on either side of UTC, with and without summer time.
    for (const char* zone : { "UTC", "Europe/Berlin", "Pacific/Kiritimati", "America/St_Johns" }) {
        setTimeZone(zone);
        const QDateTime localNow(now.date(), now.time());
        m_form->setClock([localNow] { return localNow; });
        m_form->LoadTable();
        QVERIFY2(cell(0, 1) == shown, qPrintable(QStringLiteral("%1: \"%2\"").arg(zone, cell(0, 1))));
    }
}

void TestCCallHistoryForm::weekdayFollowsTheDefaultLocale()
{
    addCall(QStringLiteral("0301234567"), 1, 0, QStringLiteral("2024-06-11T22:10:00"));
    addCall(QStringLiteral("0407654321"), 1, 0, QStringLiteral("2024-05-11T22:10:00"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    m_form->LoadTable();
    // The weekday is named in the default locale; the full date is the same everywhere.
    QCOMPARE(cell(0, 1), QStringLiteral("11.05.2024 22:10"));
    QCOMPARE(cell(1, 1), QStringLiteral("Dienstag 22:10"));
}

void TestCCallHistoryForm::durationColumn_data()
{
    QTest::addColumn<qint64>("duration");
    QTest::addColumn<QString>("shown");
    QTest::newRow("never connected") << qint64(0) << "00:00:00";
    QTest::newRow("under a second") << qint64(999) << "00:00:00";
    QTest::newRow("65 000 ms") << qint64(65000) << "00:01:05";
    QTest::newRow("one hour, one minute, one second") << qint64(3661000) << "01:01:01";
    QTest::newRow("just under 24 hours") << qint64(86399999) << "23:59:59";
    QTest::newRow("24 hours") << qint64(86400000) << "";
    QTest::newRow("a day and a bit") << qint64(90061000) << "";
    QTest::newRow("negative") << qint64(-1) << "";
}

void TestCCallHistoryForm::durationColumn()
{
    QFETCH(qint64, duration);
    QFETCH(QString, shown);
    addCall(QStringLiteral("0301234567"), 0, duration, QStringLiteral("2024-06-12T10:00:00"));
    m_form->LoadTable();
    QCOMPARE(cell(0, 2), shown);
}

void TestCCallHistoryForm::foldsRunsOfTheSameCall()
{
    m_phonebook->addContact(QStringLiteral("Anna"), QStringLiteral("Alpha"), QStringLiteral("0301234567"), QString());
    // Oldest first. Anna calls from three spellings of her number.
    addCall(QStringLiteral("0301234567"), 2, 0, QStringLiteral("2024-06-12T09:01:00"));
    addCall(QStringLiteral("+49301234567"), 2, 0, QStringLiteral("2024-06-12T09:02:00"));
    addCall(QStringLiteral("0049301234567"), 2, 0, QStringLiteral("2024-06-12T09:03:00"));
    addCall(QStringLiteral("0301234567"), 0, 42000, QStringLiteral("2024-06-12T09:04:00"));
    addCall(QStringLiteral("0301234567"), 2, 0, QStringLiteral("2024-06-12T09:05:00"));
    addCall(QStringLiteral("555"), 2, 0, QStringLiteral("2024-06-12T09:06:00"));
    addCall(QStringLiteral("555"), 2, 0, QStringLiteral("2024-06-12T09:07:00"));
    addCall(QStringLiteral("555"), 1, 3000, QStringLiteral("2024-06-12T09:08:00"));
    m_form->LoadTable();

    QTableWidget* t = table();
    QCOMPARE(t->rowCount(), 5);
    const QColor red(255, 0, 0);

    QCOMPARE(cell(0, 0), QStringLiteral("555"));
    QVERIFY(sameIcon(t->item(0, 0)->icon(), madeIcon));
    QVERIFY(t->item(0, 0)->foreground().color() != red);
    QCOMPARE(cell(0, 2), QStringLiteral("00:00:03"));

    // Two missed calls from 555: the count, and the older call's time.
    QCOMPARE(cell(1, 0), QStringLiteral("555 (2)"));
    QVERIFY(sameIcon(t->item(1, 0)->icon(), missedIcon));
    QCOMPARE(t->item(1, 0)->foreground().color(), red);
    QCOMPARE(cell(1, 1), QStringLiteral("09:06"));
    QCOMPARE(cell(1, 4), QStringLiteral("0"));

    QCOMPARE(cell(2, 0), QStringLiteral("Anna Alpha"));
    QVERIFY(sameIcon(t->item(2, 0)->icon(), missedIcon));
    QCOMPARE(cell(2, 1), QStringLiteral("09:05"));

    // An answered call breaks the run of missed ones.
    QCOMPARE(cell(3, 0), QStringLiteral("Anna Alpha"));
    QVERIFY(sameIcon(t->item(3, 0)->icon(), receivedIcon));
    QVERIFY(t->item(3, 0)->foreground().color() != red);
    QCOMPARE(cell(3, 2), QStringLiteral("00:00:42"));

    // Three numbers, one contact: one row, showing the oldest call of the run.
    QCOMPARE(cell(4, 0), QStringLiteral("Anna Alpha (3)"));
    QCOMPARE(t->item(4, 0)->foreground().color(), red);
    QCOMPARE(cell(4, 1), QStringLiteral("09:01"));
    QCOMPARE(cell(4, 3), QStringLiteral("0301234567"));
    QCOMPARE(cell(4, 4), QStringLiteral("1"));
}

void TestCCallHistoryForm::newestHundredFirst()
{
    QVERIFY(m_database->database().transaction());
    for (int i = 1; i <= 105; ++i)
        addCall(
            QStringLiteral("0400%1").arg(i, 6, 10, QLatin1Char('0')), i % 3, 0, QStringLiteral("2024-06-12T09:00:00"));
    QVERIFY(m_database->database().commit());
    m_form->LoadTable();
    QCOMPARE(table()->rowCount(), 100);
    QCOMPARE(cell(0, 3), QStringLiteral("0400000105"));
    QCOMPARE(cell(99, 3), QStringLiteral("0400000006"));
}

void TestCCallHistoryForm::numbersAreShownVerbatim()
{
    const QString number = QStringLiteral("'); DELETE FROM call_register; --");
    m_registration->onVoicecallStateChange(VOICECALL_INCOMING, number);
    m_registration->onVoicecallStateChange(VOICECALL_IDLE, QString());
    m_form->LoadTable();
    QCOMPARE(table()->rowCount(), 1);
    QCOMPARE(cell(0, 0), number);
    QCOMPARE(cell(0, 3), number);
}

void TestCCallHistoryForm::clearEmptiesAtOnce()
{
    addCall(QStringLiteral("0301234567"), 0, 1000, QStringLiteral("2024-06-12T10:00:00"));
    addCall(QStringLiteral("0407654321"), 1, 1000, QStringLiteral("2024-06-12T11:00:00"));
    m_form->LoadTable();
    QCOMPARE(table()->rowCount(), 2);

    QTest::mouseClick(m_form->findChild<QPushButton*>(QStringLiteral("pushButton_clear")), Qt::LeftButton);
    QCOMPARE(table()->rowCount(), 0);
    QSqlQuery count = m_database->query(QStringLiteral("SELECT count(*) FROM call_register"));
    QVERIFY(count.next());
    QCOMPARE(count.value(0).toInt(), 0);
}

void TestCCallHistoryForm::selectedNumber()
{
    addCall(QStringLiteral("0301234567"), 0, 1000, QStringLiteral("2024-06-12T10:00:00"));
    addCall(QStringLiteral("+44 20 7946 0000"), 1, 1000, QStringLiteral("2024-06-12T11:00:00"));
    m_form->LoadTable();
    QCOMPARE(m_form->selectedNumber(), QString());

    const QRect second = table()->visualItemRect(table()->item(1, 0));
    QTest::mouseClick(table()->viewport(), Qt::LeftButton, Qt::NoModifier, second.center());
    QCOMPARE(m_form->selectedNumber(), QStringLiteral("0301234567"));
    table()->setCurrentCell(0, 1);
    QCOMPARE(m_form->selectedNumber(), QStringLiteral("+44 20 7946 0000"));

    // A reload leaves no row current.
    m_form->LoadTable();
    QCOMPARE(m_form->selectedNumber(), QString());
}

void TestCCallHistoryForm::doubleClickOnAContactDoesNothing()
{
    m_phonebook->addContact(QStringLiteral("Anna"), QStringLiteral("Alpha"), QStringLiteral("0301234567"), QString());
    addCall(QStringLiteral("+49301234567"), 0, 1000, QStringLiteral("2024-06-12T10:00:00"));
    m_form->LoadTable();
    QSignalSpy updates(m_phonebook.get(), &PhonebookForm::contactsUpdate);

    bool dialogShown = false;
    ModalAnswer::whenShown(m_form.get(), [&](QWidget* dialog) {
        dialogShown = true;
        ModalAnswer::clickButton(dialog, QDialogButtonBox::Cancel);
    });
    const QRect row = table()->visualItemRect(table()->item(0, 1));
    doubleClick(table(), row);
    // A dialog would have been answered before the double click returned.
    QVERIFY(!dialogShown);
    QCOMPARE(updates.count(), 0);
}

void TestCCallHistoryForm::doubleClickAddsTheCaller_data()
{
    QTest::addColumn<bool>("accept");
    QTest::newRow("accepted") << true;
    QTest::newRow("cancelled") << false;
}

void TestCCallHistoryForm::doubleClickAddsTheCaller()
{
    QFETCH(bool, accept);
    const QString number = QStringLiteral("+49 30 O'Neil");
    addCall(QStringLiteral("0301234567"), 0, 1000, QStringLiteral("2024-06-12T10:00:00"));
    addCall(number, 2, 0, QStringLiteral("2024-06-12T11:00:00"));
    m_form->LoadTable();
    QSignalSpy updates(m_phonebook.get(), &PhonebookForm::contactsUpdate);

    QString title;
    QString presetNumber;
    QString presetName;
    ModalAnswer::whenShown(m_form.get(), [&](QWidget* dialog) {
        title = dialog->windowTitle();
        presetNumber = dialog->findChild<QLineEdit*>(QStringLiteral("phonenumber"))->text();
        presetName = dialog->findChild<QLineEdit*>(QStringLiteral("firstname"))->text();
        dialog->findChild<QLineEdit*>(QStringLiteral("firstname"))->setText(QStringLiteral("New"));
        dialog->findChild<QLineEdit*>(QStringLiteral("lastname"))->setText(QStringLiteral("Caller"));
        ModalAnswer::clickButton(dialog, accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel);
    });
    QTest::ignoreMessage(QtDebugMsg, qPrintable(QStringLiteral("number:  \"%1\" not in database!").arg(number)));
    const QRect row = table()->visualItemRect(table()->item(0, 2));
    doubleClick(table(), row);

    QCOMPARE(title, QStringLiteral("Add Contact"));
    QCOMPARE(presetNumber, number);
    QCOMPARE(presetName, QString());
    QCOMPARE(updates.count(), accept ? 1 : 0);
    // The page was reloaded through the phonebook's signal, now with the name.
    QCOMPARE(cell(0, 0), accept ? QStringLiteral("New Caller") : number);
    QCOMPARE(cell(0, 4) != QStringLiteral("0"), accept);
    QCOMPARE(cell(1, 0), QStringLiteral("0301234567"));
}

QTEST_MAIN(TestCCallHistoryForm)
#include "tst_ccallhistoryform.moc"
