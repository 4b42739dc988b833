#ifndef SCREENINGSERVICE_H
#define SCREENINGSERVICE_H

#include "GsmTypes.h"
#include "ScreeningServer.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

class QThread;
class ScreeningHistory;
struct AppContext;
struct CallNote;

// The screening page's side on the GUI thread: follows the unit, the call and its notes, and
// publishes what the page shows to the server as one JSON state; carries out what a page asks
// for with the same checks as the remote control (CallRequests), and the notes through
// CallNotes. Owns the server, which it starts and stops as the settings say.
class ScreeningService : public QObject
{
    Q_OBJECT

public:
    explicit ScreeningService(AppContext* context, QObject* parent = nullptr);
    ~ScreeningService() override;

    // Serves the page as config says, or stops (enabled false); false with the reason when it
    // cannot be served (also in status()).
    bool start(const ScreeningConfig& config, QString* error = nullptr);
    void stop();
    // Starts or stops as the settings (ScreeningSettings) say.
    void applySettings();
    bool isRunning() const { return m_server->isRunning(); }
    // What the settings show: where the page is served, or why not.
    QString status() const { return m_status; }
    QList<int> ports() const { return m_server->ports(); }
    // The state the pages show now, as JSON.
    QByteArray state() const { return m_state; }

public slots:
    void onVoicecallStateChange(VOICECALL_STATE state, QString number);
    void onRssiChange(int rssi, int dBm);
    void onSimStateChange(SIM_STATE state);
    void onModuleSilenceChanged(bool silent);
    void onConnectionChange();
    void onNotesChanged(const CallNote& note);

signals:
    // Fires when the server started, stopped or failed to start (status() says which).
    void statusChanged();
    // Fires when the history lookup the service asked for is to run (on the history's thread).
    void historyWanted(const QString& number);

private:
    ScreeningReply perform(const ScreeningRequest& request);
    ScreeningReply callAction(const ScreeningRequest& request);
    ScreeningReply saveNotes(const QJsonObject& body);
    ScreeningReply saveName(const ScreeningRequest& request);
    void onHistoryFound(const QString& number, int count, const QString& last);
    void publish();
    void setStatus(const QString& status);

    AppContext* m_context;
    std::unique_ptr<ScreeningServer> m_server;
    QThread* m_historyThread;
    ScreeningHistory* m_history = nullptr;
    QString m_status;
    QByteArray m_state;

    VOICECALL_STATE m_callState = VOICECALL_IDLE;
    qint64 m_sinceMs = 0; // when the call state last changed, in ms since the epoch
    QString m_number;
    QString m_name;
    bool m_historyKnown = false;
    int m_historyCount = 0;
    QString m_historyLast;
    int m_rssi = 99;
    int m_dBm = 0;
    bool m_silent = false;
};

#endif // SCREENINGSERVICE_H
