#include "MainWindow.h"
#include "VirtualHybridRig.h"
#include "WindowFit.h"

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QGroupBox>
#include <QLineEdit>
#include <QAbstractButton>
#include <QScrollArea>
#include <QSettings>
#include <QStackedWidget>
#include <QTest>

// The main window on a laptop screen: it fits 1366 x 768, pages scroll instead of stretching the
// window, and the meter titles are whole.
class TestWindowFit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The size desktops use; the headless platform's own is larger.
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    }

    void fitted_data()
    {
        QTest::addColumn<QRect>("wanted");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QRect>("placed");
        const QRect laptop(0, 0, 1366, 740); // a panel at the bottom takes 28 px
        QTest::newRow("fits as it is") << QRect(100, 50, 700, 600) << laptop << QRect(100, 50, 700, 600);
        QTest::newRow("too tall: shrunk, moved up") << QRect(100, 50, 720, 962) << laptop << QRect(100, 0, 720, 740);
        QTest::newRow("off the right edge") << QRect(1000, 10, 700, 600) << laptop << QRect(666, 10, 700, 600);
        QTest::newRow("off the top left") << QRect(-30, -20, 700, 600) << laptop << QRect(0, 0, 700, 600);
        QTest::newRow("second screen, panel on top")
            << QRect(1400, 0, 800, 1000) << QRect(1366, 30, 1920, 1050) << QRect(1400, 30, 800, 1000);
    }

    void fitted()
    {
        QFETCH(QRect, wanted);
        QFETCH(QRect, available);
        QTEST(WindowFit::fitted(wanted, available), "placed");
    }

    void fitsALaptopScreen()
    {
        VirtualHybridRig rig;
        MainWindow* window = rig.window();
        // Whatever page is on show, and with the console on: the window can be made short enough
        // for 768 px less a title bar and a panel.
        window->findChild<QDockWidget*>("dockConsole")->show();
        QStackedWidget* pages = window->findChild<QStackedWidget*>("stackedWidget");
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            QVERIFY2(window->minimumSizeHint().height() <= 700,
                qPrintable(QStringLiteral("%1: %2").arg(pages->widget(page)->objectName()).arg(window->minimumSizeHint().height())));
            QVERIFY(window->minimumSizeHint().width() <= 1366);
        }
        QCOMPARE(pages->parentWidget()->parentWidget(), window->findChild<QScrollArea*>("pageScrollArea"));
        // The meter titles (receive, send) fit their boxes beside the frame; the whole text is in the tool tip.
        for (const char* box : { "groupBox_2", "groupBox" }) {
            auto* group = window->findChild<QGroupBox*>(box);
            QVERIFY2(group->fontMetrics().horizontalAdvance(group->title()) + 12 <= group->maximumWidth(), box);
            QVERIFY(group->toolTip().startsWith(group->title() + " ("));
        }
    }

    // The console can be hidden, and stays so; a speed dial stored on the settings page is named
    // on its button's tool tip at once. Started with the session (--minimized) without a tray, the
    // window is minimized, never hidden out of reach.
    void consoleSpeedDialAndStart()
    {
        VirtualHybridRig rig;
        QAction* toggle = rig.window()->findChild<QAction*>("actionConsole");
        QDockWidget* dock = rig.window()->findChild<QDockWidget*>("dockConsole");
        rig.window()->show();
        const bool shown = dock->isVisible();
        toggle->trigger();
        QCOMPARE(dock->isVisible(), !shown);
        QCOMPARE(QSettings().value("ConsoleVisible").toBool(), !shown);

        QTest::keyClicks(rig.window()->findChild<QLineEdit*>("lineEdit_dialnr3"), "0201234567");
        const QString tip = rig.window()->findChild<QAbstractButton*>("pushButton_dialnr3")->toolTip();
        QVERIFY2(tip.contains("0201234567"), qPrintable(tip));

        rig.window()->hide();
        rig.window()->showAtStart(true);
        QVERIFY(rig.window()->isVisible() && rig.window()->isMinimized());
    }
};

QTEST_MAIN(TestWindowFit)
#include "tst_windowfit.moc"
