#ifndef FAKEHIDAPI_H
#define FAKEHIDAPI_H

#include <QByteArray>
#include <QList>
#include <QString>

// A stand-in for hidapi's C functions, linked into every test in place of the real library.
// Tests attach and detach fake units and feed them input reports; each unit buffers at most
// bufferCapacity input reports, like the Linux hidraw driver, and drops the rest.
namespace FakeHidapi {

// Detaches every unit and clears every counter.
void reset();

// Attaches a unit with this serial number (empty: the unit reports none) and device path.
void plug(const QString& serial, const QString& path = QString());
// Detaches a unit: it leaves the listing and reads on an open handle return -1.
void unplug(const QString& serial);
// Makes opening this unit fail (as when another program holds it).
void setOpenFails(const QString& serial, bool fails);
void setBufferCapacity(int reports);

// Queues one input report for the unit; false when its buffer was full and the report was lost.
bool deliver(const QString& serial, const QByteArray& report);

// Every report written to the unit, in order, and how many input reports it lost.
QList<QByteArray> written(const QString& serial);
int dropped(const QString& serial);
bool isOpen(const QString& serial);
int pendingInput(const QString& serial);

// Calls made through the fake since the last reset.
int openCalls();
int closeCalls();
int exitCalls();
int enumerateCalls();

} // namespace FakeHidapi

#endif // FAKEHIDAPI_H
