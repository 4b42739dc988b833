#include "CDatabase.h"
#include "CallRegisterTable.h"
#include "DatabaseMove.h"
#include "MemorySecretStore.h"
#include "ModalAnswer.h"
#include "ProgramEnvironment.h"
#include "StationMoveActions.h"
#include "TestPostgres.h"

#include <QMessageBox>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

// A studio's phonebook and history moved between its file and the station's server, both ways:
// what either side knows already is left out, and a move that fails changes nothing.
class TestDatabaseMove : public QObject
{
    Q_OBJECT

    QTemporaryDir m_folder;

    static QString serverName()
    {
        QString error;
        const QString name = TestPostgres::freshDatabase(&error);
        if (name.isEmpty())
            qWarning() << error;
        return name;
    }

    static void addContact(CDatabase* database, const QString& name, const QString& number)
    {
        QVERIFY(database->query(QStringLiteral("INSERT INTO contacts (first_name, last_name, phone_number, info) "
                                               "VALUES (?, '', ?, '')"),
                            { name, number })
                    .isActive());
    }

    // Names and numbers, then calls as number/type/talk/studio/declined/topic, in the order kept.
    static QStringList content(CDatabase* database)
    {
        QStringList found;
        for (QSqlQuery rows = database->query(QStringLiteral("SELECT first_name, phone_number FROM contacts ORDER BY id"));
             rows.next();)
            found << rows.value(0).toString() + QLatin1Char(' ') + rows.value(1).toString();
        for (QSqlQuery rows = CallRegisterTable::newest(database, 100); rows.next();) {
            found.prepend(QStringLiteral("%1/%2/%3/%4/%5/%6")
                              .arg(rows.value(CallRegisterTable::PhoneNumber).toString())
                              .arg(rows.value(CallRegisterTable::CallType).toInt())
                              .arg(rows.value(CallRegisterTable::Duration).toLongLong())
                              .arg(rows.value(CallRegisterTable::Studio).toString())
                              .arg(rows.value(CallRegisterTable::Declined).toBool())
                              .arg(rows.value(CallRegisterTable::NoteTopic).toString()));
        }
        return found;
    }

    static DatabaseMove::Report move(CDatabase* from, CDatabase* to, const QString& studio = QString())
    {
        DatabaseMove job(ConnectionRecipe(from->database()), ConnectionRecipe(to->database()), studio,
            QStringLiteral("Studio Oost"));
        return job.run();
    }

private slots:
    void init()
    {
        if (!TestPostgres::available())
            QSKIP("no PostgreSQL server (scripts/with-postgres.sh starts one)");
    }

    void fileToServerAndBackLeavesOutWhatIsKnown()
    {
        QTemporaryDir fileDir;
        CDatabase file(fileDir.path(), nullptr);
        file.setStudio(QStringLiteral("Studio Zuid"));
        addContact(&file, QStringLiteral("Anna"), QStringLiteral("06 12345678"));
        addContact(&file, QStringLiteral("Bert"), QStringLiteral("020 7654321"));
        QVERIFY(CallRegisterTable::insert(&file, QStringLiteral("0612345678"), CallRegisterTable::Incoming, 61000,
            QStringLiteral("2026-12-01T10:00:00"), { QStringLiteral("Anna"), QString(), QStringLiteral("files"), true }));
        QVERIFY(CallRegisterTable::insert(&file, QStringLiteral("0201111111"), CallRegisterTable::Missed, 0,
            QStringLiteral("2026-12-01T11:00:00")));
        QVERIFY(CallRegisterTable::markDeclined(&file, 2));

        CDatabase server(TestPostgres::server(serverName()), nullptr);
        server.setStudio(QStringLiteral("Studio Noord"));
        // The station knows Anna by another way of writing her number, and the declined call.
        addContact(&server, QStringLiteral("Anna N."), QStringLiteral("+31 6 1234 5678"));
        QVERIFY(CallRegisterTable::insert(&server, QStringLiteral("0201111111"), CallRegisterTable::Missed, 0,
            QStringLiteral("2026-12-01T11:00:00")));

        DatabaseMove::Report report = move(&file, &server);
        QVERIFY2(report.ok, qPrintable(report.error));
        QCOMPARE(QList<int>({ report.contactsAdded, report.contactsKnown, report.callsAdded, report.callsKnown }),
            QList<int>({ 1, 1, 1, 1 }));
        const QStringList joined { QStringLiteral("0201111111/2/0/Studio Noord/0/"),
            QStringLiteral("0612345678/0/61000/Studio Zuid/0/files"), QStringLiteral("Anna N. +31 6 1234 5678"),
            QStringLiteral("Bert 020 7654321") };
        QCOMPARE(content(&server), joined);
        // Again: all of it is known now.
        report = move(&file, &server);
        QCOMPARE(QList<int>({ report.contactsAdded, report.contactsKnown, report.callsAdded, report.callsKnown }),
            QList<int>({ 0, 2, 0, 2 }));
        QCOMPARE(content(&server), joined);

        // Leaving the station: the phonebook, and the calls of the studio that leaves.
        QTemporaryDir backDir;
        CDatabase back(backDir.path(), nullptr);
        report = move(&server, &back, QStringLiteral("Studio Zuid"));
        QVERIFY2(report.ok, qPrintable(report.error));
        QCOMPARE(content(&back),
            QStringList({ QStringLiteral("0612345678/0/61000/Studio Zuid/0/files"),
                QStringLiteral("Anna N. +31 6 1234 5678"), QStringLiteral("Bert 020 7654321") }));
    }

