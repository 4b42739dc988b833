#ifndef RINGPLAYER_H
#define RINGPLAYER_H

#include <QString>

// Plays the ring sound over and over on one sound output until stopped. The ring tone decides
// when; this only makes the sound, so that tests can put a recorder in its place.
class RingPlayer
{
public:
    virtual ~RingPlayer() = default;
    // device: an output's name as outputDevices() lists it, empty for the desktop's default;
    // volume: 0 to 100.
    virtual void start(const QString& device, int volume) = 0;
    virtual void stop() = 0;
    virtual bool isPlaying() const = 0;
};

#endif // RINGPLAYER_H
