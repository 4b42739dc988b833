#include "VirtualHybridRig.h"

#include "CIncomingForm.h"
#include "CUC20.h"
#include "CUSBHID.h"
#include "MainWindow.h"
#include "ManualClock.h"
#include "VirtualHybridBackend.h"
#include "VirtualHybridUnit.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

const QString VirtualHybridRig::serial = QStringLiteral("VH000001");

VirtualHybridRig::VirtualHybridRig(const QString& directory, const std::function<void()>& configure)
    : m_clock(new ManualClock)
    , m_backend(new VirtualHybridBackend(m_clock))
    , m_unit(m_backend->addUnit(serial))
{
    QStandardPaths::setTestModeEnabled(true);
    if (directory.isEmpty())
        m_dir = std::make_unique<QTemporaryDir>();
    const QString folder = directory.isEmpty() ? m_dir->path() : directory;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QCoreApplication::setOrganizationName(QStringLiteral("Orvane"));
    QCoreApplication::setApplicationName(QStringLiteral("Parlona Control"));
    QSettings().clear();
    // A test must not ring through the speakers of the desktop it runs on.
    QSettings().setValue(QStringLiteral("RingTone/Enabled"), false);
    if (configure)
        configure();
    m_window = new MainWindow(m_backend, folder);
}

VirtualHybridRig::~VirtualHybridRig()
{
    delete m_window;
    delete m_backend;
    delete m_clock;
}

QAction* VirtualHybridRig::action(const char* objectName) const
{
    return m_window->findChild<QAction*>(QLatin1String(objectName));
}

CUC20* VirtualHybridRig::uc20() const
{
    return m_window->context()->uc20;
}

CIncomingForm* VirtualHybridRig::incomingWindow()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* form = qobject_cast<CIncomingForm*>(window))
            return form;
    }
    return nullptr;
}

bool VirtualHybridRig::connectUnit()
{
    return m_window->context()->usb->start(serial) == 0;
}

bool VirtualHybridRig::connectUntilSimReady()
{
    return connectUnit() && pumpUntil([this] { return uc20()->simState() == SIM_READY; });
}

bool VirtualHybridRig::pumpUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (!condition()) {
        if (elapsed.elapsed() > timeoutMs)
            return false;
        m_clock->advance(5);
        QTest::qWait(1);
    }
    return true;
}

bool VirtualHybridRig::stepUntil(const std::function<bool()>& condition, int ms)
{
    CUSBHID* link = m_window->context()->usb;
    CUC20* uc20 = m_window->context()->uc20;
    for (int i = 0; i < ms; ++i) {
        if (condition())
            return true;
        m_clock->advance(1);
        link->onHidTimer();
        uc20->processMsgQueue();
    }
    return condition();
}

void VirtualHybridRig::step(int ms)
{
    stepUntil([] { return false; }, ms);
}

bool VirtualHybridRig::reaches(VOICECALL_STATE state, int ms)
{
    return stepUntil([this, state] { return uc20()->callState() == state; }, ms);
}

bool VirtualHybridRig::answersRinging(const QString& number)
{
    m_unit->ringIn(number);
    if (!pumpUntil([this] { return uc20()->callState() == VOICECALL_INCOMING; }))
        return false;
    uc20()->answerCall();
    return pumpUntil([this] { return uc20()->callState() == VOICECALL_ACTIVE; });
}
