#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include <QByteArray>
#include <QElapsedTimer>
#include <QMainWindow>
#include <array>
#include <memory>

#include "AppContext.h"
#include "MeterTickClock.h"

namespace Ui {
class MainWindow;
}

class QAction;
class QLabel;
class QTimer;
class CCallHistoryForm;
class CCallRegistration;
class StationCallQueue;
class CDynForm;
class CEQForm;
class DebugForm;
class CIncomingForm;
class CNau8810;
class COutCallForm;
class CRssiMeter;
class InfoForm;
class CConsole;
class EventJournal;
class BackupActions;
class CDatabase;
class CUSBHID;
class CUC20;
class DeviceConnector;
class HidBackend;
class OperatorGuideDialog;
class OrvanePPMMeter;
class PhonebookForm;
class RemoteControl;
class ScreeningService;
class SecretStore;
class StudioTray;
class RingTone;
class CallKeys;
class CSettingsForm;
class CSMSForm;

// 0 = steady normal background, 1 = flash the window.
enum BACKGROUND_ROLE { BACKGROUND_NORMAL = 0, BACKGROUND_FLASH = 1 };

// The program's one window: owns the link, the console and the pages, makes the wiring between
// them, shows the connection state, drives the level meters and looks for hybrids to connect to.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    // The pages of the stack, in stack order.
    enum Page {
        PageDebug,
        PageOutCall,
        PageEqualizer,
        PageDynamics,
        PagePhonebook,
        PageSettings,
        PageInfo,
        PageSms,
        PageCallHistory,
        PageCount
    };

    static constexpr double ReleaseStep = 0.133; // dB per meter tick: 13.3 dB per second
    static constexpr int MeterTickMs = 10;
    // The moving meters are redrawn once a frame, with the ticks that fell due meanwhile.
    static constexpr int MeterFrameMs = 40;
    static constexpr int FlashIntervalMs = 200;
    static constexpr int FlashTicks = 6;

    // Real hybrids through hidapi, the database in the program's own directory.
    explicit MainWindow(QWidget* parent = nullptr);
    // Hybrids through the given backend (not owned), the database in the given directory (or,
    // when the program may not write there, in the user's data directory).
    MainWindow(HidBackend* backend, const QString& databaseDirectory, QWidget* parent = nullptr);
    ~MainWindow() override;

    const AppContext* context() const { return &m_context; }
    // Offers the service pages (Debug, SMS, Dynamics) in a menu of their own, for technicians.
    void showServiceMenu();
    // Controls only the hybrid with this serial number (--unit), named in the title so that the
    // windows of two lines are told apart; empty for any.
    void setUnit(const QString& serial);
    // Closes the window for a system that stops the program (a signal, a logout): no question,
    // the call going on recorded with its talk time so far, the settings written.
    void closeForShutdown();
    // Shows the window, or with minimized leaves it in the tray (minimized without a tray).
    void showAtStart(bool minimized);
    QString statusText() const;
    // The remote control; main() publishes it on the session bus.
    RemoteControl* remoteControl() const { return m_remote; }
    // The producer's screening page; serves only when the settings switch it on.
    ScreeningService* screening() const { return m_screening; }
    StudioTray* tray() const { return m_tray; }

public slots:
    void onConnected();
    void onDisconnected();
    void onActionCall(bool);
    void onActionEqualizer(bool);
    void onActionDynamics(bool);
    void onActionPhonebook(bool);
    void onActionDebug(bool);
    void onActionSettings(bool);
    void onActionInfo(bool);
    void onActionSms(bool);
    void onActionCallHistory(bool);
    void onActionConnect(bool triggered);
    void onActionDisconnect(bool triggered);
    void onActionAutoConnect(bool toggled);
    void onReceiveUSB(int id, int type, QByteArray data);
    void onMeterRelease();
    void onResetMeters();
    void onCallClicked();
    void onEndCallClicked();
    // The answer key: answers a ringing call, and does nothing else.
    void onAnswerKey();
    void onDialNrClicked(int id);
    void onReadSettings();
    void onWriteSettings();
    // Kept for the form's status bar action; there is nothing for it to do.
    void on_actionDoStatusBar_triggered();
    void onBacklightTimeout();
    void onSetBackgroundBehaviour(BACKGROUND_ROLE role);
    void onDTMFfromCaller(int ascii_code);
    void onAutoConnectTimeout();
    // Shows the window on top, restored and active: for a second start and for notices.
    void bringToFront();

