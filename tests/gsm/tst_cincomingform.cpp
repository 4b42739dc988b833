#include "AppContext.h"
#include "CDatabase.h"
#include "CIncomingForm.h"
#include "ContactsTable.h"
#include "Uc20TestRig.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestCIncomingForm : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QPushButton* button(CIncomingForm& form, const char* name) { return form.findChild<QPushButton*>(name); }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
        QCoreApplication::setOrganizationName(QStringLiteral("Orvane"));
        QCoreApplication::setApplicationName(QStringLiteral("Parlona Control"));
    }

    void init() { QSettings().clear(); }

    void states_data()
    {
        QTest::addColumn<QList<int>>("states");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("accept"); // Accept button visible
        QTest::addColumn<QString>("endcall");
        QTest::newRow("no call yet") << QList<int>() << false << "Form" << true << " Decline";
        QTest::newRow("outgoing") << QList<int> { 1 } << true << "Calling..." << false << "";
        QTest::newRow("incoming") << QList<int> { 2 } << true << "Incoming call..." << true << "Decline";
        QTest::newRow("outgoing answered") << QList<int> { 1, 3 } << false << "Calling..." << false << "";
        QTest::newRow("incoming ended") << QList<int> { 2, 0 } << false << "Incoming call..." << true << "Decline";
        QTest::newRow("incoming after outgoing")
            << QList<int> { 1, 0, 2 } << true << "Incoming call..." << true << "Decline";
        QTest::newRow("outgoing after incoming") << QList<int> { 2, 3, 0, 1 } << true << "Calling..." << false << "";
    }

    void states()
    {
        QFETCH(QList<int>, states);
        QFETCH(bool, shown);
        QFETCH(QString, title);
        QFETCH(bool, accept);
        QFETCH(QString, endcall);
        Uc20TestRig rig;
        AppContext context { rig.link(), rig.uc20(), nullptr, nullptr, nullptr };
        CIncomingForm form(&context);
        QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);
        for (int state : states)
            form.onVoicecallStateChange(VOICECALL_STATE(state), QStringLiteral("0301234567"));
        QCOMPARE(form.isVisible(), shown);
        QCOMPARE(form.windowTitle(), title);
        QCOMPARE(button(form, "pushButton_call")->isVisibleTo(&form), accept);
        QCOMPARE(button(form, "pushButton_endcall")->text(), endcall);
        QCOMPARE(button(form, "pushButton_call")->text(), QStringLiteral(" Accept"));
        // The dialog follows the engine and tells it nothing by itself.
        QCOMPARE(rig.takeSentCommands(), QStringList());
    }

    void caller_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("database");
        QTest::addColumn<QString>("shown");
        QTest::newRow("stored contact") << "+49301234567" << true << "Anna Alpha";
        QTest::newRow("unknown number") << "0407654321" << true << "0407654321";
        QTest::newRow("no database") << "0301234567" << false << "0301234567";
        QTest::newRow("markup") << "<b>1</b>" << false << "<b>1</b>";
    }

    void caller()
    {
        QFETCH(QString, number);
        QFETCH(bool, database);
        QFETCH(QString, shown);
        QTemporaryDir dir;
        CDatabase contacts(dir.path(), nullptr);
        ContactsTable::create(&contacts);
        contacts.query(QStringLiteral("INSERT INTO contacts (first_name, last_name, phone_number) VALUES (?, ?, ?)"),
            { "Anna", "Alpha", "0301234567" });
        AppContext context { nullptr, nullptr, nullptr, nullptr, database ? &contacts : nullptr };
        CIncomingForm form(&context);
        form.onVoicecallStateChange(VOICECALL_INCOMING, number);
        auto* label = form.findChild<QLabel*>(QStringLiteral("label_number"));
        QCOMPARE(label->text(), shown);
        QCOMPARE(label->textFormat(), Qt::PlainText);
    }

    void answers_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("command");
        QTest::newRow("accept") << "pushButton_call" << 2 << "ATA";
        QTest::newRow("decline") << "pushButton_endcall" << 2 << "ATH";
        QTest::newRow("hang up") << "pushButton_endcall" << 1 << "ATH";
        QTest::newRow("close, incoming") << "close" << 2 << "ATH";
        QTest::newRow("close, outgoing") << "close" << 1 << "ATH";
        QTest::newRow("escape") << "escape" << 2 << "ATH";
    }

    void answers()
    {
        QFETCH(QString, action);
        QFETCH(int, state);
        QFETCH(QString, command);
        Uc20TestRig rig;
        AppContext context { rig.link(), rig.uc20(), nullptr, nullptr, nullptr };
        CIncomingForm form(&context);
        form.onVoicecallStateChange(VOICECALL_STATE(state), QStringLiteral("0301234567"));
        if (action == QLatin1String("close"))
            form.close();
        else if (action == QLatin1String("escape"))
            QTest::keyClick(&form, Qt::Key_Escape);
        else
            QTest::mouseClick(form.findChild<QPushButton*>(action), Qt::LeftButton);
        QCOMPARE(rig.takeSentCommands(), QStringList(command));
        QVERIFY(!form.isVisible());
        QCOMPARE(form.result(), int(QDialog::Accepted));
    }

    void popsUpInFront()
    {
        QWidget mainWindow;
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
        CIncomingForm form(nullptr);
        form.onVoicecallStateChange(VOICECALL_CALLING, QStringLiteral("1"));
        QTRY_COMPARE(QGuiApplication::focusWindow(), form.windowHandle());
        // Left behind the main window, then minimised, it comes to the front again.
        mainWindow.activateWindow();
        QTRY_COMPARE(QGuiApplication::focusWindow(), mainWindow.windowHandle());
        form.onVoicecallStateChange(VOICECALL_INCOMING, QStringLiteral("1"));
        QTRY_COMPARE(QGuiApplication::focusWindow(), form.windowHandle());
        form.showMinimized();
        form.onVoicecallStateChange(VOICECALL_IDLE, QString());
        mainWindow.showMinimized();
        form.onVoicecallStateChange(VOICECALL_CALLING, QStringLiteral("2"));
        QVERIFY(form.isVisible() && !form.isMinimized());
        QTRY_COMPARE(QGuiApplication::focusWindow(), form.windowHandle());
    }

    void geometryRemembered()
    {
        const QRect place(240, 180, 319, 122);
        {
            CIncomingForm form(nullptr);
            form.onVoicecallStateChange(VOICECALL_INCOMING, QStringLiteral("1"));
            form.setGeometry(place);
            form.onVoicecallStateChange(VOICECALL_ACTIVE, QStringLiteral("1"));
            QCOMPARE(QSettings().value(QStringLiteral("incomingCallFormGeometry")).toRect(), place);
            form.onVoicecallStateChange(VOICECALL_CALLING, QStringLiteral("1"));
            form.setGeometry(place.translated(10, 20));
        }
        // Destroyed while shown, the dialog kept its last place.
        CIncomingForm form(nullptr);
        QCOMPARE(form.geometry(), place.translated(10, 20));
        form.onVoicecallStateChange(VOICECALL_CALLING, QStringLiteral("1"));
        QCOMPARE(form.geometry(), place.translated(10, 20));
    }

    void neverShownStoresNothing()
    {
        {
            CIncomingForm form(nullptr);
            form.onVoicecallStateChange(VOICECALL_IDLE, QString());
        }
        QVERIFY(!QSettings().contains(QStringLiteral("incomingCallFormGeometry")));
    }

    // Last: it runs the application's event loop, the only place where closing the last window
    // ends the program.
    void mainWindowClosedDuringCall()
    {
        QWidget mainWindow;
        mainWindow.show();
        CIncomingForm form(nullptr);
        form.onVoicecallStateChange(VOICECALL_INCOMING, QStringLiteral("1"));
        QSignalSpy lastWindowClosed(qApp, &QGuiApplication::lastWindowClosed);
        QTimer::singleShot(0, &mainWindow, &QWidget::close);
        QTimer::singleShot(5000, &form, [] { QCoreApplication::quit(); });
        qApp->exec();
        QCOMPARE(lastWindowClosed.count(), 1);
    }
};

QTEST_MAIN(TestCIncomingForm)
#include "tst_cincomingform.moc"
