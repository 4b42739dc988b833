#include "CCallHistoryForm.h"
#include "CConsole.h"
#include "CDatabase.h"
#include "CIncomingForm.h"
#include "CUC20.h"
#include "MainWindow.h"
#include "ManualClock.h"
#include "ModalAnswer.h"
#include "ProgramEnvironment.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"

#include <QAction>
#include <QApplication>
#include <QKeySequenceEdit>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>

// No stray click costs the operator a call or the history: Clear and closing the program ask
// first, with the safe answer as the default, and a call declined by closing its window is told.
// The answer and hang-up keys of the whole program work in whichever window has the keyboard.
// Stopped by the system (a logout, a shutdown, systemctl, Ctrl+C), the program closes in order,
// asks nobody anything, records the call going on with its talk time so far and writes its settings.
class TestConfirmations : public QObject
{
    Q_OBJECT

    std::unique_ptr<VirtualHybridRig> m_rig;
    CUC20* m_uc20 = nullptr;

    bool reaches(VOICECALL_STATE state) { return m_rig->pumpUntil([&] { return m_uc20->callState() == state; }); }

    // Brings a call to the state: ringing, being placed or on air.
    void callIn(VOICECALL_STATE state)
    {
        QVERIFY(m_rig->connectUntilSimReady());
        if (state == VOICECALL_CALLING) {
            m_rig->unit()->setOutgoingOutcome(VirtualHybridUnit::OutgoingOutcome::NoAnswer, 60000);
            m_uc20->call(QStringLiteral("0201234567"));
        } else {
            m_rig->unit()->ringIn(QStringLiteral("0612345678"));
            QVERIFY(reaches(VOICECALL_INCOMING));
            if (state == VOICECALL_ACTIVE)
                m_uc20->answerCall();
        }
        QVERIFY(reaches(state));
    }

    // The window on show with the keyboard, the unit connected and settled.
    void showConnected()
    {
        m_rig->window()->show();
        QVERIFY(QTest::qWaitForWindowActive(m_rig->window()));
        QVERIFY(m_rig->connectUnit());
        m_rig->step(1500);
    }

    bool ringsIn()
    {
        m_rig->unit()->ringIn(QStringLiteral("0612345678"));
        return m_rig->reaches(VOICECALL_INCOMING);
    }

    // Into the widget with the keyboard, or its window when no widget there takes it.
    static void press(Qt::Key key)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
        QVERIFY(target);
        QTest::keyClick(target, key);
    }

