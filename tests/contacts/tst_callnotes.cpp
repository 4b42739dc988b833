#include "AppContext.h"
#include "CCallHistoryForm.h"
#include "CCallRegistration.h"
#include "CDatabase.h"
#include "CIncomingForm.h"
#include "CUC20.h"
#include "CallNoteText.h"
#include "CallNotes.h"
#include "MainWindow.h"
#include "ManualClock.h"
#include "NotedCallerSaver.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QTextDocument>

// The producer's notes of the call going on: taken only during a call, cleaned and bounded, kept
// after the call for its record, emptied when the next call begins. On the virtual hybrid the
// presenter sees them in the control bar and the incoming-call window as they are written, the
// call's record keeps them for the history and its CSV, and the noted name goes into the
// phonebook with one click.
class TestCallNotes : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { m_rig.reset(); }

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
    void notesOfACall_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("ready");
        QTest::addColumn<QString>("badge");
        QTest::addColumn<QString>("incomingLine");
        QTest::addColumn<QString>("historyLine");
        const QString line = QStringLiteral("Jan de Vries, Zwolle \u2013 Ice on the A28");
        QTest::newRow("ready, a number") << "0612345678" << true << "READY"
                                         << QStringLiteral("READY \u00b7 Jan de Vries, Zwolle")
                                         << QStringLiteral("READY \u00b7 ") + line;
        QTest::newRow("not ready, withheld")
            << "" << false << "NOT READY" << QStringLiteral("NOT READY \u00b7 Jan de Vries, Zwolle") << line;
    }

    void notesOfACall()
    {
        QFETCH(QString, number);
        QFETCH(bool, ready);
        startRig();
        // A history without notes gives the names the whole width.
        QTableWidget* history = m_rig->window()->findChild<CCallHistoryForm*>()->findChild<QTableWidget*>();
        QVERIFY(history->isColumnHidden(CCallHistoryForm::ColumnNotes));
        m_context->database->setStudio(QStringLiteral("Studio 2"));
        QVERIFY(m_rig->connectUnit());
        QVERIFY(m_rig->stepUntil([&] { return m_rig->uc20()->simState() == SIM_READY; }, 3000));
        QVERIFY(ring(number));

        // Shown as soon as the producer writes them, before anything else happens.
        QVERIFY(m_context->callNotes->setCurrent(
            { QStringLiteral(" Jan de Vries "), QStringLiteral("Zwolle"), QStringLiteral("Ice on the A28"), ready }));
        QVERIFY(!m_rig->window()->findChild<QWidget*>(QStringLiteral("notesPanel"))->isHidden());
        QCOMPARE(label("label_notesCaller")->text(), QStringLiteral("Jan de Vries, Zwolle"));
        QCOMPARE(label("label_notesTopic")->text(), QStringLiteral("Ice on the A28"));
        QTEST(label("label_notesReady")->text(), "badge");
        CIncomingForm* incoming = VirtualHybridRig::incomingWindow();
        QVERIFY(incoming);
        QTEST(incoming->findChild<QLabel*>(QStringLiteral("label_notes"))->text(), "incomingLine");
        QCOMPARE(
            incoming->findChild<QLabel*>(QStringLiteral("label_notesTopic"))->text(), QStringLiteral("Ice on the A28"));
        QCOMPARE(saveButton()->isEnabled(), !number.isEmpty());

        m_rig->uc20()->answerCall();
        QVERIFY(m_rig->reaches(VOICECALL_ACTIVE, 3000));
        m_rig->step(2000);
        m_rig->unit()->farEndHangsUp();
        QVERIFY(m_rig->reaches(VOICECALL_IDLE, 3000));

        // The history shows them with the call, its talk time and its studio.
        QTRY_COMPARE(history->rowCount(), 1);
        QVERIFY(!history->isColumnHidden(CCallHistoryForm::ColumnNotes));
        QTableWidgetItem* notes = history->item(0, CCallHistoryForm::ColumnNotes);
        QTEST(notes->text(), "historyLine");
        QVERIFY(notes->toolTip().contains(QStringLiteral("Topic: Ice on the A28")));
        QCOMPARE(history->item(0, CCallHistoryForm::ColumnDuration)->text(), QStringLiteral("00:00:02"));
        QCOMPARE(history->item(0, CCallHistoryForm::ColumnStudio)->text(), QStringLiteral("Studio 2"));

        // Saved after the call, the noted name names the caller from the next call on.
        QCOMPARE(saveButton()->isEnabled(), !number.isEmpty());
        if (number.isEmpty())
            return;
        saveButton()->click();
        QCOMPARE(m_context->database->knownName(number), QStringLiteral("Jan de Vries"));
        QVERIFY(!saveButton()->isEnabled());
        QTRY_VERIFY(history->item(0, CCallHistoryForm::ColumnName)->text().startsWith(QStringLiteral("Jan de Vries")));
        QVERIFY(ring(number));
        QCOMPARE(m_rig->window()->findChild<QLineEdit*>(QStringLiteral("lineEdit_callnumber"))->text(),
            QStringLiteral("Jan de Vries"));
        QCOMPARE(incoming->findChild<QLabel*>(QStringLiteral("label_number"))->text(), QStringLiteral("Jan de Vries"));
        // The new call starts without notes, and the strip gives its room back.
        QCOMPARE(label("label_notesTopic")->text(), QString());
        QVERIFY(m_rig->window()->findChild<QWidget*>(QStringLiteral("notesPanel"))->isHidden());
    }

    // Notes come from a browser on another computer: what the producer typed shows as typed, in
    // the labels and in their tool tips, never read as markup.
    void notesShownAsTyped()
    {
        startRig();
        QVERIFY(m_rig->connectUntilSimReady());
        QVERIFY(ring(QStringLiteral("0612345678")));
        const QString name = QStringLiteral("<b>Jan</b>");
        const QString topic = QStringLiteral("<img src=\"x.png\"> Ice & <i>snow</i>");
        QVERIFY(m_context->callNotes->setCurrent({ name, QString(), topic, true }));
        for (QLabel* shown : { label("label_notesCaller"), label("label_notesTopic") }) {
            const QString typed = shown->text();
            QVERIFY2(shown->sizeHint().width() >= shown->fontMetrics().horizontalAdvance(typed), qPrintable(typed));
        }
        const QString details = QStringLiteral("Caller: %1\nTopic: %2\nReady for air").arg(name, topic);
        QCOMPARE(
            asToolTipShows(m_rig->window()->findChild<QWidget*>(QStringLiteral("notesPanel"))->toolTip()), details);
        CIncomingForm* incoming = VirtualHybridRig::incomingWindow();
        QVERIFY(incoming);
        QCOMPARE(asToolTipShows(incoming->findChild<QLabel*>(QStringLiteral("label_notesTopic"))->toolTip()), details);
        m_rig->uc20()->endCall();
        QVERIFY(m_rig->reaches(VOICECALL_IDLE, 3000));
        QTableWidget* history = m_rig->window()->findChild<CCallHistoryForm*>()->findChild<QTableWidget*>();
        QTRY_COMPARE(history->rowCount(), 1);
        QCOMPARE(asToolTipShows(history->item(0, CCallHistoryForm::ColumnNotes)->toolTip()), details);
    }

