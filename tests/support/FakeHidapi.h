#ifndef FAKEHIDAPI_H
#define FAKEHIDAPI_H

#include "MemoryHidBackend.h"

// A stand-in for hidapi's C functions, linked into every test in place of the real library, for
// code that builds the link with its plain constructor. Its units, named by serial number (empty
// for a unit that reports none), are held in memory; hidapi lists and opens them by device path too.
class FakeHidapi
{
public:
    // Forgets every unit.
    static void reset();
    // Attaches a unit with this serial number and device path.
    static void plug(const QString& serial, const QString& path = QString());
    static void unplug(const QString& serial) { units().unplug(serial); }
    // Queues one input report; false when the unit's buffer was full and the report was lost.
    static bool deliver(const QString& serial, const QByteArray& report) { return units().deliver(serial, report); }
    // Every report written to the unit, in order.
    static QList<QByteArray> written(const QString& serial) { return units().written(serial); }
    static bool isOpen(const QString& serial) { return units().isOpen(serial); }

private:
    static MemoryHidBackend& units();
};

#endif // FAKEHIDAPI_H
