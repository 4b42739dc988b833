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
    const QString m_key = QStringLiteral("incomingCallFormGeometry");

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
        QCoreApplication::setOrganizationName(QStringLiteral("Orvane"));
        QCoreApplication::setApplicationName(QStringLiteral("Parlona Control"));
    }

    void init() { QSettings().clear(); }

    void calls_data()
    {
        // The states reported, then what the operator does: a button, "close" or "escape". The
        // window's look: title|Accept shown|hang-up text|number (bare: there is no database).
        QTest::addColumn<QList<int>>("states");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("look");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QStringList>("sent");
        const QString calling = "Calling...|0||0301", incoming = "Incoming call...|1|Decline|0301";
        const QStringList none, ath { "ATH" };
        QTest::newRow("no call yet") << QList<int>() << ""
                                     << "Form|1| Decline|<number>" << false << none;
        QTest::newRow("outgoing") << QList<int> { 1 } << "" << calling << true << none;
        QTest::newRow("incoming") << QList<int> { 2 } << "" << incoming << true << none;
        QTest::newRow("answered") << QList<int> { 1, 3 } << "" << calling << false << none;
        QTest::newRow("ended") << QList<int> { 2, 0 } << "" << incoming << false << none;
        QTest::newRow("incoming after outgoing") << QList<int> { 1, 0, 2 } << "" << incoming << true << none;
        QTest::newRow("accept") << QList<int> { 2 } << "pushButton_call" << incoming << false << QStringList("ATA");
        QTest::newRow("decline") << QList<int> { 2 } << "pushButton_endcall" << incoming << false << ath;
        QTest::newRow("hang up") << QList<int> { 1 } << "pushButton_endcall" << calling << false << ath;
        QTest::newRow("close") << QList<int> { 2 } << "close" << incoming << false << ath;
        QTest::newRow("escape") << QList<int> { 1 } << "escape" << calling << false << ath;
    }

    void calls()
    {
        QFETCH(QList<int>, states);
        QFETCH(QString, action);
        Uc20TestRig rig;
        AppContext context { rig.link(), rig.uc20(), nullptr, nullptr, nullptr };
        CIncomingForm form(&context);
        QVERIFY(form.windowFlags() & Qt::WindowStaysOnTopHint);
        for (int state : states)
            form.onVoicecallStateChange(VOICECALL_STATE(state), QStringLiteral("0301"));
        if (action == QLatin1String("close"))
            form.close();
        else if (action == QLatin1String("escape"))
            QTest::keyClick(&form, Qt::Key_Escape);
        else if (!action.isEmpty())
            QTest::mouseClick(form.findChild<QPushButton*>(action), Qt::LeftButton);
        const auto* accept = form.findChild<QPushButton*>(QStringLiteral("pushButton_call"));
        const auto* endcall = form.findChild<QPushButton*>(QStringLiteral("pushButton_endcall"));
        QCOMPARE(accept->text(), QStringLiteral(" Accept"));
        const QString number = form.findChild<QLabel*>(QStringLiteral("label_number"))->text();
        QTEST(QStringList({ form.windowTitle(), QString::number(accept->isVisibleTo(&form)), endcall->text(), number })
                  .join('|'),
            "look");
        QTEST(form.isVisible(), "shown");
        QTEST(rig.takeSentCommands(), "sent");
    }

    void contactName()
    {
        CDatabase contacts(m_dir.path(), nullptr);
        ContactsTable::create(&contacts);
        contacts.query(QStringLiteral("INSERT INTO contacts (first_name, last_name, phone_number) VALUES (?, ?, ?)"),
            { "Anna", "Alpha", "0301234567" });
        AppContext context { nullptr, nullptr, nullptr, nullptr, &contacts };
        CIncomingForm form(&context);
        auto* label = form.findChild<QLabel*>(QStringLiteral("label_number"));
        form.onVoicecallStateChange(VOICECALL_INCOMING, QStringLiteral("+49301234567"));
        QCOMPARE(label->text(), QStringLiteral("Anna Alpha"));
        form.onVoicecallStateChange(VOICECALL_CALLING, QStringLiteral("0407654321"));
        QCOMPARE(label->text(), QStringLiteral("0407654321"));
    }

    void popsUpInFront()
    {
        QWidget mainWindow;
        mainWindow.show();
        CIncomingForm form(nullptr);
        form.onVoicecallStateChange(VOICECALL_CALLING, QStringLiteral("1"));
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
        const QRect place(240, 180, 319, 122), moved(250, 200, 319, 122);
        {
            CIncomingForm form(nullptr);
            form.onVoicecallStateChange(VOICECALL_IDLE, QString());
            QVERIFY(!QSettings().contains(m_key)); // never shown: no place to keep
            form.onVoicecallStateChange(VOICECALL_INCOMING, QStringLiteral("1"));
            form.setGeometry(place);
            form.onVoicecallStateChange(VOICECALL_ACTIVE, QStringLiteral("1"));
            QCOMPARE(QSettings().value(m_key).toRect(), place);
            form.onVoicecallStateChange(VOICECALL_CALLING, QStringLiteral("1"));
            form.setGeometry(moved);
        }
        // Destroyed while shown, the window kept its last place.
        CIncomingForm form(nullptr);
        QCOMPARE(form.geometry(), moved);
        form.onVoicecallStateChange(VOICECALL_CALLING, QStringLiteral("1"));
        QCOMPARE(form.geometry(), moved);
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
