#include "MemoryHidBackend.h"

#include <cstring>

// Keeps its unit alive, so that it may outlive the backend's memory of it.
class MemoryHidBackend::Device : public HidDevice
{
public:
    explicit Device(std::shared_ptr<Unit> unit)
        : m_unit(std::move(unit))
    {
        m_unit->open = true;
    }
    ~Device() override { m_unit->open = false; }

    int read(unsigned char* buffer, int size) override
    {
        if (!m_unit->attached || m_unit->input.isEmpty())
            return m_unit->attached ? 0 : -1;
        const QByteArray report = m_unit->input.dequeue().left(size);
        std::memcpy(buffer, report.constData(), static_cast<size_t>(report.size()));
        return report.size();
    }

    int write(const unsigned char* report, int size) override
    {
        if (!m_unit->attached)
            return -1;
        m_unit->written.append(QByteArray(reinterpret_cast<const char*>(report), size));
        return size;
    }

private:
    std::shared_ptr<Unit> m_unit;
};

bool MemoryHidBackend::deliver(const QString& name, const QByteArray& report)
{
    const std::shared_ptr<Unit> target = unit(name);
    if (!target->attached || target->input.size() >= 64)
        return false;
    target->input.enqueue(report);
    return true;
}

QStringList MemoryHidBackend::listDevices(quint16, quint16)
{
    QStringList names;
    for (const std::shared_ptr<Unit>& each : qAsConst(m_units)) {
        if (each->attached)
            names.append(each->name);
    }
    return names;
}

std::unique_ptr<HidDevice> MemoryHidBackend::open(quint16, quint16, const QString& name)
{
    std::shared_ptr<Unit> target = unit(name);
    if (!target->attached || target->open)
        return nullptr;
    return std::make_unique<Device>(std::move(target));
}

std::shared_ptr<MemoryHidBackend::Unit> MemoryHidBackend::unit(const QString& name)
{
    for (const std::shared_ptr<Unit>& each : qAsConst(m_units)) {
        if (each->name == name)
            return each;
    }
    m_units.append(std::make_shared<Unit>());
    m_units.last()->name = name;
    return m_units.last();
}

void MemoryHidBackend::attach(const QString& name, bool attached)
{
    unit(name)->attached = attached;
    unit(name)->input.clear();
}
