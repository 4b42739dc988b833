#ifndef VIRTUALLEVELGENERATOR_H
#define VIRTUALLEVELGENERATOR_H

#include <QObject>

// The receive and send levels the virtual hybrid reports, in dB. During a call they sound like a
// conversation: turns in which the caller or the studio talks in syllables (peaks between about
// -18 and -3 dB, short gaps) while the other side stays near -40 dB, and now and then a pause.
// Outside a call both sit on a noise floor between -60 and -55 dB. A seeded generator makes
// every run with the same seed produce the same levels.
class VirtualLevelGenerator : public QObject
{
    Q_OBJECT

public:
    static constexpr float NoiseFloorLow = -60.0f;
    static constexpr float NoiseFloorHigh = -55.0f;
    static constexpr float SpeechLow = -40.0f;
    static constexpr float SpeechHigh = -3.0f;

    explicit VirtualLevelGenerator(quint32 seed, QObject* parent = nullptr);

    void setCallActive(bool active);
    bool isCallActive() const;

    // Moves the levels on by elapsedMs and returns them.
    void step(int elapsedMs, float* receiveDb, float* sendDb);

private:
    struct Talker
    {
        float level = -40.0f;
        float peak = -10.0f;
        int syllableMs = 0; // length of the current syllable
        int positionMs = 0; // time into the current syllable or gap
        bool inGap = true;
        int gapMs = 0;
    };

    enum Turn { CallerTalks, StudioTalks, BothQuiet };

    quint32 nextRandom();
    float uniform(float low, float high);
    void nextTurn();
    float talk(Talker& talker, int elapsedMs);
    float listen(Talker& talker);
    float noise(float current);

    quint32 m_state;
    bool m_callActive = false;
    Turn m_turn = BothQuiet;
    int m_turnLeftMs = 0;
    Talker m_caller;
    Talker m_studio;
    float m_receiveNoise = -58.0f;
    float m_sendNoise = -58.0f;
};

#endif // VIRTUALLEVELGENERATOR_H