protected:
    // Connected: offers to store the unit's settings before the window goes.
    void closeEvent(QCloseEvent* ev) override;
    void showEvent(QShowEvent* event) override;

private:
    struct ToolAction
    {
        Page page;
        const char* icon;
        const char* text;
        void (MainWindow::*slot)(bool);
        int toolBarPosition; // 0 = not on the tool bar
    };

    void setIdentity();
    void createSubsystems(const QString& databaseDirectory);
    void createPages();
    void createToolActions();
    void createTimers();
    void wire();
    void wireCallAlerts();
    // The remote control hears of the unit, the signal and recorded calls, and may raise the window.
    void wireRemoteControl();
    // The count of missed calls on the call history's action, cleared when the history is seen.
    void wireMissedCallBadge();
    // Console events and calls into the system journal or the events file.
    void wireEventJournal();
    // The screening page: its service follows the unit, the call and its notes.
    void wireScreening();
    // Where the phonebook and history live (this computer or the station's server), and the
    // desktop's secret store for the server's password.
    void wireStation();
    void wireStationCalls(StationCallQueue* calls);
    void wireStationMoves();
    // The daily copy of the database, and backing up and restoring from the File menu.
    void wireBackups();
    void showPage(Page page);
    void applyBackground(bool alert);
    void handleFirmwareVersion(const QByteArray& data);
    void handleLevels(const QByteArray& data);
    void handleDebugText(const QByteArray& data);
    void wakeMeters();
    // One frame of the moving meters: the release ticks due by now, then one repaint request.
    // A frame that a level report brought forward also takes the tick about to fall due.
    void onMeterFrame();
    // Runs the release ticks due by now (or within aheadMs) at the levels in force; true when the
    // last one moved or none was due.
    bool runDueMeterTicks(int aheadMs = 0);
    // One release tick of both meters, the repaint left to the caller; true when either moved.
    bool stepMeters();
    void showModuleSilence(bool silent);
    bool storeSettingsInUnit();
    void showAbout();
    void showOperatorGuide();

    Ui::MainWindow* ui;
    std::unique_ptr<HidBackend> m_ownBackend;
    HidBackend* m_backend;
    CConsole* m_console;
    CUSBHID* m_usb;
    CUC20* m_uc20;
    CNau8810* m_nau8810;
    CDatabase* m_database = nullptr;
    QString m_databaseDirectory; // where the program keeps its file (DatabaseLocation)
    DeviceConnector* m_connector = nullptr;
    AppContext m_context;
    QLabel* statusLabel;
    std::array<QWidget*, PageCount> m_pages {};
    std::array<QAction*, PageCount> m_pageActions {};
    CEQForm* m_eqForm = nullptr;
    CDynForm* m_dynForm = nullptr;
    PhonebookForm* m_phonebookForm = nullptr;
    DebugForm* m_debugForm = nullptr;
    CSettingsForm* m_settingsForm = nullptr;
    CSMSForm* m_smsForm = nullptr;
    InfoForm* m_infoForm = nullptr;
    COutCallForm* m_outCallForm = nullptr;
    std::unique_ptr<CIncomingForm> m_incomingForm;
    CRssiMeter* m_rssiMeter = nullptr;
    CCallHistoryForm* m_callHistoryForm = nullptr;
    CCallRegistration* m_callRegistration = nullptr;
    RemoteControl* m_remote = nullptr;
    ScreeningService* m_screening = nullptr;
    SecretStore* m_secrets = nullptr;
    StudioTray* m_tray = nullptr;
    RingTone* m_ringTone = nullptr;
    CallKeys* m_callKeys = nullptr;

    double recvLevel = -50.0;
    double sendLevel = -50.0;
    double releaseStep = ReleaseStep;
    int meterTickInterval = MeterTickMs;
    QTimer* meterTimer;
    MeterTickClock m_meterTicks { meterTickInterval };
    QElapsedTimer m_sinceMeterFrame;
    QTimer* backlightTimer;

    QString m_statusBeforeSilence;
    QString m_firmware; // "2.1.0.7" as the connected unit reports it; empty without one
    OperatorGuideDialog* m_guide = nullptr;
    QString m_formStyleSheet;
    bool m_flashPhase = false;
    bool m_fittedOnScreen = false;
    bool m_shuttingDown = false;
    EventJournal* m_events = nullptr;
    BackupActions* m_backups = nullptr;
    int m_flashCount = 0;
};

#endif // MAINWINDOW_H
