#ifndef VIRTUALHYBRIDRIG_H
#define VIRTUALHYBRIDRIG_H

#include "GsmTypes.h"

#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class CIncomingForm;
class CUC20;
class QAction;
class ManualClock;
class MainWindow;
class VirtualHybridBackend;
class VirtualHybridUnit;

// The whole program on a virtual hybrid: the real main window, link and engines talking to one
// virtual unit whose clock the test advances. Settings and the database live in a temporary
// folder of the rig's own.
class VirtualHybridRig
{
public:
    static const QString serial;

    // Settings and database in a temporary folder, or in directory when one is given.
    // configure writes the settings the program finds at its start, once the rig's own are made.
    explicit VirtualHybridRig(const QString& directory = QString(), const std::function<void()>& configure = {});
    ~VirtualHybridRig();
    VirtualHybridRig(const VirtualHybridRig&) = delete;
    VirtualHybridRig& operator=(const VirtualHybridRig&) = delete;

    ManualClock* clock() const { return m_clock; }
    VirtualHybridUnit* unit() const { return m_unit; }
    MainWindow* window() const { return m_window; }
    QAction* action(const char* objectName) const;
    CUC20* uc20() const;
    // The incoming-call window: a window of its own, not a child of the main window.
    static CIncomingForm* incomingWindow();

    // Opens the unit with the link, as Connect does with one unit attached.
    bool connectUnit();
    // Connects the unit and lets the program run until the SIM is ready.
    bool connectUntilSimReady();

    // Lets the program's event loop run in real time while the unit's clock moves on in 5 ms
    // steps, until condition holds; false when it still does not after timeoutMs.
    bool pumpUntil(const std::function<bool()>& condition, int timeoutMs = 10000);

    // Deterministic: moves the unit's clock on 1 ms at a time, running one link poll and one
    // parse step after each, until condition holds or ms have passed.
    bool stepUntil(const std::function<bool()>& condition, int ms);
    void step(int ms);
    // Steps until the engine's call is in this state; false when it is not after ms.
    bool reaches(VOICECALL_STATE state, int ms = 5000);
    // Rings the unit from number and answers, the program running in real time; true once on air.
    bool answersRinging(const QString& number);

private:
    // Made only when no directory is given: a rig killed in a child process leaves nothing behind.
    std::unique_ptr<QTemporaryDir> m_dir;
    ManualClock* m_clock;
    VirtualHybridBackend* m_backend;
    VirtualHybridUnit* m_unit;
    MainWindow* m_window;
};

#endif // VIRTUALHYBRIDRIG_H
