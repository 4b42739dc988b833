#include "MainWindow.h"
#include "ui_MainWindow.h"

#include "BackupActions.h"
#include "CCallHistoryForm.h"
#include "CCallRegistration.h"
#include "CConsole.h"
#include "CDatabase.h"
#include "CDynForm.h"
#include "CEQForm.h"
#include "CIncomingForm.h"
#include "CNau8810.h"
#include "COutCallForm.h"
#include "CRssiMeter.h"
#include "CSMSForm.h"
#include "CSaveForm.h"
#include "CSettingsForm.h"
#include "CUC20.h"
#include "CUSBHID.h"
#include "CallKeys.h"
#include "CallNotes.h"
#include "CallParty.h"
#include "CloseDuringCall.h"
#include "ConsoleLog.h"
#include "ControlBar.h"
#include "DebugForm.h"
#include "DesktopNotifier.h"
#include "DeviceConnector.h"
#include "DevicePayload.h"
#include "EventJournal.h"
#include "EventLogDialog.h"
#include "HidapiBackend.h"
#include "InfoForm.h"
#include "KeychainSecretStore.h"
#include "LogCategories.h"
#include "MissedCallBadge.h"
#include "NotedCallerSaver.h"
#include "OperatorGuideDialog.h"
#include "PhonebookForm.h"
#include "RemoteControl.h"
#include "RingTone.h"
#include "ScreeningService.h"
#include "ScreeningSettingsForm.h"
#include "StationCallQueue.h"
#include "StationDatabase.h"
#include "StationMoveActions.h"
#include "StationSettingsForm.h"
#include "StudioTray.h"
#include "WindowFit.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDateTime>
#include <QDebug>
#include <QDockWidget>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QSettings>
#include <QShortcut>
#include <QTimer>

#include <functional>
#include <utility>

#include <cmath>

