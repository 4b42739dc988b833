// The real CUSBHID, in one run, three ways: the poll at a fixed 1 ms (as it used to be); the
// adaptive poll (1 ms while reports arrive or messages wait, the idle interval after a quiet
// spell), as a device reached through hidapi gets it; and a device that announces its input,
// read on its notice and not polled while idle, as the virtual hybrid is.
//
// - idle: open on a virtual hybrid (real-time clock), which reports its levels 25 times a
//   second and polls its module as the firmware does; the thread's CPU and wake-ups (voluntary
//   context switches) and the poll ticks per second, in rounds that alternate the modes;
// - the 80-frame register report of the virtual hybrid, asked for after a quiet spell;
// - on a "wire" (an input buffer of 64 reports filled by the device on a thread of its own, as
//   the system's buffer is, posting a notice to the GUI thread for the third mode): 1,000
//   frames/s offered for a while; a burst of 200 frames at 1 ms while the GUI thread is blocked
//   for 150 ms, so that the buffer overflows; and reports at random intervals of 20-60 ms,
//   timing each from its arrival in the buffer to dataAvailable.
//
// Run a Release build, on a machine as quiet as can be:
//   bench_link_idle [--window S] [--rounds N] [--idle-ms MS] [--reports N]
//   (defaults: 10 s windows, 3 rounds, the link's own idle interval, 200 timed reports)

#include "CUSBHID.h"
#include "DeviceFrame.h"
#include "HidBackend.h"
#include "RealTimeClock.h"
#include "VirtualHybridBackend.h"
#include "VirtualHybridUnit.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QtEndian>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

namespace {

using SteadyClock = std::chrono::steady_clock;

const QString unitSerial = QStringLiteral("VH000001");

struct Options
{
    int windowS = 10;
    int rounds = 3;
    int idleMs = CUSBHID::IdlePollIntervalMs;
    int reports = 200;
};

struct Mode
{
    const char* name;
    int idleMs;
    bool notice; // the device announces its input
};

// Runs the event loop for ms milliseconds.
void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until done() holds, for at most timeoutMs; false on a time-out. The loop
// sleeps between events, as the program's does, so that it adds no wake-ups of its own.
template <typename Done> bool runUntil(Done done, int timeoutMs)
{
    bool timedOut = false;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [&timedOut] { timedOut = true; });
    deadline.start(timeoutMs);
    while (!done() && !timedOut)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

// ---- The thread's own cost -------------------------------------------------------------------

struct Usage
{
    double cpuS;
    long wakeups;
};

Usage threadUsage()
{
    rusage usage {};
    getrusage(RUSAGE_THREAD, &usage);
    const double cpu
        = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return { cpu, usage.ru_nvcsw };
}

// ---- The wire: a device that fills the input buffer from a thread of its own -------------------

class Wire : public HidBackend
{
public:
    static constexpr int BufferReports = 64;

    QStringList listDevices(quint16, quint16) override { return { QStringLiteral("WIRE") }; }
    std::unique_ptr<HidDevice> open(quint16, quint16, const QString&) override;

    // Sends frames numbered first.. at the given offsets from now, from the device's thread.
    void send(int first, const std::vector<std::chrono::microseconds>& offsets);
    bool sending() const { return m_sending; }
    void waitSent();

    // Whether the device announces its input, by a notice posted to the GUI thread.
    void setAnnounces(bool on) { m_announces = on; }
    bool notifyInput(std::function<void()> onInput);

    int read(unsigned char* buffer, int size);
    int dropped() const;
    SteadyClock::time_point arrival(quint32 number) const;

private:
    void push(quint32 number);