private slots:
    void init()
    {
        m_rig = std::make_unique<VirtualHybridRig>();
        m_uc20 = m_rig->window()->context()->uc20;
    }

    void cleanup() { m_rig.reset(); }

    void clearAsksNamingTheCount_data()
    {
        QTest::addColumn<int>("calls");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("asked"); // empty: no question
        QTest::addColumn<int>("left");
        QTest::newRow("no") << 3 << int(QMessageBox::No) << "Clear all 3 calls from the history?" << 3;
        QTest::newRow("one call") << 1 << int(QMessageBox::Yes) << "Clear the one call from the history?" << 0;
        QTest::newRow("nothing to clear") << 0 << int(QMessageBox::Yes) << "" << 0;
    }

    void clearAsksNamingTheCount()
    {
        QFETCH(int, calls);
        QFETCH(int, answer);
        QFETCH(QString, asked);
        QFETCH(int, left);
        for (int i = 0; i < calls; ++i) {
            m_rig->window()->context()->database->query(
                "INSERT INTO call_register VALUES (NULL, ?, 2, 0, '2026-12-07T10:00:00')", { QString::number(i) });
        }
        m_rig->window()->findChild<CCallHistoryForm*>()->LoadTable();
        QString told;
        int defaultButton = 0;
        // Nothing to clear asks nothing; a question would be left hanging.
        QObject waiting;
        ModalAnswer::whenShown(&waiting, [&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            told = box->text();
            defaultButton = box->standardButton(box->defaultButton());
            ModalAnswer::clickButton(box, answer);
        });
        m_rig->window()->findChild<QPushButton*>("pushButton_clear")->click();
        QCOMPARE(told, asked);
        QCOMPARE(defaultButton, asked.isEmpty() ? 0 : int(QMessageBox::No));
        QCOMPARE(
            m_rig->window()->findChild<CCallHistoryForm*>()->findChild<QTableWidget*>("tableWidget")->rowCount(), left);
    }

    // Closing during a call says what it does to the call; keeping the program open is the
    // default. Agreeing ends the call before the settings question comes.
    void closingDuringACall_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("agree");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QString>("consoleSays");
        QTest::newRow("on air, kept") << int(VOICECALL_ACTIVE) << false << "is on air" << "";
        QTest::newRow("on air, closed") << int(VOICECALL_ACTIVE) << true << "hangs it up" << "by us";
        QTest::newRow("ringing, closed") << int(VOICECALL_INCOMING) << true << "declines it" << "Declined call from";
        QTest::newRow("being placed, closed") << int(VOICECALL_CALLING) << true << "cancels it" << "cancelled";
    }

    void closingDuringACall()
    {
        QFETCH(int, state);
        QFETCH(bool, agree);
        QFETCH(QString, asked);
        QFETCH(QString, consoleSays);
        callIn(VOICECALL_STATE(state));
        MainWindow* window = m_rig->window();
        window->show();
        // The unit lives on while the program waits for the module to end the call.
        QTimer unitClock;
        connect(&unitClock, &QTimer::timeout, [this] { m_rig->clock()->advance(5); });
        unitClock.start(1);
        QString told;
        bool safeDefault = false;
        bool storeAsked = false;
        ModalAnswer::whenShown(this, [&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            told = box->text();
            safeDefault = box->defaultButton() == box->escapeButton() && box->defaultButton() != nullptr;
            if (agree) {
                ModalAnswer::whenOtherShown(this, box, [&](QWidget* store) {
                    storeAsked = m_uc20->callState() == VOICECALL_IDLE;
                    ModalAnswer::clickButton(store, QMessageBox::Discard);
                });
            }
            QAbstractButton* end = nullptr;
            for (QAbstractButton* button : box->buttons())
                end = box->buttonRole(button) == QMessageBox::AcceptRole ? button : end;
            // Return, pressed out of habit, keeps the program open, even with the focus on the
            // button that ends the call (where the window manager may well put it).
            if (!agree) {
                QTest::keyClick(end, Qt::Key_Return);
                if (box->isVisible())
                    box->escapeButton()->click();
                return;
            }
            end->click();
        });
        QCOMPARE(window->close(), agree);
        QVERIFY2(told.contains(asked), qPrintable(told));
        QVERIFY(safeDefault);
        QCOMPARE(storeAsked, agree);
        QCOMPARE(m_uc20->callState() == VOICECALL_IDLE, agree);
        const CConsole* console = m_rig->window()->context()->console;
        QVERIFY(!agree || m_rig->pumpUntil([&] { return console->plainText().contains(consoleSays); }));
    }

    // The history's action counts the calls missed since the history was last looked at.
    void missedCallCount()
    {
        QAction* historyAction = m_rig->action("actionCallHistory");
        const QString plain = historyAction->text();
        QVERIFY(m_rig->connectUntilSimReady());
        for (int missed = 1; missed <= 2; ++missed) {
            m_rig->unit()->ringIn(QStringLiteral("0612345678"));
            QVERIFY(reaches(VOICECALL_INCOMING));
            m_rig->unit()->farEndHangsUp();
            QVERIFY(reaches(VOICECALL_IDLE));
            QVERIFY(m_rig->pumpUntil([&] { return historyAction->text() != plain; }));
            QCOMPARE(historyAction->text(), QStringLiteral("%1 (%2 missed)").arg(plain).arg(missed));
            QCOMPARE(historyAction->iconText(), plain);
        }
        // An answered call is not missed.
        QVERIFY(m_rig->answersRinging(QStringLiteral("0612345678")));
        m_uc20->endCall();
        QVERIFY(reaches(VOICECALL_IDLE));
        QVERIFY(historyAction->text().contains("2 missed"));
        historyAction->trigger();
        QCOMPARE(historyAction->text(), plain);
    }

    void keysInEveryWindow_data()
    {
        QTest::addColumn<QString>("call"); // before the key: none, ringing or talking
        QTest::addColumn<bool>("inMainWindow");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("after");
        QTest::newRow("answer in the incoming-call window") << "ringing" << false << int(Qt::Key_F9) << 3;
        QTest::newRow("answer in the main window") << "ringing" << true << int(Qt::Key_F9) << 3;
        QTest::newRow("answer key dials nothing") << "none" << true << int(Qt::Key_F9) << 0;
        QTest::newRow("decline") << "ringing" << false << int(Qt::Key_F10) << 0;
        QTest::newRow("hang up") << "talking" << true << int(Qt::Key_F10) << 0;
    }

    void keysInEveryWindow()
    {
        QFETCH(QString, call);
        QFETCH(bool, inMainWindow);
        QFETCH(int, key);
        QFETCH(int, after);
        showConnected();
        // A number on show, which the call button would dial.
        QTest::keyClicks(m_rig->window()->findChild<QLineEdit*>(QStringLiteral("lineEdit_phonenumber")), "0612345678");
        if (call != QLatin1String("none"))
            QVERIFY(ringsIn());
        if (call == QLatin1String("talking")) {
            m_uc20->answerCall();
            QVERIFY(m_rig->reaches(VOICECALL_ACTIVE));
        }
        QWidget* window = inMainWindow ? static_cast<QWidget*>(m_rig->window()) : VirtualHybridRig::incomingWindow();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        press(Qt::Key(key));
        QVERIFY(m_rig->reaches(VOICECALL_STATE(after)));
        m_rig->step(1000);
        QCOMPARE(m_uc20->callState(), VOICECALL_STATE(after));
        QVERIFY(m_rig->unit()->atCommandsReceived().filter(QStringLiteral("ATD")).isEmpty());
    }

    void keyChangedInTheSettingsTakesEffect()
    {
        showConnected();
        m_rig->window()->onActionSettings(true);
        auto* edit = m_rig->window()->findChild<QKeySequenceEdit*>(QStringLiteral("keyEdit_answer"));
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        m_rig->window()->onActionCall(true);
        QVERIFY(ringsIn());
        press(Qt::Key_F9);
        m_rig->step(1000);
        QCOMPARE(m_uc20->callState(), VOICECALL_INCOMING);
        QTest::keyClick(QApplication::activeWindow(), Qt::Key_A, Qt::ControlModifier);
        QVERIFY(m_rig->reaches(VOICECALL_ACTIVE));
    }

    void callOnAirIsRecordedWithoutAQuestion()
    {
        QTemporaryDir dir;
        m_rig.reset();
        m_rig = std::make_unique<VirtualHybridRig>(dir.path());
        QVERIFY(m_rig->connectUntilSimReady());
        QVERIFY(m_rig->answersRinging(QStringLiteral("0612345678")));
        QVERIFY(!m_rig->pumpUntil([] { return false; }, 1000));
        bool asked = false;
        QObject waiting;
        ModalAnswer::whenShown(&waiting, [&asked](QWidget* modal) {
            asked = true;
            static_cast<void>(modal->close());
        }, 1000);
        m_rig->window()->closeForShutdown();
        QVERIFY(!asked);
        QVERIFY(m_rig->window()->isHidden());
        QVERIFY(QSettings().contains("AutoConnect"));
        m_rig.reset();
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "check");
            db.setDatabaseName(dir.filePath("parlona.db"));
            QVERIFY(db.open());
            QSqlQuery row(db);
            QVERIFY(row.exec("SELECT call_type, duration, (SELECT count(*) FROM call_register_open) FROM call_register"));
            QVERIFY(row.next());
            QCOMPARE(row.value(0).toInt(), 0); // answered
            QVERIFY2(row.value(1).toInt() >= 1000 && row.value(1).toInt() < 2500, qPrintable(row.value(1).toString()));
            QCOMPARE(row.value(2).toInt(), 0);
        }
        QSqlDatabase::removeDatabase("check");
    }

    void signalsCloseInOrder_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }

    void signalsCloseInOrder()
    {
        QFETCH(int, signalNumber);
        QTemporaryDir home;
        QProcess process;
        QProcessEnvironment environment = isolatedProgramEnvironment(home.path());
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent"));
        process.setProcessEnvironment(environment);
        process.start(programPath(), { "--virtual-hybrid" });
        QVERIFY(process.waitForStarted());
        // Until the window is up and the handlers are in place: the program then looks for the
        // session bus, which it is not given.
        QByteArray told;
        QTRY_VERIFY_WITH_TIMEOUT((told += process.readAllStandardError()).contains("no remote control"), 10000);
        QCOMPARE(::kill(pid_t(process.processId()), signalNumber), 0);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        const QSettings written(home.filePath("config/Orvane/Parlona Control.conf"), QSettings::IniFormat);
        QVERIFY2(written.contains("TrayNotices"), qPrintable(written.fileName()));
    }
};

QTEST_MAIN(TestConfirmations)
#include "tst_confirmations.moc"
