#include "RingTone.h"

#include "AudioRingPlayer.h"
#include "RingPlayer.h"

#include <QSettings>

RingTone::RingTone(QObject* parent)
    : RingTone(std::make_unique<AudioRingPlayer>(), parent)
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
    return AudioRingPlayer::outputDevices();
}

void RingTone::onVoicecallStateChange(VOICECALL_STATE state, QString)
{
    if (state == VOICECALL_INCOMING)
        startRinging();
    else
        stopRinging();
}

void RingTone::onDisconnected()
{
    stopRinging();
}

void RingTone::startRinging()
{
    if (m_started || !m_player)
        return;
    // Read now rather than kept: a change on the settings page counts from the next call.
    const QSettings settings;
    if (!settings.value(QStringLiteral("RingTone/Enabled"), true).toBool())
        return;
    m_started = true;
    m_player->start(settings.value(QStringLiteral("RingTone/Device")).toString(),
        qBound(0, settings.value(QStringLiteral("RingTone/Volume"), 80).toInt(), 100));
}

void RingTone::stopRinging()
{
    if (!m_started)
        return;
    m_started = false;
    m_player->stop();
}