    mutable std::mutex m_mutex;
    std::deque<QByteArray> m_buffer;
    std::vector<SteadyClock::time_point> m_arrivals = std::vector<SteadyClock::time_point>(100000);
    int m_dropped = 0;
    bool m_announces = false;
    std::function<void()> m_notice;
    QObject m_guiThread;
    std::atomic<bool> m_sending { false };
    std::thread m_device;
};

class WireDevice : public HidDevice
{
public:
    explicit WireDevice(Wire* wire)
        : m_wire(wire)
    {
    }
    int read(unsigned char* buffer, int size) override { return m_wire->read(buffer, size); }
    int write(const unsigned char*, int size) override { return size; }
    bool notifyInput(std::function<void()> onInput) override { return m_wire->notifyInput(std::move(onInput)); }
    ~WireDevice() override { m_wire->notifyInput(nullptr); }

private:
    Wire* m_wire;
};

// The virtual hybrid as a device that does not announce its input, like one reached through hidapi.
class PolledDevice : public HidDevice
{
public:
    explicit PolledDevice(std::unique_ptr<HidDevice> device)
        : m_device(std::move(device))
    {
    }
    int read(unsigned char* buffer, int size) override { return m_device->read(buffer, size); }
    int write(const unsigned char* report, int size) override { return m_device->write(report, size); }

private:
    std::unique_ptr<HidDevice> m_device;
};

class PolledBackend : public HidBackend
{
public:
    explicit PolledBackend(HidBackend* backend)
        : m_backend(backend)
    {
    }
    QStringList listDevices(quint16 vendorId, quint16 productId) override
    {
        return m_backend->listDevices(vendorId, productId);
    }
    std::unique_ptr<HidDevice> open(quint16 vendorId, quint16 productId, const QString& name) override
    {
        std::unique_ptr<HidDevice> device = m_backend->open(vendorId, productId, name);
        return device ? std::make_unique<PolledDevice>(std::move(device)) : nullptr;
    }

private:
    HidBackend* m_backend;
};

std::unique_ptr<HidDevice> Wire::open(quint16, quint16, const QString&)
{
    return std::make_unique<WireDevice>(this);
}

void Wire::send(int first, const std::vector<std::chrono::microseconds>& offsets)
{
    waitSent();
    const SteadyClock::time_point start = SteadyClock::now();
    m_sending = true;
    m_device = std::thread([this, first, offsets, start] {
        for (size_t i = 0; i < offsets.size(); ++i) {
            std::this_thread::sleep_until(start + offsets[i]);
            push(static_cast<quint32>(first + static_cast<int>(i)));
        }
        m_sending = false;
    });
}

bool Wire::notifyInput(std::function<void()> onInput)
{
    m_notice = m_announces ? std::move(onInput) : nullptr;
    return m_announces;
}

void Wire::waitSent()
{
    if (m_device.joinable())
        m_device.join();
}

void Wire::push(quint32 number)
{
    char payload[4];
    qToLittleEndian(number, payload);
    const QByteArray frame = DeviceFrame::encode(15, 0, payload, 4);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_arrivals[number] = SteadyClock::now();
        if (static_cast<int>(m_buffer.size()) >= BufferReports)
            ++m_dropped;
        else
            m_buffer.push_back(frame);
    }
    if (m_notice)
        QMetaObject::invokeMethod(&m_guiThread, m_notice, Qt::QueuedConnection);
}

int Wire::read(unsigned char* buffer, int size)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_buffer.empty())
        return 0;
    const int count = std::min(size, static_cast<int>(m_buffer.front().size()));
    std::memcpy(buffer, m_buffer.front().constData(), static_cast<size_t>(count));
    m_buffer.pop_front();
    return count;
}

int Wire::dropped() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_dropped;
}

SteadyClock::time_point Wire::arrival(quint32 number) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_arrivals[number];
}

// What the link delivered from the wire: the frame numbers in order, and each one's latency.
struct Received
{
    std::vector<quint32> numbers;
    std::vector<double> latencyMs;
};

QMetaObject::Connection collect(CUSBHID& link, const Wire& wire, Received& received)
{
    return QObject::connect(&link, &CUSBHID::dataAvailable, [&wire, &received](int, int, const QByteArray& data) {
        const quint32 number = qFromLittleEndian<quint32>(data.constData());
        const auto latency = SteadyClock::now() - wire.arrival(number);
        received.numbers.push_back(number);
        received.latencyMs.push_back(std::chrono::duration<double, std::milli>(latency).count());
    });
}

// True when the frames first..first + count - 1 arrived in order, each at most once.
bool inOrder(const std::vector<quint32>& numbers, int first, int count)
{
    for (size_t i = 0; i < numbers.size(); ++i) {
        if (static_cast<int>(numbers[i]) < first || static_cast<int>(numbers[i]) >= first + count)
            return false;
        if (i > 0 && numbers[i] <= numbers[i - 1])
            return false;
    }
    return true;
}

std::vector<std::chrono::microseconds> evenly(int count, int intervalUs, int startUs)
{
    std::vector<std::chrono::microseconds> offsets;
    for (int i = 0; i < count; ++i)
        offsets.emplace_back(startUs + i * intervalUs);
    return offsets;
}

// ---- The virtual hybrid --------------------------------------------------------------------------

// The virtual hybrid, open on the link that a mode uses: only one link may have it open at a time.
class HybridLinks
{
public:
    explicit HybridLinks(VirtualHybridBackend* hybrids)
        : m_polledBackend(hybrids)
        , m_noticed(nullptr, nullptr, hybrids)
        , m_polled(nullptr, nullptr, &m_polledBackend)
    {
    }

