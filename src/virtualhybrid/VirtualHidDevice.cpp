#include "VirtualHidDevice.h"

#include "VirtualHybridUnit.h"

VirtualHidDevice::VirtualHidDevice(VirtualHybridUnit* unit, int session)
    : m_unit(unit)
    , m_session(session)
{
}

VirtualHidDevice::~VirtualHidDevice()
{
    if (!m_unit)
        return;
    m_unit->setHostNotice(m_session, nullptr);
    m_unit->closeSession(m_session);
}

int VirtualHidDevice::read(unsigned char* buffer, int size)
{
    return m_unit ? m_unit->hostRead(m_session, buffer, size) : -1;
}

bool VirtualHidDevice::notifyInput(std::function<void()> onInput)
{
    if (!m_unit)
        return false;
    m_unit->setHostNotice(m_session, std::move(onInput));
    return true;
}

int VirtualHidDevice::write(const unsigned char* report, int size)
{
    return m_unit ? m_unit->hostWrite(m_session, report, size) : -1;
}
