#include "VirtualClock.h"

VirtualClock::VirtualClock(QObject* parent)
    : QObject(parent)
{
}
