#include "AppContext.h"
#include "CDatabase.h"
#include "ModalAnswer.h"
#include "PhonebookForm.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

namespace {

// Contacts as "first|last|number|info".
const QString anna = QStringLiteral("Anna||0301234567|first");
const QString bert = QStringLiteral("Bert|Beta|0407654321|<b>2</b> & Co");
const QString typed = QStringLiteral("O'Brien|x'); DELETE FROM contacts; --|'0301';--|\"q\"; DROP TABLE contacts;");
const QString blank = QStringLiteral("|||");

// Reads the contact dialog's fields and types those of `typed` instead; empty for a message box.
QString swapFields(QWidget* dialog)
{
    auto* info = dialog->findChild<QTextEdit*>(QStringLiteral("info"));
    if (!info)
        return QString();
    const QStringList names = { "firstname", "lastname", "phonenumber" };
    const QStringList fields = typed.split(QLatin1Char('|'));
    QStringList shown;
    for (int i = 0; i < names.size(); ++i) {
        auto* line = dialog->findChild<QLineEdit*>(names[i]);
        shown << line->text();
        line->setText(fields[i]);
    }
    shown << info->toPlainText();
    info->setPlainText(fields[3]);
    return shown.join(QLatin1Char('|'));
}

} // namespace

class TestPhonebookForm : public QObject
{
    Q_OBJECT

private slots:
    void changes_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("row"); // selected before, -1: none
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("preset"); // what the dialog shows first
        QTest::addColumn<QStringList>("contacts");
        QTest::addColumn<int>("updates");
        const int ok = QDialogButtonBox::Ok;
        const int cancel = QDialogButtonBox::Cancel;
        const int yes = QDialogButtonBox::Yes;
        QTest::newRow("add") << "add" << -1 << ok << blank << QStringList { anna, bert, typed } << 1;
        QTest::newRow("add, cancelled") << "add" << -1 << cancel << blank << QStringList { anna, bert } << 0;
        QTest::newRow("edit") << "edit" << 1 << ok << bert << QStringList { anna, typed } << 1;
        QTest::newRow("edit, cancelled") << "edit" << 1 << cancel << bert << QStringList { anna, bert } << 1;
        QTest::newRow("edit, none selected") << "edit" << -1 << ok << blank << QStringList { anna, bert } << 1;
        QTest::newRow("delete") << "del" << 1 << yes << QString() << QStringList { anna } << 1;
        QTest::newRow("delete, declined")
            << "del" << 1 << int(QDialogButtonBox::No) << QString() << QStringList { anna, bert } << 1;
        QTest::newRow("delete, none selected") << "del" << -1 << yes << QString() << QStringList { anna, bert } << 1;
    }

    void changes()
    {
        QFETCH(QString, button);
        QFETCH(int, row);
        QFETCH(int, answer);
        QFETCH(QString, preset);
        QFETCH(QStringList, contacts);
        QFETCH(int, updates);
        QTemporaryDir dir;
        CDatabase database(dir.path(), nullptr);
        AppContext context { nullptr, nullptr, nullptr, nullptr, &database };
        PhonebookForm form(&context);
        // A field given as a null text is stored as an empty one.
        form.addContact(QStringLiteral("Anna"), QString(), QStringLiteral("0301234567"), QStringLiteral("first"));
        form.addContact(QStringLiteral("Bert"), QStringLiteral("Beta"), QStringLiteral("0407654321"),
            QStringLiteral("<b>2</b> & Co"));
        form.show();
        auto* view = form.findChild<QTableView*>();
        if (row >= 0) {
            const QPoint at = view->visualRect(view->model()->index(row, 1)).center();
            QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
            // The information is shown as plain text.
            QCOMPARE(form.findChild<QTextEdit*>(QStringLiteral("textEdit"))->toPlainText(), bert.section('|', 3));
        }
        // The number the call button dials.
        QCOMPARE(form.currentPhoneNumber(), row >= 0 ? bert.section('|', 2, 2) : QString());

        QSignalSpy contactsUpdate(&form, &PhonebookForm::contactsUpdate);
        QString shown = QStringLiteral("no dialog");
        ModalAnswer::whenShown(&form, [&](QWidget* dialog) {
            shown = swapFields(dialog);
            ModalAnswer::clickButton(dialog, answer);
        });
        QTest::mouseClick(form.findChild<QPushButton*>(button), Qt::LeftButton);
        QCOMPARE(shown, preset);
        QCOMPARE(contactsUpdate.count(), updates);
        QSqlQuery stored = database.query(QStringLiteral("SELECT group_concat(first_name || '|' || last_name || '|' || "
                                                         "phone_number || '|' || info, ',') FROM contacts"));
        QVERIFY(stored.next());
        QCOMPARE(stored.value(0).toString(), contacts.join(','));
        QCOMPARE(view->model()->rowCount(), contacts.size());
    }
};

QTEST_MAIN(TestPhonebookForm)
#include "tst_phonebookform.moc"
