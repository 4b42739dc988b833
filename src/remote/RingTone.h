#ifndef RINGTONE_H
#define RINGTONE_H

#include "GsmTypes.h"

#include <QObject>
#include <QStringList>
#include <memory>

class RingPlayer;

// The sound of a ringing call, on the output the operator picked (a cue speaker, or the
// desktop's default), at the operator's volume, unless switched off. It starts when a call
// rings and stops at once when the call is answered, declined, missed or the unit goes.
// Settings: "RingTone/Enabled" (default true), "RingTone/Device" (empty: the default output),
// "RingTone/Volume" (0 to 100, default 80); read each time a call starts ringing.
class RingTone : public QObject
{
    Q_OBJECT

public:
    // Plays through Qt Multimedia.
    explicit RingTone(QObject* parent = nullptr);
    // Plays through player, which it owns.
    RingTone(std::unique_ptr<RingPlayer> player, QObject* parent = nullptr);
    ~RingTone() override;

    bool isRinging() const;
    // The names of the sound outputs the operator can pick.
    static QStringList outputDevices();

public slots:
    void onVoicecallStateChange(VOICECALL_STATE state, QString number);
    // The unit went away: nothing rings any more.
    void onDisconnected();

private:
    void startRinging();
    void stopRinging();

    std::unique_ptr<RingPlayer> m_player;
    // Whether the player was started for the call that rings now; a second report of the same
    // ringing call must not start the sound from the top again.
    bool m_started = false;
};

#endif // RINGTONE_H