    CUSBHID& open(const Mode& mode)
    {
        CUSBHID& link = mode.notice ? m_noticed : m_polled;
        (mode.notice ? m_polled : m_noticed).stop();
        link.setIdlePollInterval(mode.idleMs);
        if (!link.isConnected()) {
            link.start(unitSerial);
            runFor(1000); // the unit's greeting
        }
        return link;
    }

private:
    PolledBackend m_polledBackend;
    CUSBHID m_noticed;
    CUSBHID m_polled;
};

// ---- Idle ------------------------------------------------------------------------------------

struct IdleFigures
{
    std::vector<double> cpuPercent, wakeupsPerS, ticksPerS;
};

void printRange(const char* label, std::vector<double> values, const char* unit)
{
    std::sort(values.begin(), values.end());
    std::printf("    %-26s %8.3f / %8.3f / %8.3f %s\n", label, values.front(), median(values), values.back(), unit);
}

void measureIdle(HybridLinks& links, const Options& options, const Mode& mode, IdleFigures& figures)
{
    CUSBHID& link = links.open(mode);
    QTimer* poll = link.findChild<QTimer*>(QStringLiteral("pollTimer"));
    long ticks = 0;
    const QMetaObject::Connection counting = QObject::connect(poll, &QTimer::timeout, [&ticks] { ++ticks; });
    runFor(1000);
    ticks = 0;
    const Usage before = threadUsage();
    const SteadyClock::time_point start = SteadyClock::now();
    runFor(options.windowS * 1000);
    const double seconds = std::chrono::duration<double>(SteadyClock::now() - start).count();
    const Usage after = threadUsage();
    QObject::disconnect(counting);
    figures.cpuPercent.push_back((after.cpuS - before.cpuS) / seconds * 100.0);
    figures.wakeupsPerS.push_back((after.wakeups - before.wakeups) / seconds);
    figures.ticksPerS.push_back(ticks / seconds);
}

void idleRounds(HybridLinks& links, const Options& options, const std::vector<Mode>& modes)
{
    std::vector<IdleFigures> figures(modes.size());
    for (int round = 0; round < options.rounds; ++round) {
        for (size_t m = 0; m < modes.size(); ++m)
            measureIdle(links, options, modes[m], figures[m]);
    }
    std::printf("Idle, open on a virtual hybrid: %d rounds of %d s per mode, min / median / max\n", options.rounds,
        options.windowS);
    for (size_t m = 0; m < modes.size(); ++m) {
        std::printf("  %s\n", modes[m].name);
        printRange("CPU, % of one core", figures[m].cpuPercent, "%");
        printRange("wake-ups (vol. switches)", figures[m].wakeupsPerS, "/s");
        printRange("poll ticks", figures[m].ticksPerS, "/s");
    }
}

// ---- The register report -----------------------------------------------------------------------

void registerReport(HybridLinks& links, VirtualHybridUnit* unit, const Mode& mode)
{
    CUSBHID& link = links.open(mode);
    int frames = 0;
    const QMetaObject::Connection counting = QObject::connect(&link, &CUSBHID::dataAvailable,
        [&frames](int id, int, const QByteArray&) { frames += id == DeviceMessage::CodecRegister; });
    std::vector<double> ms;
    int incomplete = 0;
    const int lostBefore = unit->reportsLost();
    for (int i = 0; i < 5; ++i) {
        runFor(300); // a quiet spell first: the adaptive poll is at its idle pace
        frames = 0;
        const SteadyClock::time_point start = SteadyClock::now();
        link.transmit(DeviceMessage::ConnectRequest0, DeviceMessage::Read, nullptr, 0);
        incomplete += runUntil([&frames] { return frames >= 80; }, 3000) ? 0 : 1;
        ms.push_back(std::chrono::duration<double, std::milli>(SteadyClock::now() - start).count());
    }
    QObject::disconnect(counting);
    std::printf("  %-20s 5 reports: request to 80th frame median %.1f ms, worst %.1f ms; incomplete %d, lost %d\n",
        mode.name, median(ms), *std::max_element(ms.begin(), ms.end()), incomplete, unit->reportsLost() - lostBefore);
}

// ---- The wire ----------------------------------------------------------------------------------

// Sends frames numbered next.. at the offsets and waits until each is delivered or dropped;
// blockMs blocks the GUI thread right after the start, as a long paint or a modal setup would.
Received exchange(
    CUSBHID& link, Wire& wire, int& next, const std::vector<std::chrono::microseconds>& offsets, int blockMs = 0)
{
    Received received;
    received.numbers.reserve(offsets.size());
    const QMetaObject::Connection collecting = collect(link, wire, received);
    const int droppedBefore = wire.dropped();
    const int count = static_cast<int>(offsets.size());
    wire.send(next, offsets);
    if (blockMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(blockMs));
    const int timeoutMs = static_cast<int>(offsets.back().count() / 1000) + 3000;
    runUntil(
        [&] {
            return !wire.sending()
                && static_cast<int>(received.numbers.size()) + wire.dropped() - droppedBefore >= count;
        },
        timeoutMs);
    wire.waitSent();
    runFor(20);
    QObject::disconnect(collecting);
    if (!inOrder(received.numbers, next, count))
        std::printf("    OUT OF ORDER or foreign frames\n");
    next += count;
    return received;
}

