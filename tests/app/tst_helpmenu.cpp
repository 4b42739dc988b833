#include "CUSBHID.h"
#include "MainWindow.h"
#include "ModalAnswer.h"
#include "OperatorGuideDialog.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"

#include <QAction>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QTextBrowser>

// The Help menu, File → Quit and the place of the Service menu, on a virtual hybrid.
class TestHelpMenu : public QObject
{
    Q_OBJECT

    std::unique_ptr<VirtualHybridRig> m_rig;

    QString aboutText()
    {
        QString text;
        ModalAnswer::whenShown(this, [&text](QWidget* box) {
            text = static_cast<QMessageBox*>(box)->text();
            box->close();
        });
        m_rig->action("actionAbout")->trigger();
        return text;
    }

private slots:
    void init()
    {
        m_rig = std::make_unique<VirtualHybridRig>();
        m_rig->window()->show();
    }
    void cleanup() { m_rig.reset(); }

    void section_data()
    {
        QTest::addColumn<QString>("readme");
        QTest::addColumn<QString>("section");
        const QString own = "## Operating the program\nIntro\n### Calls\nDial.\n";
        QTest::newRow("between others") << "# Title\n## Start\nrun\n" + own + "## Linux\nudev\n" << own;
        QTest::newRow("first") << own + "## Linux\n" << own;
        QTest::newRow("last") << "# Title\n" + own << own;
        QTest::newRow("missing") << "# Title\n## Operating the programme\nx\n" << QString();
        QTest::newRow("only as a deeper heading") << "### Operating the program\nx\n" << QString();
    }
    void section()
    {
        QFETCH(QString, readme);
        QFETCH(QString, section);
        QCOMPARE(OperatorGuideDialog::operatorSection(readme), section);
    }

    void guideShowsTheOperatorsPart()
    {
        m_rig->action("actionOperatorGuide")->trigger();
        auto* guide = m_rig->window()->findChild<OperatorGuideDialog*>();
        QVERIFY(guide && guide->isVisible());
        const QString text = guide->findChild<QTextBrowser*>(QStringLiteral("textBrowser_guide"))->toPlainText();
        QVERIFY(text.contains(QStringLiteral("Invalid phone number")));
        QVERIFY(text.contains(QStringLiteral("Dial Numbers")));
        QVERIFY(!text.contains(QStringLiteral("udevadm")));
        // Asked for again, the same window comes forward.
        m_rig->action("actionOperatorGuide")->trigger();
        QCOMPARE(m_rig->window()->findChildren<OperatorGuideDialog*>().size(), 1);
    }

    void aboutNamesTheConnectedUnitsFirmware()
    {
        QVERIFY(aboutText().contains(QStringLiteral("No unit connected")));
        QVERIFY(m_rig->connectUnit());
        QVERIFY(m_rig->pumpUntil([&] { return m_rig->window()->statusText().contains(QStringLiteral("Firmware")); }));
        const QString about = aboutText();
        QVERIFY2(about.contains(QStringLiteral("firmware v2.1.0.7")), qPrintable(about));
        m_rig->unit()->unplug();
        QVERIFY(m_rig->pumpUntil([&] { return !m_rig->window()->context()->usb->isConnected(); }));
        QVERIFY(aboutText().contains(QStringLiteral("No unit connected")));
    }

    void quitClosesLikeTheCloseButton()
    {
        // Connected, the unit is first offered a store; Cancel keeps the program open.
        QVERIFY(m_rig->connectUnit());
        ModalAnswer::whenShown(this, [](QWidget* box) { ModalAnswer::clickButton(box, QMessageBox::Cancel); });
        m_rig->action("actionQuit")->trigger();
        QVERIFY(m_rig->window()->isVisible());
        QCOMPARE(m_rig->action("actionQuit")->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
        m_rig->window()->context()->usb->stop();
        m_rig->action("actionQuit")->trigger();
        QVERIFY(!m_rig->window()->isVisible());
    }

    void serviceMenuComesBeforeHelp()
    {
        m_rig->window()->showServiceMenu();
        QStringList titles;
        for (const QAction* menu : m_rig->window()->menuBar()->actions())
            titles << menu->text();
        QCOMPARE(titles, QStringList({ "File", "Service", "Help" }));
    }
};

QTEST_MAIN(TestHelpMenu)
#include "tst_helpmenu.moc"
