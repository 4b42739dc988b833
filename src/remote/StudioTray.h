#ifndef STUDIOTRAY_H
#define STUDIOTRAY_H

#include "GsmTypes.h"

#include <QDateTime>
#include <QIcon>
#include <QObject>
#include <QString>

class DesktopNotifier;
class QSystemTrayIcon;
struct AppContext;

// The program in the desktop's tray and notices: an icon that shows whether the unit is
// connected, a call rings or is on air, and a notice for a call that rings and for a call that
// was missed. Clicking either brings the main window forward. Studios that do not want it
// switch it off; then neither icon nor notices appear.
class StudioTray : public QObject
{
    Q_OBJECT

public:
    enum State { NotConnected, Connected, Ringing, OnAir };

    // notifier is not owned; its notices are this tray's.
    StudioTray(AppContext* context, DesktopNotifier* notifier, QObject* parent = nullptr);

    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }
    // Whether the icon is in a tray, where the operator can bring the window back from.
    bool isShown() const;
    State state() const { return m_state; }
    QString toolTip() const;
    // The tray icon of a state: the program's icon with a badge in the state's colour.
    static QIcon icon(State state);

public slots:
    void onConnectionChange();
    void onVoicecallStateChange(VOICECALL_STATE state, QString number);
    void onCallRecorded(QString number, int type, QDateTime start, qint64 talkMs);

signals:
    // Fires when the operator clicks the icon or a notice.
    void raiseRequested();

private:
    void setState(State state);
    void showBalloon(const QString& kind, const QString& summary, const QString& body);
    QString partyText(const QString& number) const;

    AppContext* m_context;
    DesktopNotifier* m_notifier;
    QSystemTrayIcon* m_trayIcon;
    bool m_enabled = true;
    State m_state = NotConnected;
    VOICECALL_STATE m_callState = VOICECALL_IDLE;
};

#endif // STUDIOTRAY_H