void throughput(CUSBHID& link, Wire& wire, int& next, const Options& options)
{
    runFor(300);
    const int count = std::min(1000 * std::max(1, options.windowS / 2), 20000);
    const int droppedBefore = wire.dropped();
    const SteadyClock::time_point start = SteadyClock::now();
    const Received received = exchange(link, wire, next, evenly(count, 1000, 0));
    const double seconds = std::chrono::duration<double>(SteadyClock::now() - start).count() - 0.02;
    const int dropped = wire.dropped() - droppedBefore;
    std::printf("    1,000 frames/s offered, %d frames: delivered %zu (%.0f frames/s), dropped by the buffer %d, "
                "lost beyond %d\n",
        count, received.numbers.size(), received.numbers.size() / seconds, dropped,
        count - dropped - static_cast<int>(received.numbers.size()));
}

void burst(CUSBHID& link, Wire& wire, int& next)
{
    runFor(300); // a quiet spell first: the adaptive poll is at its idle pace
    const int count = 200;
    const int droppedBefore = wire.dropped();
    const Received received = exchange(link, wire, next, evenly(count, 1000, 1000), 150);
    const int dropped = wire.dropped() - droppedBefore;
    std::printf("    burst of %d frames at 1 ms, GUI thread blocked 150 ms: delivered %zu, dropped by the "
                "64-report buffer %d, lost beyond %d\n",
        count, received.numbers.size(), dropped, count - dropped - static_cast<int>(received.numbers.size()));
}

void latency(CUSBHID& link, Wire& wire, int& next, const Options& options)
{
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> gapUs(20000, 60000);
    std::vector<std::chrono::microseconds> offsets;
    int at = 50000;
    for (int i = 0; i < options.reports; ++i, at += gapUs(random))
        offsets.emplace_back(at);
    const Received received = exchange(link, wire, next, offsets);
    std::vector<double> ms = received.latencyMs;
    std::sort(ms.begin(), ms.end());
    const double p99 = ms.empty() ? 0.0 : ms[ms.size() * 99 / 100];
    std::printf("    %d reports 20-60 ms apart, arrival to dataAvailable: median %.2f ms, 99th percentile "
                "%.2f ms, worst %.2f ms\n",
        options.reports, median(ms), p99, ms.empty() ? 0.0 : ms.back());
}

Options parse(const QStringList& arguments)
{
    Options options;
    for (int i = 1; i + 1 < arguments.size(); i += 2) {
        const int value = std::max(1, arguments[i + 1].toInt());
        if (arguments[i] == QLatin1String("--window"))
            options.windowS = value;
        else if (arguments[i] == QLatin1String("--rounds"))
            options.rounds = value;
        else if (arguments[i] == QLatin1String("--idle-ms"))
            options.idleMs = value;
        else if (arguments[i] == QLatin1String("--reports"))
            options.reports = std::min(value, 20000);
    }
    return options;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const Options options = parse(QCoreApplication::arguments());
    const std::string polled = "adaptive " + std::to_string(options.idleMs) + " ms, polled";
    const std::vector<Mode> modes { { "fixed 1 ms", CUSBHID::PollIntervalMs, false },
        { polled.c_str(), options.idleMs, false }, { "adaptive, on notice", options.idleMs, true } };

    RealTimeClock clock;
    VirtualHybridBackend hybrids(&clock);
    VirtualHybridUnit* unit = hybrids.addUnit(unitSerial);
    {
        HybridLinks links(&hybrids);
        idleRounds(links, options, modes);
        std::printf("Register report (80 frames) of the virtual hybrid after 300 ms of quiet\n");
        for (const Mode& mode : modes)
            registerReport(links, unit, mode);
    }

    Wire wire;
    CUSBHID wireLink(nullptr, nullptr, &wire);
    int next = 0;
    std::printf("The wire (a 64-report input buffer filled from the device's own thread)\n");
    for (const Mode& mode : modes) {
        std::printf("  %s\n", mode.name);
        wireLink.stop();
        wire.setAnnounces(mode.notice);
        wireLink.start(QStringLiteral("WIRE"));
        wireLink.setIdlePollInterval(mode.idleMs);
        throughput(wireLink, wire, next, options);
        burst(wireLink, wire, next);
        latency(wireLink, wire, next, options);
    }
    std::printf("Goals for the whole program (GUI included): connected idle at most 0.5 %%, in a call at most "
                "1.2 %% of one core\n");
    return 0;
}