    void aMoveThatFailsChangesNothing()
    {
        QTemporaryDir fileDir;
        CDatabase file(fileDir.path(), nullptr);
        addContact(&file, QStringLiteral("Anna"), QStringLiteral("0612345678"));
        QVERIFY(CallRegisterTable::insert(&file, QStringLiteral("0612345678"), CallRegisterTable::Incoming, 5000,
            QStringLiteral("2026-12-01T10:00:00"), { QString(), QString(), QStringLiteral("refused"), false }));
        CDatabase server(TestPostgres::server(serverName()), nullptr);
        // The server refuses the call's notes, after the contact and the call went in.
        QVERIFY(server.query(QStringLiteral("CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS "
                                            "$$ BEGIN RAISE EXCEPTION 'notes refused'; END $$"))
                    .isActive());
        QVERIFY(server.query(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON call_notes FOR EACH ROW "
                                            "EXECUTE FUNCTION refuse()"))
                    .isActive());
        const DatabaseMove::Report report = move(&file, &server);
        QVERIFY(!report.ok);
        QVERIFY2(report.error.contains(QLatin1String("notes refused")), qPrintable(report.error));
        QCOMPARE(report.contactsAdded + report.callsAdded, 0);
        QCOMPARE(content(&server), QStringList());
    }

    void theOperatorMovesBackAndTheNextStartUsesTheFile()
    {
        QTemporaryDir settingsDir;
        isolateSettings(settingsDir.path());
        StationSettings settings;
        settings.place = StationSettings::Place::StationServer;
        settings.server = TestPostgres::server(serverName());
        settings.save();
        CDatabase server(settings.server, nullptr);
        addContact(&server, QStringLiteral("Carla"), QStringLiteral("0687654321"));
        MemorySecretStore secrets;
        QWidget window;
        QTemporaryDir fileDir;
        StationMoveActions actions(&server, &secrets, fileDir.path(), &window);
        QString told;
        // The question, then the progress of the copy, then what it did.
        std::function<void(QWidget*)> answer = [&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box || box->standardButtons().testFlag(QMessageBox::Yes)) {
                if (box)
                    ModalAnswer::clickButton(box, QMessageBox::Yes);
                ModalAnswer::whenOtherShown(this, modal, answer, 20000);
                return;
            }
            told = box->text();
            ModalAnswer::clickButton(box, QMessageBox::Ok);
        };
        ModalAnswer::whenShown(this, answer);
        actions.moveToComputer();
        QTRY_VERIFY_WITH_TIMEOUT(!told.isEmpty(), 20000);
        QVERIFY2(told.contains(QLatin1String("Copied 1 contacts and 0 calls")), qPrintable(told));
        QVERIFY(StationSettings::load().place == StationSettings::Place::ThisComputer);
        CDatabase file(fileDir.path(), nullptr);
        QCOMPARE(content(&file), QStringList { QStringLiteral("Carla 0687654321") });
    }
};

QTEST_MAIN(TestDatabaseMove)
#include "tst_databasemove.moc"
