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

} // namespace

class TestPhonebookForm : public QObject
{
    Q_OBJECT

private slots:
    void changes_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("preset"); // the contact dialog's fields; empty for a message box
        QTest::addColumn<QStringList>("contacts");
        QTest::addColumn<int>("updates");
        const int ok = QDialogButtonBox::Ok;
        const int cancel = QDialogButtonBox::Cancel;
        QTest::newRow("add") << "add" << ok << "|||" << QStringList { anna, bert, typed } << 1;
        QTest::newRow("add, cancelled") << "add" << cancel << "|||" << QStringList { anna, bert } << 0;
        QTest::newRow("edit") << "edit" << ok << bert << QStringList { anna, typed } << 1;
        QTest::newRow("edit, cancelled") << "edit" << cancel << bert << QStringList { anna, bert } << 1;
        QTest::newRow("delete") << "del" << int(QDialogButtonBox::Yes) << "" << QStringList { anna } << 1;
        QTest::newRow("delete, declined")
            << "del" << int(QDialogButtonBox::No) << "" << QStringList { anna, bert } << 1;
    }

    void changes()
    {
        QFETCH(QString, button);
        QFETCH(int, answer);
        QFETCH(QStringList, contacts);
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
        QTest::mouseClick(
            view->viewport(), Qt::LeftButton, Qt::NoModifier, view->visualRect(view->model()->index(1, 1)).center());
        // The information is shown as plain text; the call button dials the number.
        QCOMPARE(form.findChild<QTextEdit*>(QStringLiteral("textEdit"))->toPlainText(), bert.section('|', 3));
        QCOMPARE(form.currentPhoneNumber(), bert.section('|', 2, 2));

        QSignalSpy contactsUpdate(&form, &PhonebookForm::contactsUpdate);
        QString shown;
        ModalAnswer::whenShown(&form, [&](QWidget* dialog) {
            // The contact dialog's fields are read and those of `typed` entered instead.
            if (auto* info = dialog->findChild<QTextEdit*>(QStringLiteral("info"))) {
                const QStringList fields = typed.split('|');
                const char* const names[] = { "firstname", "lastname", "phonenumber" };
                for (int i = 0; i < 3; ++i) {
                    auto* line = dialog->findChild<QLineEdit*>(QLatin1String(names[i]));
                    shown += line->text() + '|';
                    line->setText(fields[i]);
                }
                shown += info->toPlainText();
                info->setPlainText(fields[3]);
            }
            ModalAnswer::clickButton(dialog, answer);
        });
        QTest::mouseClick(form.findChild<QPushButton*>(button), Qt::LeftButton);
        QTEST(shown, "preset");
        QTEST(contactsUpdate.count(), "updates");
        QSqlQuery stored = database.query(QStringLiteral("SELECT group_concat(first_name || '|' || last_name || '|' || "
                                                         "phone_number || '|' || info, ',') FROM contacts"));
        QVERIFY(stored.next());
        QCOMPARE(stored.value(0).toString(), contacts.join(','));
        QCOMPARE(view->model()->rowCount(), contacts.size());
    }
};

QTEST_MAIN(TestPhonebookForm)
#include "tst_phonebookform.moc"
