#include "VirtualLevelGenerator.h"

#include <cmath>

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr float gapLevel = -36.0f;      // between syllables
constexpr float listenerLevel = -40.0f; // the side that does not talk

} // namespace

VirtualLevelGenerator::VirtualLevelGenerator(quint32 seed, QObject* parent)
    : QObject(parent)
    , m_state(seed ? seed : 0x9E3779B9u)
{
}

void VirtualLevelGenerator::setCallActive(bool active)
{
    if (active && !m_callActive)
        m_turnLeftMs = 0;
    m_callActive = active;
}

bool VirtualLevelGenerator::isCallActive() const
{
    return m_callActive;
}

void VirtualLevelGenerator::step(int elapsedMs, float* receiveDb, float* sendDb)
{
    if (!m_callActive) {
        m_receiveNoise = noise(m_receiveNoise);
        m_sendNoise = noise(m_sendNoise);
        *receiveDb = m_receiveNoise;
        *sendDb = m_sendNoise;
        return;
    }

    m_turnLeftMs -= elapsedMs;
    if (m_turnLeftMs <= 0)
        nextTurn();
    *receiveDb = m_turn == CallerTalks ? talk(m_caller, elapsedMs) : listen(m_caller);
    *sendDb = m_turn == StudioTalks ? talk(m_studio, elapsedMs) : listen(m_studio);
}

quint32 VirtualLevelGenerator::nextRandom()
{
    // xorshift32: small, fast and the same on every platform.
    m_state ^= m_state << 13;
    m_state ^= m_state >> 17;
    m_state ^= m_state << 5;
    return m_state;
}

float VirtualLevelGenerator::uniform(float low, float high)
{
    const double unit = static_cast<double>(nextRandom()) / 4294967296.0;
    return low + static_cast<float>(unit) * (high - low);
}

void VirtualLevelGenerator::nextTurn()
{
    const float pick = uniform(0.0f, 1.0f);
    m_turn = pick < 0.45f ? CallerTalks : pick < 0.9f ? StudioTalks : BothQuiet;
    m_turnLeftMs = static_cast<int>(uniform(1500.0f, 5000.0f));
}

float VirtualLevelGenerator::talk(Talker& talker, int elapsedMs)
{
    talker.positionMs += elapsedMs;
    if (talker.inGap) {
        if (talker.positionMs >= talker.gapMs) {
            talker.inGap = false;
            talker.positionMs = 0;
            talker.syllableMs = static_cast<int>(uniform(120.0f, 320.0f));
            talker.peak = uniform(-18.0f, SpeechHigh);
        }
    } else if (talker.positionMs >= talker.syllableMs) {
        talker.inGap = true;
        talker.positionMs = 0;
        talker.gapMs = static_cast<int>(uniform(30.0f, 150.0f));
    }

    if (talker.inGap) {
        talker.level = gapLevel + uniform(-2.0f, 2.0f);
    } else {
        // A syllable swells and fades: half a sine between the gap level and its peak.
        const double phase = static_cast<double>(talker.positionMs) / talker.syllableMs;
        const float shape = static_cast<float>(std::sin(pi * phase));
        talker.level = gapLevel + (talker.peak - gapLevel) * shape;
    }
    talker.level = qBound(SpeechLow, talker.level, SpeechHigh);
    return talker.level;
}

float VirtualLevelGenerator::listen(Talker& talker)
{
    talker.inGap = true;
    talker.positionMs = 0;
    talker.gapMs = 0;
    talker.level = qBound(SpeechLow, listenerLevel + uniform(0.0f, 5.0f), SpeechHigh);
    return talker.level;
}

float VirtualLevelGenerator::noise(float current)
{
    return qBound(NoiseFloorLow, current + uniform(-1.0f, 1.0f), NoiseFloorHigh);
}
