#include "RingTone.h"

#include "RingPlayer.h"

RingTone::RingTone(QObject* parent)
    : RingTone(nullptr, parent)
{
}

RingTone::RingTone(std::unique_ptr<RingPlayer> player, QObject* parent)
    : QObject(parent)
    , m_player(std::move(player))
{
}

RingTone::~RingTone() = default;

bool RingTone::isRinging() const
{
    return m_player && m_player->isPlaying();
}

QStringList RingTone::outputDevices()
{
    return {};
}

void RingTone::onVoicecallStateChange(VOICECALL_STATE, QString) { }

void RingTone::onDisconnected() { }
