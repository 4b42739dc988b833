#include "AppContext.h"
#include "CDatabase.h"
#include "CUC20.h"
#include "DesktopNotifier.h"
#include "MainWindow.h"
#include "StudioTray.h"
#include "VirtualHybridRig.h"
#include "VirtualHybridUnit.h"

#include <QAction>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

// A desktop's notification service, as far as the program uses it.
class FakeNotificationService : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Notice
    {
        uint id;
        QString summary;
        QString body;
        QStringList actions;
        int urgency;
    };
    QList<Notice> shown;
    QList<uint> closed;
    QStringList capabilities;
    int replyDelayMs = 0; // a busy desktop's service, slow to say a notice is up

public slots:
    QStringList GetCapabilities() { return capabilities; }
    uint Notify(const QString& /*application*/, uint replacesId, const QString& /*icon*/, const QString& summary,
        const QString& body, const QStringList& actions, const QVariantMap& hints, int /*timeout*/)
    {
        const uint id = replacesId != 0 ? replacesId : ++m_lastId;
        shown.append({ id, summary, body, actions, hints.value(QStringLiteral("urgency")).toInt() });
        if (replyDelayMs > 0) {
            setDelayedReply(true);
            QDBusConnection bus = connection();
            const QDBusMessage reply = message().createReply(id);
            QTimer::singleShot(replyDelayMs, this, [bus, reply]() mutable { bus.send(reply); });
        }
        return id;
    }
    void CloseNotification(uint id) { closed.append(id); }

signals:
    void ActionInvoked(uint id, const QString& action);

private:
    uint m_lastId = 0;
};