namespace {

const char* const applicationName = "Parlona Control";
const char* const versionText = PARLONA_VERSION_TEXT;

const char* const normalBackground
    = "QMainWindow {                     background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:1, y2:0, "
      "stop:0 rgb(135, 135, 135), stop:1 rgb(125, 125, 125));                    }";
const char* const alertBackground
    = "QMainWindow {                     background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:1, y2:0, "
      "stop:0 rgb(255, 20, 20), stop:1 rgb(200, 20, 20));                    }";

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : MainWindow(nullptr, QCoreApplication::applicationDirPath(), parent)
{
}

MainWindow::MainWindow(HidBackend* backend, const QString& databaseDirectory, QWidget* parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
    , m_ownBackend(backend ? nullptr : std::make_unique<HidapiBackend>())
    , m_backend(backend ? backend : m_ownBackend.get())
{
    ui->setupUi(this);
    m_formStyleSheet = styleSheet();
    setIdentity();
    onReadSettings();
    qRegisterMetaType<msg_st>("msg_st");
    qRegisterMetaType<VOICECALL_STATE>("VOICECALL_STATE");
    qRegisterMetaType<SIM_STATE>("SIM_STATE");
    qRegisterMetaType<CALL_END_REASON>("CALL_END_REASON");

    createSubsystems(databaseDirectory);
    createPages();
    WindowFit::scrollPages(ui->stackedWidget);
    createToolActions();
    createTimers();
    m_console->setLevelEnabled(CConsole::Error, true);
    m_console->setLevelEnabled(CConsole::Info, true);
    onDisconnected();
    wire();

    showPage(PageOutCall);
    backlightTimer->stop();
    applyBackground(false);
    onActionAutoConnect(ui->actionAutoConnect->isChecked());
    m_tray->setEnabled(ui->actionTrayNotices->isChecked());

    qCDebug(lcApp) << QDateTime::currentDateTime().toString(Qt::ISODateWithMs);
}

void MainWindow::setIdentity()
{
    const QString version = QString::fromLatin1(versionText).replace(QLatin1Char(','), QLatin1Char('.'));
    setWindowTitle(tr("%1 - v%2").arg(QLatin1String(applicationName), version));
    QCoreApplication::setOrganizationName(QStringLiteral("Orvane"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("orvane.com"));
    QCoreApplication::setApplicationName(QLatin1String(applicationName));
    setWindowIcon(QIcon(QStringLiteral(":/resources/icons/parlona-control-48.png")));
}

void MainWindow::createSubsystems(const QString& databaseDirectory)
{
    m_console = new CConsole;
    m_events = new EventJournal(this);
    auto* dock = new QDockWidget(tr("Debug Console"), this);
    dock->setObjectName(QStringLiteral("dockConsole"));
    dock->setAllowedAreas(Qt::BottomDockWidgetArea);
    dock->setTitleBarWidget(new QWidget(dock));
    dock->setWidget(m_console);
    addDockWidget(Qt::BottomDockWidgetArea, dock);
    // On a laptop screen the console gives its room to the pages; View brings it back.
    QAction* consoleToggle = WindowFit::consoleToggle(dock, this);
    consoleToggle->setText(tr("Console"));
    auto* view = new QMenu(tr("View"), menuBar());
    view->setObjectName(QStringLiteral("menuView"));
    view->addAction(consoleToggle);
    menuBar()->insertMenu(ui->menuHelp->menuAction(), view);

    m_usb = new CUSBHID(this, m_console, m_backend);
    m_uc20 = new CUC20(this, m_usb, m_console);
    m_nau8810 = new CNau8810(this, m_usb, m_console);
    m_secrets = new KeychainSecretStore(this);
    m_databaseDirectory = databaseDirectory;
    m_database = StationDatabase::open(StationSettings::load(), databaseDirectory, m_console, m_secrets, this);
    if (m_database->isServer())
        m_context.stationCalls = new StationCallQueue(m_database, StationDatabase::outboxPath(databaseDirectory), this);
    m_context.usb = m_usb;
    m_context.uc20 = m_uc20;
    m_context.nau8810 = m_nau8810;
    m_context.console = m_console;
    m_context.database = m_database;
    m_context.callNotes = new CallNotes(this);
    m_context.callerSaver = new NotedCallerSaver(&m_context, this);
    m_connector = new DeviceConnector(m_backend, m_usb, this);
    m_remote = new RemoteControl(&m_context, this);
    m_tray = new StudioTray(&m_context, new DesktopNotifier(QDBusConnection::sessionBus(), this), this);
    m_ringTone = new RingTone(this);
    m_callKeys = new CallKeys(this);
}

void MainWindow::createPages()
{
    statusLabel = new QLabel(this);
    statusLabel->setObjectName(QStringLiteral("statusLabel"));

    // One row per page, in the order they are made: a page may take one made before it.
    const std::pair<Page, std::function<QWidget*()>> pages[] = {
        { PageEqualizer, [this] { return m_eqForm = new CEQForm(m_nau8810, m_console, nullptr); } },
        { PageDynamics, [this] { return m_dynForm = new CDynForm(m_nau8810, m_uc20, m_console, nullptr); } },
        { PagePhonebook, [this] { return m_phonebookForm = new PhonebookForm(&m_context, this); } },
        { PageDebug, [this] { return m_debugForm = new DebugForm(&m_context, this); } },
        { PageSettings, [this] { return m_settingsForm = new CSettingsForm(&m_context, this); } },
        { PageInfo, [this] { return m_infoForm = new InfoForm(&m_context, this); } },
        { PageOutCall,
            [this] { return m_outCallForm = new COutCallForm(m_context.nau8810, m_uc20, m_console, this); } },
        { PageSms, [this] { return m_smsForm = new CSMSForm(&m_context, this); } },
        { PageCallHistory,
            [this] { return m_callHistoryForm = new CCallHistoryForm(&m_context, m_phonebookForm, this); } },
    };
    for (const auto& page : pages)
        m_pages[page.first] = page.second();
    // A window of its own, above the others; deleted with this window, though not its child.
    m_incomingForm = std::make_unique<CIncomingForm>(&m_context, nullptr);
    m_rssiMeter = new CRssiMeter;
    m_callRegistration = new CCallRegistration(&m_context, this);
    ui->widget_controlbar->setContext(&m_context);

    statusBar()->addPermanentWidget(statusLabel, 1);
    // Trouble with the database stays in sight: calls may not be recorded while it lasts.
    // On one line, and cut where the window ends rather than widening it: the whole message is
    // in its tool tip and on the console.
    auto* databaseStatus = new QLabel(m_database->problem().simplified(), this);
    databaseStatus->setObjectName(QStringLiteral("databaseStatus"));
    databaseStatus->setStyleSheet(QStringLiteral("color: red"));
    databaseStatus->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    databaseStatus->setToolTip(m_database->problem());
    databaseStatus->setVisible(!m_database->problem().isEmpty());
    connect(m_database, &CDatabase::trouble, databaseStatus, [databaseStatus](const QString& message) {
        databaseStatus->setText(message.simplified());
        databaseStatus->setToolTip(message);
        databaseStatus->show();
    });
    connect(m_database, &CDatabase::troubleOver, databaseStatus, &QLabel::hide);
    statusBar()->addPermanentWidget(databaseStatus, 1);
    statusBar()->addPermanentWidget(m_rssiMeter, 0);
    for (QWidget* page : m_pages) {
        if (page)
            ui->stackedWidget->addWidget(page);
    }
}

void MainWindow::createTimers()
{
    // The meters move only while a level changes: the timer stops itself once both meters stand
    // at their levels and is woken when a level changes. While they move it fires once a frame
    // and runs the release ticks that fell due meanwhile, so that the meters fall exactly as with
    // a tick every meterTickInterval, yet the program wakes and repaints only once a frame.
    meterTimer = new QTimer(this);
    meterTimer->setObjectName(QStringLiteral("meterTimer"));
    meterTimer->setInterval(MeterFrameMs);
    connect(meterTimer, &QTimer::timeout, this, &MainWindow::onMeterFrame);
    wakeMeters();
    backlightTimer = new QTimer(this);
    backlightTimer->setObjectName(QStringLiteral("backlightTimer"));
    backlightTimer->setInterval(FlashIntervalMs);
    connect(backlightTimer, &QTimer::timeout, this, &MainWindow::onBacklightTimeout);
}

void MainWindow::wireRemoteControl()
{
    connect(m_uc20, &CUC20::rssiChange, m_remote, &RemoteControl::onRssiChange);
    connect(m_usb, &CUSBHID::connected, m_remote, &RemoteControl::onConnectionChange);
    connect(m_usb, &CUSBHID::disconnected, m_remote, &RemoteControl::onConnectionChange);
    connect(m_callRegistration, &CCallRegistration::callRecorded, m_remote, &RemoteControl::onCallRecorded);
    connect(m_remote, &RemoteControl::raiseRequested, this, &MainWindow::bringToFront);
}

void MainWindow::wire()
{
    // The order of the connections is the order in which slots that share a signal run.
    connect(m_usb, &CUSBHID::dataAvailable, m_uc20, &CUC20::onReceiveUSB);
    connect(m_usb, &CUSBHID::dataAvailable, m_nau8810, &CNau8810::onReceiveUSB);
    connect(m_usb, &CUSBHID::dataAvailable, m_eqForm, &CEQForm::onReceiveUSB);
    connect(m_usb, &CUSBHID::dataAvailable, m_dynForm, &CDynForm::onReceiveUSB);
    connect(m_usb, &CUSBHID::dataAvailable, m_debugForm, &DebugForm::onReceiveUSB);
    connect(m_usb, &CUSBHID::dataAvailable, m_settingsForm, &CSettingsForm::onReceiveUSB);
    connect(m_usb, &CUSBHID::dataAvailable, this, &MainWindow::onReceiveUSB);
    connect(m_usb, &CUSBHID::dataAvailable, m_infoForm, &InfoForm::onReceiveUSB);
    connect(m_usb, &CUSBHID::dataAvailable, m_smsForm, &CSMSForm::onReceiveUSB);
    connect(m_usb, &CUSBHID::connected, m_uc20, &CUC20::initialize);
    connect(m_usb, &CUSBHID::connected, m_nau8810, &CNau8810::initialize);
    connect(m_usb, &CUSBHID::connected, this, &MainWindow::onConnected);
    connect(m_usb, &CUSBHID::disconnected, this, &MainWindow::onDisconnected);
    connect(m_usb, &CUSBHID::disconnected, this, &MainWindow::onResetMeters);
    ControlBar* bar = ui->widget_controlbar;
    connect(m_uc20, &CUC20::rssiChange, m_rssiMeter, &CRssiMeter::setValue);
    connect(m_uc20, &CUC20::sidetone, m_debugForm, &DebugForm::onUC20Sidetone);
    connect(m_uc20, &CUC20::simStateChange, bar, &ControlBar::onSimStateChange);
    connect(m_uc20, &CUC20::codecChange, bar, &ControlBar::onCodecChange);
    connect(m_uc20, &CUC20::voicecallStateChange, m_context.callNotes, &CallNotes::onVoicecallStateChange);
    connect(m_uc20, &CUC20::voicecallStateChange, bar, &ControlBar::onVoicecallStateChange);
    connect(m_uc20, &CUC20::voicecallStateChange, m_incomingForm.get(), &CIncomingForm::onVoicecallStateChange);
    // Remote clients hear of a call's end before they hear it was recorded.
    connect(m_uc20, &CUC20::voicecallStateChange, m_remote, &RemoteControl::onVoicecallStateChange);
    connect(m_uc20, &CUC20::voicecallStateChange, m_callRegistration, &CCallRegistration::onVoicecallStateChange);
    connect(m_uc20, &CUC20::moduleSilenceChanged, this, &MainWindow::showModuleSilence);
    connect(m_uc20, &CUC20::DTMFfromCaller, this, &MainWindow::onDTMFfromCaller);
    connect(m_uc20, &CUC20::manufacturerIdentification, m_infoForm, &InfoForm::onManufacturerIdentification);
    connect(m_uc20, &CUC20::modelIdentification, m_infoForm, &InfoForm::onModelIdentification);
    connect(m_uc20, &CUC20::firmwareRevision, m_infoForm, &InfoForm::onFirmwareRevision);
    connect(m_uc20, &CUC20::IMEIIdentify, m_infoForm, &InfoForm::onIMEIIdentify);
    connect(bar, &ControlBar::callClicked, this, &MainWindow::onCallClicked);
    connect(bar, &ControlBar::endcallClicked, this, &MainWindow::onEndCallClicked);
    connect(bar, &ControlBar::dialnrClicked, this, &MainWindow::onDialNrClicked);
    // Enter does what the call button does: dial the number on show, or answer a ringing call.
    for (const QKeySequence& key : { QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter) })
        connect(new QShortcut(key, this), &QShortcut::activated, this, &MainWindow::onCallClicked);
    connect(ui->actionConnect, &QAction::triggered, this, &MainWindow::onActionConnect);
    connect(ui->actionDisconnect, &QAction::triggered, this, &MainWindow::onActionDisconnect);
    connect(ui->actionAutoConnect, &QAction::triggered, this, &MainWindow::onActionAutoConnect);
    // Written when they change: a program that is killed keeps them as they were set.
    for (QAction* setting : { ui->actionAutoConnect, ui->actionTrayNotices })
        connect(setting, &QAction::toggled, this, &MainWindow::onWriteSettings);
    connect(m_callRegistration, &CCallRegistration::registerUpdate, m_callHistoryForm, &CCallHistoryForm::LoadTable);
    connect(m_phonebookForm, &PhonebookForm::contactsUpdate, m_callHistoryForm, &CCallHistoryForm::LoadTable);
    connect(m_context.callerSaver, &NotedCallerSaver::contactAdded, m_phonebookForm, &PhonebookForm::onContactAdded);
    // Quit closes the window as its close button does: a connected unit is offered a store first.
    connect(ui->actionQuit, &QAction::triggered, this, &QWidget::close);
    wireBackups();
    connect(ui->actionOperatorGuide, &QAction::triggered, this, &MainWindow::showOperatorGuide);
    connect(ui->actionAbout, &QAction::triggered, this, &MainWindow::showAbout);
    wireRemoteControl();
    wireCallAlerts();
    wireMissedCallBadge();
    wireEventJournal();
    wireScreening();
    wireStation();
}

void MainWindow::wireStation()
{
    m_settingsForm->addTab(new StationSettingsForm(m_secrets), tr("Phonebook and history"));
    // Another studio on the station's server changed the phonebook or took a call.
    connect(m_database, &CDatabase::contactsChanged, m_phonebookForm, &PhonebookForm::onContactAdded);
    connect(m_database, &CDatabase::callsChanged, m_callHistoryForm, &CCallHistoryForm::LoadTable);
    // Back after an outage: whatever the others wrote meanwhile.
    connect(m_database, &CDatabase::reconnected, m_phonebookForm, &PhonebookForm::onContactAdded);
    connect(m_database, &CDatabase::reconnected, m_callHistoryForm, &CCallHistoryForm::LoadTable);
    if (m_context.stationCalls)
        wireStationCalls(m_context.stationCalls);
    wireStationMoves();
}

void MainWindow::wireStationMoves()
{
    auto* moves = new StationMoveActions(m_database, m_secrets, m_databaseDirectory, this);
    auto* toServer = new QAction(tr("Move phonebook and history to the station server..."), this);
    toServer->setObjectName(QStringLiteral("actionMoveToServer"));
    toServer->setEnabled(!moves->onServer());
    auto* toComputer = new QAction(tr("Move phonebook and history to this computer..."), this);
    toComputer->setObjectName(QStringLiteral("actionMoveToComputer"));
    toComputer->setEnabled(moves->onServer());
    ui->menuFile->insertActions(ui->actionQuit, { toServer, toComputer });
    ui->menuFile->insertSeparator(ui->actionQuit);
    connect(toServer, &QAction::triggered, moves, &StationMoveActions::moveToServer);
    connect(toComputer, &QAction::triggered, moves, &StationMoveActions::moveToComputer);
}

void MainWindow::wireStationCalls(StationCallQueue* calls)
{
    // The calls taken while the server is away stay in sight until they reached it.
    auto* waiting = new QLabel(this);
    waiting->setObjectName(QStringLiteral("callsWaiting"));
    waiting->setStyleSheet(QStringLiteral("color: red"));
    const auto show = [waiting](int count) {
        waiting->setText(tr("Calls waiting for the station server: %1").arg(count));
        waiting->setVisible(count > 0);
    };
    show(calls->waiting());
    connect(calls, &StationCallQueue::waitingChanged, waiting, show);
    statusBar()->addPermanentWidget(waiting, 0);
    if (!calls->outboxProblem().isEmpty())
        ConsoleLog::error(m_console,
            tr("The calls that wait for the station server are kept only until the program "
               "stops: %1")
                .arg(calls->outboxProblem()));
}

void MainWindow::wireScreening()
{
    m_screening = new ScreeningService(&m_context, this);
    // After the notes: the page shows the notes of the call that has just begun.
    connect(m_uc20, &CUC20::voicecallStateChange, m_screening, &ScreeningService::onVoicecallStateChange);
    connect(m_uc20, &CUC20::rssiChange, m_screening, &ScreeningService::onRssiChange);
    connect(m_uc20, &CUC20::simStateChange, m_screening, &ScreeningService::onSimStateChange);
    connect(m_uc20, &CUC20::moduleSilenceChanged, m_screening, &ScreeningService::onModuleSilenceChanged);
    connect(m_usb, &CUSBHID::connected, m_screening, &ScreeningService::onConnectionChange);
    connect(m_usb, &CUSBHID::disconnected, m_screening, &ScreeningService::onConnectionChange);
    connect(m_context.callNotes, &CallNotes::currentChanged, m_screening, &ScreeningService::onNotesChanged);
    m_settingsForm->addTab(new ScreeningSettingsForm(m_screening), tr("Screening page"));
    m_screening->applySettings();
}

void MainWindow::wireBackups()
{
    m_backups = new BackupActions(&m_context, this);
    auto* backUp = new QAction(tr("Back up now..."), this);
    backUp->setObjectName(QStringLiteral("actionBackUp"));
    auto* restore = new QAction(tr("Restore from backup..."), this);
    restore->setObjectName(QStringLiteral("actionRestore"));
    ui->menuFile->insertActions(ui->actionQuit, { backUp, restore });
    ui->menuFile->insertSeparator(ui->actionQuit);
    connect(backUp, &QAction::triggered, m_backups, &BackupActions::backUpNow);
    connect(restore, &QAction::triggered, m_backups, &BackupActions::restoreFromBackup);
    // A restored file: the pages read it again.
    connect(m_database, &CDatabase::reopened, m_phonebookForm, &PhonebookForm::onDatabaseReopened);
    connect(m_database, &CDatabase::reopened, m_callHistoryForm, &CCallHistoryForm::LoadTable);
}

void MainWindow::wireEventJournal()
{
    // Everything the console is told goes to the journal (or the events file) as well, with the
    // calls' numbers as fields of their own.
    // The unit open, or the one this program is for while none is; asked until the end, when the
    // link and the connector may be gone before the journal.
    m_events->setUnit([usb = QPointer<CUSBHID>(m_usb), connector = QPointer<DeviceConnector>(m_connector)] {
        const QString open = usb ? usb->serial() : QString();
        return !open.isEmpty() || !connector ? open : connector->unit();
    });
    connect(m_console, &CConsole::info, m_events, &EventJournal::onInfo);
    connect(m_console, &CConsole::warn, m_events, &EventJournal::onWarning);
    connect(m_console, &CConsole::error, m_events, &EventJournal::onError);
    connect(m_uc20, &CUC20::voicecallStateChange, m_events, [this](VOICECALL_STATE state, QString number) {
        if (state == VOICECALL_INCOMING || state == VOICECALL_CALLING)
            m_events->onCallBegins(number, state == VOICECALL_INCOMING);
    });
    connect(m_callRegistration, &CCallRegistration::callRecorded, m_events, &EventJournal::onCallRecorded);
    connect(ui->actionEventLog, &QAction::triggered, this, [this] {
        // Taken afresh each time: the log goes on while the dialog is closed.
        auto* log = new EventLogDialog(m_events, this);
        log->setAttribute(Qt::WA_DeleteOnClose);
        log->show();
    });
}

void MainWindow::wireMissedCallBadge()
{
    auto* badge = new MissedCallBadge(m_pageActions[PageCallHistory], this);
    const auto historySeen = [this] {
        return ui->stackedWidget->currentWidget() == m_pages[PageCallHistory] && isActiveWindow() && !isMinimized();
    };
    connect(m_callRegistration, &CCallRegistration::callRecorded, badge,
        [badge, historySeen](QString number, int type, QDateTime start, qint64 durationMs) {
            badge->onCallRecorded(number, type, start, durationMs);
            if (historySeen())
                badge->clear();
        });
    connect(ui->stackedWidget, &QStackedWidget::currentChanged, badge, [badge, historySeen] {
        if (historySeen())
            badge->clear();
    });
    // Picking the history when it is on show already is looking at it too.
    connect(m_pageActions[PageCallHistory], &QAction::triggered, badge, &MissedCallBadge::clear);
}

void MainWindow::wireCallAlerts()
{
    connect(m_usb, &CUSBHID::connected, m_tray, &StudioTray::onConnectionChange);
    connect(m_usb, &CUSBHID::disconnected, m_tray, &StudioTray::onConnectionChange);
    connect(m_uc20, &CUC20::voicecallStateChange, m_tray, &StudioTray::onVoicecallStateChange);
    connect(m_callRegistration, &CCallRegistration::callRecorded, m_tray, &StudioTray::onCallRecorded);
    connect(m_tray, &StudioTray::raiseRequested, this, &MainWindow::bringToFront);
    connect(ui->actionTrayNotices, &QAction::toggled, m_tray, &StudioTray::setEnabled);
    ControlBar* bar = ui->widget_controlbar;
    connect(m_usb, &CUSBHID::connected, bar, [bar] { bar->onConnectionChange(true); });
    connect(m_usb, &CUSBHID::disconnected, bar, [bar] { bar->onConnectionChange(false); });
    connect(m_uc20, &CUC20::rssiChange, bar, &ControlBar::onRssiChange);
    // Without a unit there is no signal to show: the meter must not keep the last one.
    connect(m_usb, &CUSBHID::disconnected, m_rssiMeter, [this] { m_rssiMeter->setValue(99, 0); });
    connect(m_uc20, &CUC20::moduleSilenceChanged, bar, &ControlBar::onModuleSilenceChanged);
    connect(m_uc20, &CUC20::simAttemptsLeft, bar, &ControlBar::onSimAttemptsLeft);
    // The speed dials' tool tips name what they dial.
    connect(m_settingsForm, &CSettingsForm::dialNumbersChanged, bar, &ControlBar::onDialNumbersChanged);
    connect(m_phonebookForm, &PhonebookForm::contactsUpdate, bar, &ControlBar::onDialNumbersChanged);
    // Who ended a call is known before the call's end is told: the bar and the register keep it.
    connect(m_uc20, &CUC20::callEnded, bar, &ControlBar::onCallEnded);
    connect(m_uc20, &CUC20::callEnded, m_callRegistration, &CCallRegistration::onCallEnded);
    connect(m_uc20, &CUC20::dialFailed, m_remote, &RemoteControl::onDialFailed);
    connect(m_uc20, &CUC20::voicecallStateChange, m_ringTone, &RingTone::onVoicecallStateChange);
    connect(m_usb, &CUSBHID::disconnected, m_ringTone, &RingTone::onDisconnected);
    connect(m_callKeys, &CallKeys::answerPressed, this, &MainWindow::onAnswerKey);
    connect(m_callKeys, &CallKeys::hangUpPressed, this, &MainWindow::onEndCallClicked);
    connect(m_callKeys, &CallKeys::keysChanged, bar, &ControlBar::setCallKeys);
    connect(m_callKeys, &CallKeys::keysChanged, m_incomingForm.get(), &CIncomingForm::setCallKeys);
    connect(m_settingsForm, &CSettingsForm::callKeysChanged, m_callKeys, &CallKeys::reload);
    m_callKeys->reload();
    bar->onConnectionChange(m_usb->isConnected());
}

void MainWindow::showAtStart(bool minimized)
{
    // Started with the session: in the tray, from where a click brings it up; without a tray
    // minimized, so that it is never out of reach.
    if (!minimized)
        show();
    else if (!m_tray->isShown())
        showMinimized();
}

void MainWindow::bringToFront()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

MainWindow::~MainWindow()
{
    qCDebug(lcApp) << "~MainWindow";
    qCDebug(lcApp) << "Connection state: " << (m_usb->isConnected() ? "true" : "false");
    onWriteSettings();
    // Close the link while the console and the widgets that follow it are still alive.
    m_usb->stop();
    disconnect(m_usb, nullptr, this, nullptr);
    delete ui;
}

void MainWindow::setUnit(const QString& serial)
{
    m_connector->setUnit(serial);
    m_incomingForm->setUnit(serial);
    setIdentity();
    if (!serial.isEmpty())
        setWindowTitle(tr("%1 - unit %2").arg(windowTitle(), serial));
}

void MainWindow::showServiceMenu()
{
    if (findChild<QMenu*>(QStringLiteral("menuService")))
        return;
    QMenu* menu = new QMenu(tr("Service"), menuBar());
    menuBar()->insertMenu(ui->menuHelp->menuAction(), menu);
    menu->setObjectName(QStringLiteral("menuService"));
    for (Page page : { PageDebug, PageSms, PageDynamics })
        menu->addAction(m_pageActions[page]);
}

QString MainWindow::statusText() const
{
    return statusLabel->text();
}

void MainWindow::createToolActions()
{
    static const ToolAction actions[] = {
        { PageOutCall, ":/resources/png/dialpad.png", QT_TR_NOOP("Dialpad"), &MainWindow::onActionCall, 1 },
        { PagePhonebook, ":/resources/png/phonebook.png", QT_TR_NOOP("Phonebook"), &MainWindow::onActionPhonebook, 2 },
        { PageEqualizer, ":/resources/png/equalizer1.png", QT_TR_NOOP("Equalizer"), &MainWindow::onActionEqualizer, 3 },
        { PageDynamics, ":/resources/png/wave2.png", QT_TR_NOOP("Dynamics"), &MainWindow::onActionDynamics, 0 },
        { PageSettings, ":/resources/png/settings2.png", QT_TR_NOOP("Settings"), &MainWindow::onActionSettings, 4 },
        { PageSms, ":/resources/png/sms4.png", QT_TR_NOOP("SMS"), &MainWindow::onActionSms, 0 },
        { PageInfo, ":/resources/png/info.png", QT_TR_NOOP("Info"), &MainWindow::onActionInfo, 6 },
        { PageCallHistory, ":/resources/png/history.png", QT_TR_NOOP("Call History"), &MainWindow::onActionCallHistory,
            5 },
        { PageDebug, ":/resources/png/debug1.png", QT_TR_NOOP("Debug"), &MainWindow::onActionDebug, 0 },
    };

    std::array<QAction*, PageCount> toolBarOrder {};
    for (const ToolAction& entry : actions) {
        auto* action = new QAction(QIcon(QLatin1String(entry.icon)), tr(entry.text), this);
        action->setObjectName(QStringLiteral("action") + QString::fromLatin1(entry.text).remove(QLatin1Char(' ')));
        // A page that is not part of this build yet has its action greyed out.
        action->setEnabled(m_pages[entry.page] != nullptr);
        connect(action, &QAction::triggered, this, entry.slot);
        m_pageActions[entry.page] = action;
        if (entry.toolBarPosition > 0)
            toolBarOrder[entry.toolBarPosition - 1] = action;
    }
    for (QAction* action : toolBarOrder) {
        if (action)
            ui->toolBar->addAction(action);
    }
}

void MainWindow::showPage(Page page)
{
    if (m_pages[page])
        ui->stackedWidget->setCurrentWidget(m_pages[page]);
}

void MainWindow::onActionCall(bool)
{
    showPage(PageOutCall);
}

void MainWindow::onActionEqualizer(bool)
{
    showPage(PageEqualizer);
}

void MainWindow::onActionDynamics(bool)
{
    showPage(PageDynamics);
}

void MainWindow::onActionPhonebook(bool)
{
    showPage(PagePhonebook);
}

void MainWindow::onActionDebug(bool)
{
    showPage(PageDebug);
}

void MainWindow::onActionSettings(bool)
{
    showPage(PageSettings);
}

void MainWindow::onActionInfo(bool)
{
    showPage(PageInfo);
}

void MainWindow::onActionSms(bool)
{
    showPage(PageSms);
}

void MainWindow::onActionCallHistory(bool)
{
    showPage(PageCallHistory);
}

void MainWindow::onConnected()
{
    if (!ui->actionAutoConnect->isChecked()) {
        ui->actionConnect->setEnabled(false);
        ui->actionDisconnect->setEnabled(true);
    }
    statusLabel->setText(tr("Status: Connected [Initializing...]"));
    m_connector->requestUnitState();
}

void MainWindow::onDisconnected()
{
    if (!ui->actionAutoConnect->isChecked()) {
        ui->actionConnect->setEnabled(true);
        ui->actionDisconnect->setEnabled(false);
    }
    statusLabel->setText(tr("Status: Disconnected"));
    m_firmware.clear();
}

void MainWindow::onActionConnect(bool)
{
    m_connector->connectNow();
}

void MainWindow::onActionDisconnect(bool)
{
    m_usb->stop();
}

void MainWindow::onActionAutoConnect(bool toggled)
{
    // With auto-connect on, the program alone opens and closes the unit.
    const bool open = m_usb->isConnected();
    ui->actionConnect->setEnabled(!toggled && !open);
    ui->actionDisconnect->setEnabled(!toggled && open);
    m_connector->setAutoConnect(toggled);
}

void MainWindow::onAutoConnectTimeout()
{
    m_connector->onAutoConnectTimeout();
}

void MainWindow::onReceiveUSB(int id, int /*type*/, QByteArray data)
{
    switch (id) {
    case DeviceMessage::AudioLevels:
        handleLevels(data);
        break;
    case DeviceMessage::FirmwareVersion:
        handleFirmwareVersion(data);
        break;
    case DeviceMessage::DebugText:
        handleDebugText(data);
        break;
    default:
        break;
    }
}

void MainWindow::handleLevels(const QByteArray& data)
{
    // A corrupted report can still pass the checksum: a level that is not a number is silence.
    const auto level = [](double dB) { return std::isfinite(dB) ? dB : -50.0; };
    const DevicePayload::Levels levels = DevicePayload::levels(data);
    const double recv = level(levels.receive);
    const double send = level(levels.send);
    if (recv == recvLevel && send == sendLevel)
        return;
    // The ticks due before this report fall at the levels it replaces.
    if (meterTimer->isActive())
        runDueMeterTicks();
    recvLevel = recv;
    sendLevel = send;
    // A resting meter is woken only for a level that shows: the noise floor between calls
    // changes every report and moves no bar.
    if (ui->ppm_recv->wouldMoveTo(recv) || ui->ppm_send->wouldMoveTo(send))
        wakeMeters();
    // A report near the next frame brings it forward into this wake-up, after the other reports
    // of the same read: while reports come about once a frame, they pace the frames.
    if (meterTimer->isActive() && (!m_sinceMeterFrame.isValid() || m_sinceMeterFrame.elapsed() >= MeterFrameMs * 3 / 4))
        meterTimer->start(0);
}

void MainWindow::handleFirmwareVersion(const QByteArray& data)
{
    const DevicePayload::FirmwareVersion version = DevicePayload::firmwareVersion(data);
    m_firmware = QStringLiteral("%1.%2.%3.%4").arg(version[0]).arg(version[1]).arg(version[2]).arg(version[3]);
    statusLabel->setText(tr("Status: Connected [Orvane Parlona, Firmware: v%1.%2.%3.%4]")
                             .arg(version[0])
                             .arg(version[1])
                             .arg(version[2])
                             .arg(version[3]));
}

void MainWindow::showAbout()
{
    const QString unit = m_firmware.isEmpty() ? tr("No unit connected.")
                                              : tr("Connected unit: Orvane Parlona, firmware v%1.").arg(m_firmware);
    QMessageBox::about(this, tr("About Parlona Control"),
        tr("<h3>Parlona Control %1</h3>"
           "<p>Controls the Orvane Parlona telephone hybrid: calls, levels, equaliser, phonebook and call history.</p>"
           "<p>%2</p>"
           "<p>Copyright &copy; 2026 Orvane. Proprietary software, licensed for use with Orvane Parlona hybrids; "
           "see the file LICENSE that comes with it.</p>"
           "<p>Built with Qt %3 (LGPL 3) and hidapi (BSD licence).</p>")
            .arg(QCoreApplication::applicationVersion().isEmpty() ? QStringLiteral(PARLONA_VERSION)
                                                                  : QCoreApplication::applicationVersion(),
                unit, QLatin1String(qVersion())));
}

void MainWindow::showOperatorGuide()
{
    if (!m_guide)
        m_guide = new OperatorGuideDialog(this);
    m_guide->show();
    m_guide->raise();
    m_guide->activateWindow();
}

void MainWindow::showModuleSilence(bool silent)
{
    if (silent) {
        m_statusBeforeSilence = statusLabel->text();
        statusLabel->setText(tr("Status: Connected [GSM module not answering]"));
    } else if (statusLabel->text() == tr("Status: Connected [GSM module not answering]")) {
        statusLabel->setText(m_statusBeforeSilence);
    }
}

void MainWindow::handleDebugText(const QByteArray& data)
{
    emit m_console->debug(DevicePayload::debugText(data));
}

void MainWindow::onMeterRelease()
{
    const double sendBefore = ui->ppm_send->dBPosition();
    const double recvBefore = ui->ppm_recv->dBPosition();
    ui->ppm_send->applyRelease(sendLevel, releaseStep);
    ui->ppm_recv->applyRelease(recvLevel, releaseStep);
    // A tick that moved neither meter would be repeated unchanged until a level changes.
    if (ui->ppm_send->dBPosition() == sendBefore && ui->ppm_recv->dBPosition() == recvBefore)
        meterTimer->stop();
}

void MainWindow::onMeterFrame()
{
    const bool brought = meterTimer->interval() == 0;
    const bool moving = runDueMeterTicks(brought ? meterTickInterval : 0);
    m_sinceMeterFrame.start();
    // Both meters' rows in one request: the window paints them in one go.
    ui->ppm_send->repaintMoved();
    ui->ppm_recv->repaintMoved();
    // After a frame that a report brought, the timer waits half a frame longer than the next
    // report should, and fires only when the reports stop.
    const int next = brought ? MeterFrameMs + MeterFrameMs / 2 : MeterFrameMs;
    if (!moving)
        meterTimer->stop();
    else if (meterTimer->interval() != next)
        meterTimer->start(next);
}

bool MainWindow::runDueMeterTicks(int aheadMs)
{
    // Once a tick moves nothing, the ones after it at the same levels move nothing either.
    bool moved = true;
    for (int due = m_meterTicks.takeDueTicks(aheadMs); due > 0 && moved; --due)
        moved = stepMeters();
    return moved;
}

bool MainWindow::stepMeters()
{
    const bool send = ui->ppm_send->stepRelease(sendLevel, releaseStep);
    const bool recv = ui->ppm_recv->stepRelease(recvLevel, releaseStep);
    return send || recv;
}

void MainWindow::onResetMeters()
{
    if (meterTimer->isActive())
        runDueMeterTicks();
    recvLevel = -50.0;
    sendLevel = -50.0;
    wakeMeters();
}

void MainWindow::wakeMeters()
{
    if (meterTimer->isActive())
        return;
    // The first frame comes one tick from now, as the first tick would: a rise shows at once.
    m_meterTicks.restart();
    meterTimer->start(meterTickInterval);
}

void MainWindow::onCallClicked()
{
    if (m_uc20->callState() == VOICECALL_INCOMING) {
        m_uc20->answerCall();
        return;
    }
    // The number comes from the page on show; other pages offer none.
    QWidget* page = ui->stackedWidget->currentWidget();
    if (page == m_pages[PageOutCall])
        m_uc20->call(m_outCallForm->number());
    else if (page == m_pages[PagePhonebook])
        m_uc20->call(m_phonebookForm->currentPhoneNumber());
    else if (page == m_pages[PageCallHistory])
        m_uc20->call(m_callHistoryForm->selectedNumber());
}

void MainWindow::onAnswerKey()
{
    // The answer key only ever answers: it dials nothing, whatever page is on show.
    if (m_uc20->callState() == VOICECALL_INCOMING)
        m_uc20->answerCall();
}

void MainWindow::onEndCallClicked()
{
    m_uc20->endCall();
}

void MainWindow::onDialNrClicked(int id)
{
    m_uc20->call(m_settingsForm->dialNumber(id));
}

void MainWindow::onReadSettings()
{
    QSettings settings;
    const QVariant autoConnect = settings.value(QStringLiteral("AutoConnect"));
    ui->actionAutoConnect->setChecked(autoConnect.isNull() ? false : autoConnect.toBool());
    ui->actionTrayNotices->setChecked(settings.value(QStringLiteral("TrayNotices"), true).toBool());
}

void MainWindow::onWriteSettings()
{
    QSettings settings;
    settings.setValue(QStringLiteral("AutoConnect"), ui->actionAutoConnect->isChecked());
    settings.setValue(QStringLiteral("TrayNotices"), ui->actionTrayNotices->isChecked());
}

void MainWindow::on_actionDoStatusBar_triggered() { }

void MainWindow::onBacklightTimeout()
{
    applyBackground(!m_flashPhase);
    m_flashPhase = !m_flashPhase;
    if (++m_flashCount >= FlashTicks) {
        backlightTimer->stop();
        applyBackground(false);
        m_flashCount = 0;
    }
}

void MainWindow::onSetBackgroundBehaviour(BACKGROUND_ROLE role)
{
    if (role == BACKGROUND_NORMAL) {
        backlightTimer->stop();
        applyBackground(false);
    } else if (role == BACKGROUND_FLASH) {
        backlightTimer->start();
    }
}

void MainWindow::onDTMFfromCaller(int ascii_code)
{
    if (ascii_code == '0')
        backlightTimer->start();
}

void MainWindow::applyBackground(bool alert)
{
    // Only the window's background changes: the form's own rules (the tool bar's) stay in place.
    setStyleSheet(m_formStyleSheet + QLatin1String(alert ? alertBackground : normalBackground));
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_fittedOnScreen)
        return;
    m_fittedOnScreen = true;
    // Once the window manager has framed it, so that the frame counts too.
    QTimer::singleShot(0, this, [this] { WindowFit::fitOnScreen(this); });
}

void MainWindow::closeForShutdown()
{
    // Nobody may be there to answer a question: the call going on is recorded as it stands, the
    // settings are written, and the unit is left as it is.
    m_shuttingDown = true;
    m_callRegistration->recordCallInProgress();
    onWriteSettings();
    close();
}

void MainWindow::closeEvent(QCloseEvent* ev)
{
    if (m_shuttingDown || !m_usb->isConnected())
        return;
    if (!CloseDuringCall::confirm(m_uc20, CallParty::describe(m_database, m_uc20->callNumber()), this)) {
        ev->ignore();
        return;
    }
    QMessageBox question(QMessageBox::Question, QString(), tr("Do you want to save settings in the Orvane Parlona?"),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    question.setDefaultButton(QMessageBox::Save);
    switch (question.exec()) {
    case QMessageBox::Save:
        if (!storeSettingsInUnit()) {
            QMessageBox failed(QMessageBox::Critical, QString(), tr("Timeout Error!"), QMessageBox::Ok);
            failed.setInformativeText(tr("Failed to save settings"));
            failed.exec();
        }
        ev->accept();
        break;
    case QMessageBox::Discard:
        ev->accept();
        break;
    default:
        ev->ignore();
        break;
    }
}

bool MainWindow::storeSettingsInUnit()
{
    // The unit confirms the store with a message of the same id; the form waits for it, bounded
    // by its own timer, while the link goes on polling.
    CSaveForm wait;
    connect(m_usb, &CUSBHID::dataAvailable, &wait, &CSaveForm::onReceiveUSB);
    m_usb->transmit(DeviceMessage::StoreSettings, DeviceMessage::Write, nullptr, 0);
    return wait.exec() == QDialog::Accepted;
}
