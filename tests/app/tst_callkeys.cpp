#include "CIncomingForm.h"
#include "CUC20.h"
#include "MainWindow.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"

#include <QApplication>
#include <QKeySequenceEdit>
#include <QLineEdit>
#include <QTest>

// The answer and hang-up keys of the whole program on a virtual hybrid, pressed in whichever
// window has the keyboard, as the operator does.
class TestCallKeys : public QObject
{
    Q_OBJECT

    std::unique_ptr<VirtualHybridRig> m_rig;
    CUC20* m_uc20 = nullptr;

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
        m_rig->window()->show();
        QVERIFY(QTest::qWaitForWindowActive(m_rig->window()));
        QVERIFY(m_rig->connectUnit());
        m_rig->step(1500);
    }

    void cleanup() { m_rig.reset(); }

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
};

QTEST_MAIN(TestCallKeys)
#include "tst_callkeys.moc"