// Tray and notices on a private session bus with a notification service of the test's own:
// the notice of a ringing call, taken down when the call is answered or stops ringing, the
// missed-call notice, a click that brings the window forward, and the switch that silences it.
class TestTrayNotices : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_service = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("notifications")));
        QVERIFY(m_service->registerObject(QStringLiteral("/org/freedesktop/Notifications"), &m_notifications,
            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
        QVERIFY(m_service->registerService(QStringLiteral("org.freedesktop.Notifications")));
    }

    void init()
    {
        m_notifications.shown.clear();
        m_notifications.closed.clear();
        m_notifications.capabilities = QStringList { QStringLiteral("body"), QStringLiteral("body-markup") };
        m_notifications.replyDelayMs = 0;
        m_rig = std::make_unique<VirtualHybridRig>();
        QVERIFY(m_rig->connectUntilSimReady());
        m_rig->window()->context()->database->query(
            QStringLiteral("INSERT INTO contacts (first_name, last_name, phone_number, info) VALUES (?, ?, ?, ?)"),
            { QStringLiteral("Anna"), QStringLiteral("d'Ávila"), QStringLiteral("0612345678"), QString() });
    }

    void cleanup() { m_rig.reset(); }

    void ringingThenMissed()
    {
        StudioTray* tray = m_rig->window()->tray();
        QSignalSpy raised(tray, &StudioTray::raiseRequested);
        QCOMPARE(tray->state(), StudioTray::Connected);
        // Each state has an icon of its own.
        QList<QImage> icons;
        for (auto state : { StudioTray::NotConnected, StudioTray::Connected, StudioTray::Ringing, StudioTray::OnAir }) {
            const QImage image = StudioTray::icon(state).pixmap(32).toImage();
            QVERIFY(!image.isNull());
            QVERIFY(!icons.contains(image));
            icons << image;
        }

        m_rig->unit()->ringIn(QStringLiteral("0612345678"));
        QVERIFY(m_rig->pumpUntil([this] { return m_notifications.shown.size() == 1; }));
        const FakeNotificationService::Notice ringing = m_notifications.shown.first();
        QCOMPARE(ringing.summary, QStringLiteral("Incoming call"));
        QCOMPARE(ringing.body, QStringLiteral("Anna d'Ávila (0612345678)"));
        QCOMPARE(ringing.urgency, 2);
        QVERIFY(ringing.actions.contains(QStringLiteral("default")));
        QCOMPARE(tray->state(), StudioTray::Ringing);
        QCOMPARE(tray->toolTip(), QStringLiteral("Parlona Control: a call is ringing"));

        // A click on the notice brings the window forward; a click on another program's does not.
        emit m_notifications.ActionInvoked(ringing.id + 100, QStringLiteral("default"));
        emit m_notifications.ActionInvoked(ringing.id, QStringLiteral("default"));
        QVERIFY(m_rig->pumpUntil([&] { return raised.count() > 0; }));
        m_rig->pumpUntil([] { return false; }, 100);
        QCOMPARE(raised.count(), 1);

        m_rig->unit()->farEndHangsUp();
        // The two go out in either order: the missed call may be recorded before the tray hears the ring end.
        QVERIFY(m_rig->pumpUntil(
            [this] { return m_notifications.shown.size() == 2 && !m_notifications.closed.isEmpty(); }));
        QCOMPARE(m_notifications.closed, QList<uint>({ ringing.id }));
        QCOMPARE(m_notifications.shown.last().summary, QStringLiteral("Missed call"));
        QVERIFY2(m_notifications.shown.last().body.startsWith(QStringLiteral("Anna d'Ávila (0612345678) at ")),
            qPrintable(m_notifications.shown.last().body));
        QCOMPARE(tray->state(), StudioTray::Connected);
    }

    // An answered call is not missed; switched off, no notice shows, and the tray still follows.
    void answeredThenSwitchedOff()
    {
        StudioTray* tray = m_rig->window()->tray();
        m_rig->unit()->ringIn(QStringLiteral("0301234567"));
        QVERIFY(m_rig->pumpUntil([this] { return m_notifications.shown.size() == 1; }));
        QCOMPARE(m_notifications.shown.first().body, QStringLiteral("0301234567"));
        m_rig->window()->context()->uc20->answerCall();
        QVERIFY(m_rig->pumpUntil([&] { return tray->state() == StudioTray::OnAir; }));
        QVERIFY(m_rig->pumpUntil([this] { return m_notifications.closed.size() == 1; }));
        m_rig->unit()->farEndHangsUp();
        QVERIFY(m_rig->pumpUntil([&] { return tray->state() == StudioTray::Connected; }));

        QAction* setting = m_rig->window()->findChild<QAction*>(QStringLiteral("actionTrayNotices"));
        QVERIFY(setting->isChecked());
        setting->setChecked(false);
        m_rig->unit()->ringIn(QStringLiteral("0301234567"));
        QVERIFY(m_rig->pumpUntil([&] { return tray->state() == StudioTray::Ringing; }));
        m_rig->unit()->farEndHangsUp();
        QVERIFY(m_rig->pumpUntil([&] { return tray->state() == StudioTray::Connected; }));
        m_rig->pumpUntil([] { return false; }, 200);
        QCOMPARE(m_notifications.shown.size(), 1);

        m_rig->unit()->unplug();
        QVERIFY(m_rig->pumpUntil([&] { return tray->state() == StudioTray::NotConnected; }));
    }

    // Names and numbers are text, never markup, and a call without a number is a withheld one.
    void noticesArePlainText_data()
    {
        QTest::addColumn<bool>("bodyMarkup"); // whether the service reads the body as markup
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("body");
        QTest::newRow("markup escaped") << true << "0611223344"
                                        << "Tom &amp; Jerry &lt;b&gt;Show&lt;/b&gt; (0611223344)";
        QTest::newRow("no markup, sent as it is") << false << "0611223344"
                                                  << "Tom & Jerry <b>Show</b> (0611223344)";
        QTest::newRow("withheld") << true << ""
                                  << "Withheld number";
    }

    void noticesArePlainText()
    {
        QFETCH(bool, bodyMarkup);
        QFETCH(QString, number);
        m_rig->window()->context()->database->query(
            QStringLiteral("INSERT INTO contacts (first_name, last_name, phone_number, info) VALUES (?, ?, ?, ?)"),
            { QStringLiteral("Tom &"), QStringLiteral("Jerry <b>Show</b>"), QStringLiteral("0611223344"),
                QStringLiteral("") });
        if (!bodyMarkup)
            m_notifications.capabilities.removeAll(QStringLiteral("body-markup"));
        DesktopNotifier notifier(QDBusConnection::sessionBus());
        // The service has told its capabilities once the notifier's question is done with.
        QVERIFY(m_rig->pumpUntil([&] { return notifier.findChildren<QDBusPendingCallWatcher*>().isEmpty(); }));
        AppContext context = *m_rig->window()->context();
        StudioTray tray(&context, &notifier);
        tray.onVoicecallStateChange(VOICECALL_INCOMING, number);
        QVERIFY(m_rig->pumpUntil([this] { return m_notifications.shown.size() == 1; }));
        QTEST(m_notifications.shown.first().body, "body");
    }

    // A service that takes seconds to answer still has the notice of a call that ended taken down,
    // and the tray does not show it a second time.
    void slowServiceNoticeTakenDown()
    {
        m_notifications.replyDelayMs = 500;
        DesktopNotifier notifier(QDBusConnection::sessionBus());
        QSignalSpy notShown(&notifier, &DesktopNotifier::notShown);
        notifier.show(QStringLiteral("ringing"), QStringLiteral("Incoming call"), QStringLiteral("0611223344"), true);
        QVERIFY(m_rig->pumpUntil([this] { return m_notifications.shown.size() == 1; }));
        notifier.close(QStringLiteral("ringing"));
        QVERIFY(m_rig->pumpUntil([this] { return !m_notifications.closed.isEmpty(); }, 6000));
        QCOMPARE(m_notifications.closed, QList<uint> { m_notifications.shown.first().id });
        QCOMPARE(notShown.count(), 0);
    }

private:
    FakeNotificationService m_notifications;
    std::unique_ptr<QDBusConnection> m_service;
    std::unique_ptr<VirtualHybridRig> m_rig;
};

QTEST_MAIN(TestTrayNotices)
#include "tst_traynotices.moc"
