#include "CSaveForm.h"
#include "CUC20.h"
#include "MainWindow.h"
#include "ManualClock.h"
#include "ModalAnswer.h"
#include "VirtualCodecRegisters.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

// The level, equaliser and auto-answer controls, the speed dials and the store on close, used
// the way an operator does on a virtual hybrid.
class TestE2eSettings : public QObject
{
    Q_OBJECT

    std::unique_ptr<VirtualHybridRig> m_rig;

    template <typename T> T* find(const char* name) const
    {
        return m_rig->window()->findChild<T*>(QLatin1String(name));
    }
    VirtualHybridUnit* unit() const { return m_rig->unit(); }

private slots:
    void init()
    {
        m_rig = std::make_unique<VirtualHybridRig>();
        m_rig->window()->show();
    }
    void cleanup() { m_rig.reset(); }

    void controlsFollowTheUnitAndReachIt()
    {
        unit()->codec()->write(45, 0x105);
        unit()->codec()->write(20, 0x147); // band 3: gain code 7 (+5 dB), 1.1 kHz, wide
        QVERIFY(m_rig->connectUnit());
        // The report runs from register 0 to 79.
        QVERIFY(m_rig->pumpUntil([&] { return find<QSlider>("horizontalSlider_send")->value() == 5; }));
        QCOMPARE(find<QSlider>("band3_gain")->value(), 5);
        // The write-backs of the report carried what the unit holds.
        QCOMPARE(unit()->codecRegister(20), quint16(0x147));
        QCOMPARE(unit()->codecRegister(45), quint16(0x105));

        find<QSlider>("horizontalSlider_send")->setValue(40);
        find<QSlider>("band3_gain")->setValue(-6);
        QVERIFY(m_rig->pumpUntil([&] { return unit()->codecRegister(20) == 0x152; }));
        QCOMPARE(unit()->codecRegister(45), quint16(0x128));

        // A speed dial calls the number typed for it on the settings page.
        QTest::keyClicks(find<QLineEdit>("lineEdit_dialnr2"), "0201234567");
        find<QPushButton>("pushButton_dialnr2")->click();
        QVERIFY(m_rig->stepUntil(
            [&] { return unit()->atCommandsReceived().contains(QStringLiteral("ATD0201234567;")); }, 2000));
    }

    void autoAnswerTakesTheCallAndSurvivesAReboot()
    {
        QVERIFY(m_rig->connectUnit());
        m_rig->step(1500);
        find<QCheckBox>("checkBox_enable")->click();
        QVERIFY(m_rig->pumpUntil([&] { return unit()->autoAnswer(); }));
        unit()->ringIn(QStringLiteral("0612345678"));
        CUC20* engine = m_rig->window()->context()->uc20;
        QVERIFY(m_rig->stepUntil([&] { return engine->callState() == VOICECALL_ACTIVE; }, 20000));
        unit()->farEndHangsUp();
        QVERIFY(m_rig->stepUntil([&] { return engine->callState() == VOICECALL_IDLE; }, 3000));
        // Stored and rebooted from the service page: the unit comes back with it, and so does the box.
        find<QPushButton>("pushButton_eeprom")->click();
        QVERIFY(m_rig->pumpUntil([&] { return unit()->storeCount() == 1; }));
        m_rig->step(VirtualHybridUnit::StoreDelayMs + 50);
        find<QCheckBox>("checkBox_enable")->setChecked(false);
        QVERIFY(m_rig->pumpUntil([&] { return !unit()->autoAnswer(); }));
        ModalAnswer::whenShown(this, [](QWidget* box) { ModalAnswer::clickButton(box, QMessageBox::Yes); });
        find<QPushButton>("pushButton_reboot")->click();
        QVERIFY(m_rig->pumpUntil([&] { return unit()->isRebooting(); }));
        QVERIFY(m_rig->pumpUntil([&] { return !unit()->isRebooting(); }));
        QVERIFY(m_rig->connectUnit());
        QVERIFY(m_rig->pumpUntil([&] { return find<QCheckBox>("checkBox_enable")->isChecked(); }));
        QVERIFY(unit()->autoAnswer());
    }

    void closing_data()
    {
        QTest::addColumn<bool>("connected"); // the question comes only then
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("unitAnswers");
        QTest::addColumn<bool>("escapeInWait");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<int>("stores"); // store commands the unit received
        QTest::addColumn<bool>("errorBox");
        QTest::newRow("save, confirmed") << true << int(QMessageBox::Save) << true << false << true << 1 << false;
        QTest::newRow("save, no answer") << true << int(QMessageBox::Save) << false << false << true << 1 << true;
        // Whether the command left before Escape does not matter here.
        QTest::newRow("save, escape") << true << int(QMessageBox::Save) << true << true << true << -1 << true;
        QTest::newRow("discard") << true << int(QMessageBox::Discard) << true << false << true << 0 << false;
        QTest::newRow("cancel") << true << int(QMessageBox::Cancel) << true << false << false << 0 << false;
        QTest::newRow("disconnected") << false << int(QMessageBox::Save) << true << false << true << 0 << false;
    }

    void closing()
    {
        QFETCH(bool, connected);
        QFETCH(int, answer);
        QFETCH(bool, unitAnswers);
        QFETCH(bool, escapeInWait);
        QFETCH(int, stores);
        QFETCH(bool, errorBox);
        QVERIFY(!connected || m_rig->connectUnit());
        m_rig->step(1500);
        unit()->setStoreSilent(!unitAnswers);
        QObject answers;
        bool asked = false;
        QString errorText;
        // The error box that may end it all: read and closed.
        auto onError = [&](QWidget* box) {
            errorText
                = static_cast<QMessageBox*>(box)->text() + ' ' + static_cast<QMessageBox*>(box)->informativeText();
            ModalAnswer::clickButton(box, QMessageBox::Ok);
        };
        // The wait window: Escape, or a shortened wait so that a silent unit times out soon.
        auto onWait = [&](QWidget* wait) {
            QVERIFY(qobject_cast<CSaveForm*>(wait));
            QVERIFY(static_cast<CSaveForm*>(wait)->remainingTime() > CSaveForm::TimeoutMs - 1000);
            if (escapeInWait)
                QTest::keyClick(wait, Qt::Key_Escape);
            else if (!unitAnswers)
                wait->findChild<QTimer*>(QStringLiteral("saveTimeoutTimer"))->start(50);
            ModalAnswer::whenOtherShown(&answers, wait, onError);
        };
        // The unit's time runs while the program sits in a modal loop of its own.
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [this] { m_rig->clock()->advance(5); });
        if (unitAnswers && !escapeInWait)
            ticker.start(1);
        ModalAnswer::whenShown(&answers, [&](QWidget* box) {
            asked = true;
            QCOMPARE(static_cast<QMessageBox*>(box)->text(),
                QStringLiteral("Do you want to save settings in the Orvane Parlona?"));
            ModalAnswer::clickButton(box, answer);
            if (answer == QMessageBox::Save)
                ModalAnswer::whenShown(&answers, onWait);
        });
        QTEST(m_rig->window()->close(), "closes");
        QCOMPARE(asked, connected);
        if (stores >= 0)
            QCOMPARE(unit()->storeCount(), stores);
        QCOMPARE(errorText, errorBox ? QStringLiteral("Timeout Error! Failed to save settings") : QString());
    }
};

QTEST_MAIN(TestE2eSettings)
#include "tst_e2e_settings.moc"
