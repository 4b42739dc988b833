#ifndef MEMORYHIDBACKEND_H
#define MEMORYHIDBACKEND_H

#include "HidBackend.h"

#include <QByteArray>
#include <QList>
#include <QQueue>

// Hybrids held in memory, listed and opened by name: tests plug and unplug them, feed them input
// reports and read back what was written. A unit buffers 64 input reports at most, as Linux does.
class MemoryHidBackend : public HidBackend
{
public:
    void plug(const QString& name) { attach(name, true); }
    // The unit leaves the listing, its buffer is lost and its open device reads -1.
    void unplug(const QString& name) { attach(name, false); }
    // Queues one input report; false when the unit is detached or its buffer is full.
    bool deliver(const QString& name, const QByteArray& report);
    QList<QByteArray> written(const QString& name) { return unit(name)->written; }
    bool isOpen(const QString& name) { return unit(name)->open; }

    QStringList listDevices(quint16 vendorId, quint16 productId) override;
    std::unique_ptr<HidDevice> open(quint16 vendorId, quint16 productId, const QString& name) override;

private:
    struct Unit
    {
        QString name;
        bool attached = false;
        bool open = false;
        QQueue<QByteArray> input;
        QList<QByteArray> written;
    };
    class Device;
    // The unit with this name, made (detached) on first mention.
    std::shared_ptr<Unit> unit(const QString& name);
    void attach(const QString& name, bool attached);

    QList<std::shared_ptr<Unit>> m_units;
};

#endif // MEMORYHIDBACKEND_H