private:
    // The program on the virtual hybrid, with the talk time on the unit's clock.
    void startRig()
    {
        m_rig = std::make_unique<VirtualHybridRig>();
        m_context = m_rig->window()->context();
        ManualClock* clock = m_rig->clock();
        m_rig->window()->findChild<CCallRegistration*>()->setClock(
            [] { return QDateTime::currentDateTime(); }, [clock] { return clock->nowMs(); });
    }
    // The words a tool tip shows: one that looks like markup is taken for markup.
    static QString asToolTipShows(const QString& toolTip)
    {
        if (!Qt::mightBeRichText(toolTip))
            return toolTip;
        QTextDocument document;
        document.setHtml(toolTip);
        return document.toPlainText().replace(QChar::LineSeparator, QLatin1Char('\n'));
    }
    QLabel* label(const char* name) const { return m_rig->window()->findChild<QLabel*>(QLatin1String(name)); }
    QPushButton* saveButton() const
    {
        return m_rig->window()->findChild<QPushButton*>(QStringLiteral("pushButton_saveCaller"));
    }
    bool ring(const QString& number)
    {
        m_rig->unit()->ringIn(number);
        return m_rig->reaches(VOICECALL_INCOMING);
    }

    std::unique_ptr<VirtualHybridRig> m_rig;
    const AppContext* m_context = nullptr;
};

QTEST_MAIN(TestCallNotes)
#include "tst_callnotes.moc"
