#include "AppContext.h"
#include "CCallHistoryForm.h"
#include "CCallRegistration.h"
#include "CDatabase.h"
#include "ModalAnswer.h"
#include "PhonebookForm.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>

namespace {

// Name, date and the given column of a row, its direction icon and whether it is red.
QString row(QTableWidget* table, int row, int column)
{
    const QTableWidgetItem* name = table->item(row, 0);
    const QImage icon = name->icon().pixmap(24).toImage();
    QString looks = QStringLiteral("no icon");
    for (const char* kind : { "received", "made", "missed" }) {
        const QString file = QStringLiteral(":/resources/png/baseline_call_%1_black_48dp.png").arg(kind);
        if (!icon.isNull() && icon == QIcon(file).pixmap(24).toImage())
            looks = QLatin1String(kind);
    }
    return QStringList { name->text(), table->item(row, 1)->text(), table->item(row, column)->text() }.join('|') + ' '
        + looks + (name->foreground().color() == Qt::red ? " red" : "");
}

} // namespace

class TestCCallHistoryForm : public QObject
{
    Q_OBJECT

private slots:
    void dateText_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("timeDate");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QLocale>("locale");
        const QDate wednesday(2024, 6, 12);
        const QLocale c = QLocale::c();
        QTest::newRow("today") << wednesday << "2024-06-12T00:00:59" << QString("00:00") << c;
        QTest::newRow("one day ago") << wednesday << "2024-06-11T22:10:00" << QString("Tuesday 22:10") << c;
        QTest::newRow("six days ago") << wednesday << "2024-06-06T00:00:00" << QString("Thursday 00:00") << c;
        QTest::newRow("seven days ago") << wednesday << "2024-06-05T15:30:00" << QString("05.06.2024 15:30") << c;
        QTest::newRow("tomorrow") << wednesday << "2024-06-13T08:00:00" << QString("Thursday 08:00") << c;
        QTest::newRow("years ahead") << wednesday << "2031-06-14T10:00:00" << QString("Saturday 10:00") << c;
        QTest::newRow("across a year") << QDate(2025, 1, 1) << "2024-12-31T23:58:00" << QString("Tuesday 23:58") << c;
        // 02:30 on 31 March 2024 does not exist in central Europe; the text is shown as written.
        QTest::newRow("skipped hour") << QDate(2024, 3, 31) << "2024-03-31T02:30:00" << QString("02:30") << c;
        QTest::newRow("German") << wednesday << "2024-06-11T22:10:00" << QString("Dienstag 22:10")
                                << QLocale(QLocale::German);
        QTest::newRow("not a date") << wednesday << "yesterday" << QString() << c;
    }

    void dateText()
    {
        QFETCH(QDate, today);
        QFETCH(QString, timeDate);
        QFETCH(QString, shown);
        QFETCH(QLocale, locale);
        QLocale::setDefault(locale);
        // The same text in time zones on either side of UTC, with and without summer time.
        for (const char* zone : { "Europe/Berlin", "Pacific/Kiritimati", "America/St_Johns", "UTC" }) {
            qputenv("TZ", zone);
            tzset();
            QCOMPARE(CCallHistoryForm::dateText(timeDate, QDateTime(today, QTime(15, 30))), shown);
        }
        QLocale::setDefault(QLocale::c());
    }

    void durationText_data()
    {
        QTest::addColumn<qint64>("ms");
        QTest::addColumn<QString>("shown");
        QTest::newRow("zero") << qint64(0) << "00:00:00";
        QTest::newRow("65 000 ms") << qint64(65000) << "00:01:05";
        QTest::newRow("just under 24 hours") << qint64(86399999) << "23:59:59";
        QTest::newRow("24 hours") << qint64(86400000) << "";
        QTest::newRow("negative") << qint64(-1) << "";
    }

    void durationText()
    {
        QFETCH(qint64, ms);
        QFETCH(QString, shown);
        QCOMPARE(CCallHistoryForm::durationText(ms), shown);
    }

    void foldsRunsAddsCallersAndClears()
    {
        QTemporaryDir dir;
        CDatabase database(dir.path(), nullptr);
        AppContext context { nullptr, nullptr, nullptr, nullptr, &database };
        CCallRegistration makesTheRegister(&context);
        PhonebookForm phonebook(&context);
        CCallHistoryForm form(&context, &phonebook);
        form.setClock([] { return QDateTime(QDate(2024, 6, 12), QTime(15, 30)); });
        // As the main window wires them.
        connect(&phonebook, &PhonebookForm::contactsUpdate, &form, &CCallHistoryForm::LoadTable);
        form.show();
        auto* table = form.findChild<QTableWidget*>();
        auto addCall = [&](const QString& number, int type, int duration, const char* timeDate) {
            database.query(QStringLiteral("INSERT INTO call_register VALUES (NULL, ?, ?, ?, ?)"),
                { number, type, duration, QLatin1String(timeDate) });
        };
        const QString stranger = QStringLiteral("+49 30 O'Neil; DROP TABLE contacts; --");
        phonebook.addContact(QStringLiteral("Anna"), QStringLiteral("Alpha"), QStringLiteral("0301234567"), {});
        // Oldest first: Anna misses three times from three spellings of her number, then a call
        // of another type breaks the run.
        addCall(QStringLiteral("0301234567"), 2, 0, "2024-06-12T09:01:00");
        addCall(QStringLiteral("+49301234567"), 2, 0, "2024-06-12T09:02:00");
        addCall(QStringLiteral("0049301234567"), 2, 0, "2024-06-12T09:03:00");
        addCall(QStringLiteral("0301234567"), 0, 42000, "2024-06-12T09:04:00");
        addCall(QStringLiteral("0301234567"), 2, 0, "2024-06-12T09:05:00");
        addCall(stranger, 1, 3000, "2024-06-12T09:06:00");
        form.LoadTable();
        QCOMPARE(table->rowCount(), 4);
        QCOMPARE(row(table, 0, 2), stranger + QStringLiteral("|09:06|00:00:03 made"));
        QCOMPARE(row(table, 1, 2), QStringLiteral("Anna Alpha|09:05|00:00:00 missed red"));
        QCOMPARE(row(table, 2, 2), QStringLiteral("Anna Alpha|09:04|00:00:42 received"));
        // One row for the run, with the count and the oldest call's time and number.
        QCOMPARE(row(table, 3, 3), QStringLiteral("Anna Alpha (3)|09:01|0301234567 missed red"));
        // The call button dials the number as stored; nothing without a selected row.
        QCOMPARE(form.selectedNumber(), QString());
        table->setCurrentCell(3, 0);
        QCOMPARE(form.selectedNumber(), QStringLiteral("0301234567"));

        // A double click offers an unknown caller for the phonebook; a known one is left alone.
        QSignalSpy updates(&phonebook, &PhonebookForm::contactsUpdate);
        QStringList offered;
        auto answer = [&](int button) {
            ModalAnswer::whenShown(&form, [&offered, button](QWidget* dialog) {
                offered << dialog->findChild<QLineEdit*>(QStringLiteral("phonenumber"))->text();
                dialog->findChild<QLineEdit*>(QStringLiteral("firstname"))->setText(QStringLiteral("New"));
                ModalAnswer::clickButton(dialog, button);
            });
        };
        auto doubleClick = [&](int row) {
            const QPoint at = table->visualItemRect(table->item(row, 1)).center();
            QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, at);
            QTest::mouseDClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        };
        answer(QDialogButtonBox::Cancel);
        doubleClick(1);
        QCOMPARE(offered.size(), 0);
        doubleClick(0);
        QCOMPARE(offered, QStringList { stranger });
        QCOMPARE(updates.count(), 0);
        answer(QDialogButtonBox::Ok);
        doubleClick(0);
        QCOMPARE(updates.count(), 1);
        // Reloaded through the phonebook's signal.
        QCOMPARE(row(table, 0, 2), QStringLiteral("New |09:06|00:00:03 made"));
        QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("pushButton_clear")), Qt::LeftButton);
        QCOMPARE(table->rowCount(), 0);
        QVERIFY(!database.query(QStringLiteral("SELECT * FROM call_register")).next());
    }
};

QTEST_MAIN(TestCCallHistoryForm)
#include "tst_ccallhistoryform.moc"
