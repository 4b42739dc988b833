#include "DesktopNotifier.h"

#include "LogCategories.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

const QString DesktopNotifier::ServiceName = QStringLiteral("org.freedesktop.Notifications");
const QString DesktopNotifier::ObjectPath = QStringLiteral("/org/freedesktop/Notifications");
const QString DesktopNotifier::InterfaceName = QStringLiteral("org.freedesktop.Notifications");

DesktopNotifier::DesktopNotifier(QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , m_bus(bus)
{
    if (!m_bus.isConnected())
        return;
    m_bus.connect(ServiceName, ObjectPath, InterfaceName, QStringLiteral("ActionInvoked"), this,
        SLOT(onActionInvoked(uint, QString)));
    m_bus.connect(ServiceName, ObjectPath, InterfaceName, QStringLiteral("NotificationClosed"), this,
        SLOT(onNotificationClosed(uint, uint)));
    // A service without "body-markup" shows the body as it comes, escapes and all.
    const QDBusMessage ask
        = QDBusMessage::createMethodCall(ServiceName, ObjectPath, InterfaceName, QStringLiteral("GetCapabilities"));
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(ask, 2000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        const QDBusPendingReply<QStringList> capabilities = *call;
        if (!capabilities.isError())
            m_bodyMarkup = capabilities.value().contains(QStringLiteral("body-markup"));
    });
}

void DesktopNotifier::show(const QString& kind, const QString& summary, const QString& body, bool urgent)
{
    if (!m_bus.isConnected()) {
        emit notShown(kind, summary, body);
        return;
    }
    m_closeWhenShown.remove(kind);
    QDBusMessage notify
        = QDBusMessage::createMethodCall(ServiceName, ObjectPath, InterfaceName, QStringLiteral("Notify"));
    // The installed desktop entry and icon are named after the program's reverse-DNS id.
    const QString desktopId = QStringLiteral("com.orvane.ParlonaControl");
    const QVariantMap hints { { QStringLiteral("desktop-entry"), desktopId },
        { QStringLiteral("urgency"), QVariant::fromValue<uchar>(urgent ? 2 : 1) } };
    // "default" is the action of a click on the notice itself.
    notify.setArguments({ QStringLiteral("Parlona Control"), m_shown.value(kind), desktopId, summary,
        m_bodyMarkup ? body.toHtmlEscaped() : body, QStringList { QStringLiteral("default"), tr("Show") }, hints,
        urgent ? 0 : -1 });
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(notify, NotifyTimeoutMs), this);
    connect(
        watcher, &QDBusPendingCallWatcher::finished, this, [this, kind, summary, body](QDBusPendingCallWatcher* call) {
            call->deleteLater();
            const QDBusPendingReply<uint> id = *call;
            if (id.isError()) {
                qCDebug(lcApp).noquote() << "no desktop notification:" << id.error().message();
                // A notice taken down meanwhile (the call ended) has nothing left to show.
                if (!m_closeWhenShown.remove(kind))
                    emit notShown(kind, summary, body);
                return;
            }
            m_shown.insert(kind, id.value());
            if (m_closeWhenShown.remove(kind))
                close(kind);
        });
}

void DesktopNotifier::close(const QString& kind)
{
    const uint id = m_shown.take(kind);
    if (id == 0) {
        m_closeWhenShown.insert(kind);
        return;
    }
    QDBusMessage request
        = QDBusMessage::createMethodCall(ServiceName, ObjectPath, InterfaceName, QStringLiteral("CloseNotification"));
    request.setArguments({ id });
    m_bus.send(request);
}

void DesktopNotifier::onActionInvoked(uint id, const QString& action)
{
    const QString kind = m_shown.key(id);
    if (!kind.isEmpty() && action == QLatin1String("default"))
        emit clicked(kind);
}

void DesktopNotifier::onNotificationClosed(uint id, uint /*reason*/)
{
    const QString kind = m_shown.key(id);
    if (!kind.isEmpty())
        m_shown.remove(kind);
}
