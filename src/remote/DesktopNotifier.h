#ifndef DESKTOPNOTIFIER_H
#define DESKTOPNOTIFIER_H

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>

// Desktop notifications through the desktop's notification service
// (org.freedesktop.Notifications on the session bus). Nothing waits for the service: a notice
// it could not show comes back in notShown(), so that the caller can fall back to the tray's
// own balloon.
class DesktopNotifier : public QObject
{
    Q_OBJECT

public:
    static const QString ServiceName;
    static const QString ObjectPath;
    static const QString InterfaceName;
    // How long the service may take to say a notice is up. A busy desktop can take seconds; a
    // reply given up on is lost, and with it the notice's id, so that it could never be closed.
    static constexpr int NotifyTimeoutMs = 15000;

    explicit DesktopNotifier(QDBusConnection bus, QObject* parent = nullptr);

    // Shows a notice, replacing the one of the same kind that is still up; urgent asks the
    // desktop to keep it until it is dealt with. Summary and body are plain text: a name such as
    // "Tom & Jerry <b>" shows as it is written.
    void show(const QString& kind, const QString& summary, const QString& body, bool urgent);
    // Takes the notice of this kind down, if it is up.
    void close(const QString& kind);

signals:
    // Fires when the operator clicks a notice of this program.
    void clicked(QString kind);
    // Fires when a notice could not be shown: no notification service, or it refused.
    void notShown(QString kind, QString summary, QString body);

private slots:
    void onActionInvoked(uint id, const QString& action);
    void onNotificationClosed(uint id, uint reason);

private:
    QDBusConnection m_bus;
    QHash<QString, uint> m_shown;   // kind -> the service's id of the notice that is up
    QSet<QString> m_closeWhenShown; // closed before the service said it was up
    // Whether the service reads the body as markup; until it has said, it is taken to.
    bool m_bodyMarkup = true;
};

#endif // DESKTOPNOTIFIER_H
