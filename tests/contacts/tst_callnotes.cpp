#include "CallNoteText.h"
#include "CallNotes.h"
#include "NotedCallerSaver.h"

#include <QSignalSpy>
#include <QTest>

// The producer's notes of the call going on: taken only during a call, cleaned and bounded, kept
// after the call for its record, emptied when the next call begins.
class TestCallNotes : public QObject
{
    Q_OBJECT

private slots:
    void cleaned_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        const QString smiley = QStringLiteral("\U0001F600"); // two UTF-16 units
        QTest::newRow("outer blanks and runs of them") << "  Jan   de Vries \t" << "Jan de Vries";
        QTest::newRow("line breaks and control characters")
            << QStringLiteral("Jan\r\nde\u0007Vries\u2028Zwolle") << "Jan de Vries Zwolle";
        QTest::newRow("200 characters kept whole") << QString(200, 'a') << QString(200, 'a');
        QTest::newRow("longer cut at 200") << QString(250, 'b') << QString(200, 'b');
        QTest::newRow("a pair across the bound is left out") << QString(199, 'c') + smiley + "d" << QString(199, 'c');
        QTest::newRow("a pair within the bound is kept")
            << QString(198, 'c') + smiley + "d" << QString(198, 'c') + smiley;
    }

    void cleaned()
    {
        QFETCH(QString, typed);
        CallNotes notes;
        notes.onVoicecallStateChange(VOICECALL_INCOMING, QStringLiteral("0612345678"));
        QVERIFY(notes.setCurrent({ typed, typed, typed, true }));
        const CallNote kept = notes.current();
        QTEST(kept.callerName, "kept");
        QTEST(kept.place, "kept");
        QTEST(kept.topic, "kept");
        QVERIFY(kept.readyForAir);
    }

    // Steps: "ring N", "dial N", "answer", "hang up", "note NAME".
    void lifecycle_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("taken"); // per note step: 1 taken, 0 refused
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("changes");
        QTest::newRow("refused without a call") << QStringList { "note Jan" } << "0" << "" << "" << 0;
        QTest::newRow("taken while ringing") << QStringList { "ring 0612345678", "note Jan" } << "1" << "Jan"
                                             << "0612345678" << 1;
        QTest::newRow("kept after the call")
            << QStringList { "ring 0612345678", "note Jan", "answer", "hang up" } << "1" << "Jan" << "0612345678" << 1;
        QTest::newRow("refused once the call ended")
            << QStringList { "dial 0201234567", "note Jan", "hang up", "note Piet" } << "10" << "Jan"
            << "0201234567" << 1;
        QTest::newRow("emptied when the next call begins")
            << QStringList { "ring 0612345678", "note Jan", "hang up", "dial 0201234567" } << "1" << ""
            << "0201234567" << 2;
        QTest::newRow("the same notes again change nothing")
            << QStringList { "ring 0612345678", "note Jan", "note Jan" } << "11" << "Jan" << "0612345678" << 1;
    }

    void lifecycle()
    {
        QFETCH(QStringList, steps);
        CallNotes notes;
        QSignalSpy changes(&notes, &CallNotes::currentChanged);
        QString taken;
        for (const QString& step : steps) {
            const QString word = step.section(' ', 0, 0);
            const QString rest = step.section(' ', 1);
            if (word == "note")
                taken += notes.setCurrent({ rest, QString(), QString(), false }) ? '1' : '0';
            else if (word == "ring" || word == "dial")
                notes.onVoicecallStateChange(word == "ring" ? VOICECALL_INCOMING : VOICECALL_CALLING, rest);
            else
                notes.onVoicecallStateChange(word == "answer" ? VOICECALL_ACTIVE : VOICECALL_IDLE, QString());
        }
        QTEST(taken, "taken");
        QTEST(notes.current().callerName, "name");
        QTEST(notes.number(), "number");
        QTEST(int(changes.size()), "changes");
    }

    // How the notes read on one line, with what was not noted left out.
    void oneLine_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("place");
        QTest::addColumn<QString>("topic");
        QTest::addColumn<bool>("ready");
        QTest::addColumn<QString>("line");
        QTest::newRow("everything") << "Jan" << "Zwolle" << "Ice" << true
                                    << QStringLiteral("READY \u00b7 Jan, Zwolle \u2013 Ice");
        QTest::newRow("no place, not ready") << "Jan" << "" << "Ice" << false << QStringLiteral("Jan \u2013 Ice");
        QTest::newRow("topic alone") << "" << "" << "Ice" << false << "Ice";
        QTest::newRow("place alone") << "" << "Zwolle" << "" << false << "Zwolle";
        QTest::newRow("ready alone") << "" << "" << "" << true << "READY";
        QTest::newRow("nothing") << "" << "" << "" << false << "";
    }

    void oneLine()
    {
        QFETCH(QString, name);
        QFETCH(QString, place);
        QFETCH(QString, topic);
        QFETCH(bool, ready);
        QTEST(CallNoteText::line({ name, place, topic, ready }), "line");
    }

    // A noted name goes into the phonebook as its first word and the rest.
    void nameSplit_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::newRow("with a prefix") << "Jan de Vries" << "Jan" << "de Vries";
        QTest::newRow("one word") << "Mo" << "Mo" << "";
        QTest::newRow("blanks between") << "Anna   Maria  Jansen" << "Anna" << "Maria Jansen";
    }

    void nameSplit()
    {
        QFETCH(QString, name);
        QString first;
        QString last;
        NotedCallerSaver::splitName(name, &first, &last);
        QTEST(first, "first");
        QTEST(last, "last");
    }
};

QTEST_GUILESS_MAIN(TestCallNotes)
#include "tst_callnotes.moc"
