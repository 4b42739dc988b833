// The screening page under load, the whole program in one process (a virtual hybrid, not
// connected, so that nothing but the benchmark changes the state):
//
// - fan-out: 50 pages hold the live events open (one session); the call state is changed on
//   the GUI thread (the service's slot, as the engine's signal calls it) and the time until the
//   event has reached every page is taken, for each of a few hundred changes;
// - stall: 1,000 requests a second (half reads of the state, half answers, which the GUI thread
//   checks and refuses: no call rings) arrive for a while on keep-alive connections, while a
//   1 ms timer on the GUI thread notes the longest gap between its ticks. The same without
//   the requests gives the gap the machine has anyway.
//
// Run a Release build, on a machine as quiet as can be:
//   QT_QPA_PLATFORM=offscreen bench_screening [--pages N] [--changes N] [--rate N] [--seconds S]

#include "MainWindow.h"
#include "RealTimeClock.h"
#include "ScreeningService.h"
#include "VirtualHybridBackend.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using SteadyClock = std::chrono::steady_clock;

struct Options
{
    int pages = 50;
    int changes = 300;
    int rate = 1000;
    int seconds = 10;
};

Options readOptions(const QStringList& arguments)
{
    Options options;
    for (int i = 1; i + 1 < arguments.size(); i += 2) {
        const int value = arguments.at(i + 1).toInt();
        if (arguments.at(i) == QLatin1String("--pages"))
            options.pages = value;
        else if (arguments.at(i) == QLatin1String("--changes"))
            options.changes = value;
        else if (arguments.at(i) == QLatin1String("--rate"))
            options.rate = value;
        else if (arguments.at(i) == QLatin1String("--seconds"))
            options.seconds = value;
    }
    return options;
}

template <typename Done> bool runUntil(Done done, int timeoutMs)
{
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    return done();
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(p * (values.size() - 1) + 0.5))];
}

// One open page: notes when each numbered change reached it.
struct Page
{
    std::thread thread;
    std::mutex mutex;
    std::vector<SteadyClock::time_point> seen; // by change number
    std::atomic<bool> open { false };
};

std::string login(int port)
{
    httplib::Client client("127.0.0.1", port);
    const std::string origin = "http://127.0.0.1:" + std::to_string(port);
    const auto result
        = client.Post("/api/login", { { "Origin", origin } }, R"({"password":"bench"})", "application/json");
    if (!result || result->status != 200)
        return std::string();
    const std::string cookie = result->get_header_value("Set-Cookie");
    return cookie.substr(0, cookie.find(';'));
}

void readEvents(Page* page, int port, const std::string& cookie, int changes, std::atomic<bool>* stop)
{
    page->seen.assign(changes, SteadyClock::time_point());
    httplib::Client client("127.0.0.1", port);
    client.set_read_timeout(30, 0);
    std::string buffer;
    client.Get("/api/events", { { "Cookie", cookie } }, [&](const char* data, size_t length) {
        page->open = true;
        buffer.append(data, length);
        for (size_t end; (end = buffer.find("\n\n")) != std::string::npos; buffer.erase(0, end + 2)) {
            // The numbers the benchmark dials are "0900" and the change's number.
            const size_t at = buffer.find("\"number\":\"0900");
            if (at == std::string::npos || at > end)
                continue;
            const int change = std::atoi(buffer.c_str() + at + 14);
            std::lock_guard<std::mutex> lock(page->mutex);
            if (change >= 0 && change < changes && page->seen[change] == SteadyClock::time_point())
                page->seen[change] = SteadyClock::now();
        }
        return !stop->load();
    });
}

bool reachedAll(std::vector<std::unique_ptr<Page>>& pages, int change)
{
    for (auto& page : pages) {
        std::lock_guard<std::mutex> lock(page->mutex);
        if (page->seen[change] == SteadyClock::time_point())
            return false;
    }
    return true;
}

void fanOut(ScreeningService* service, int port, const std::string& cookie, const Options& options)
{
    std::atomic<bool> stop { false };
    std::vector<std::unique_ptr<Page>> pages;
    for (int i = 0; i < options.pages; ++i) {
        pages.push_back(std::make_unique<Page>());
        Page* page = pages.back().get();
        page->thread = std::thread(readEvents, page, port, cookie, options.changes, &stop);
    }
    runUntil([&] { return std::all_of(pages.begin(), pages.end(), [](auto& p) { return p->open.load(); }); }, 10000);
    std::vector<double> latencies;
    int lost = 0;
    for (int change = 0; change < options.changes; ++change) {
        const SteadyClock::time_point changed = SteadyClock::now();
        service->onVoicecallStateChange(
            change % 2 ? VOICECALL_ACTIVE : VOICECALL_INCOMING, QStringLiteral("0900%1").arg(change));
        if (!runUntil([&] { return reachedAll(pages, change); }, 2000)) {
            ++lost;
            continue;
        }
        SteadyClock::time_point last = changed;
        for (auto& page : pages)
            last = std::max(last, page->seen[change]);
        latencies.push_back(std::chrono::duration<double, std::milli>(last - changed).count());
        runUntil([] { return false; }, 5);
    }
    stop = true;
    // The pages end with the next event they are sent.
    service->onVoicecallStateChange(VOICECALL_IDLE, QString());
    for (auto& page : pages)
        page->thread.join();
    std::printf("fan-out to %d pages, %d changes: median %.2f ms, p95 %.2f ms, worst %.2f ms, %d not reaching all "
                "(goal: median < 50 ms, worst < 200 ms)\n",
        options.pages, options.changes, percentile(latencies, 0.5), percentile(latencies, 0.95),
        percentile(latencies, 1.0), lost);
}

struct Load
{
    std::atomic<bool> stop { false };
    std::atomic<int> answered { 0 };
    std::atomic<int> busy { 0 };
    std::atomic<int> failed { 0 };
    std::atomic<int> finished { 0 };
};

// One connection's share of the requests, evenly paced.
void sendRequests(Load* load, int port, const std::string& cookie, const std::string& token, double perSecond)
{
    httplib::Client client("127.0.0.1", port);
    client.set_keep_alive(true);
    client.set_tcp_nodelay(true);
    const std::string origin = "http://127.0.0.1:" + std::to_string(port);
    const httplib::Headers headers { { "Cookie", cookie }, { "X-Screening-Token", token }, { "Origin", origin } };
    const auto interval = std::chrono::duration<double>(1.0 / perSecond);
    auto next = SteadyClock::now();
    for (int i = 0; !load->stop; ++i) {
        next += std::chrono::duration_cast<SteadyClock::duration>(interval);
        std::this_thread::sleep_until(next);
        const auto result
            = i % 2 ? client.Get("/api/state", headers) : client.Post("/api/answer", headers, "{}", "application/json");
        if (!result)
            ++load->failed;
        else if (result->status == 503)
            ++load->busy;
        else
            ++load->answered;
    }
    ++load->finished;
}

// The longest gap between the ticks of a 1 ms timer on the GUI thread over seconds, less the
// millisecond it waits anyway.
double longestStall(int seconds, std::vector<double>* gaps)
{
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    SteadyClock::time_point last = SteadyClock::now();
    double longest = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const SteadyClock::time_point now = SteadyClock::now();
        const double gap = std::chrono::duration<double, std::milli>(now - last).count() - 1.0;
        gaps->push_back(gap);
        longest = std::max(longest, gap);
        last = now;
    });
    tick.start();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    return longest;
}

void stall(int port, const std::string& cookie, const std::string& token, const Options& options)
{
    std::vector<double> quietGaps;
    const double quiet = longestStall(std::max(1, options.seconds / 2), &quietGaps);
    Load load;
    const int connections = 8;
    std::vector<std::thread> senders;
    for (int i = 0; i < connections; ++i)
        senders.emplace_back(sendRequests, &load, port, cookie, token, double(options.rate) / connections);
    std::vector<double> gaps;
    const double loaded = longestStall(options.seconds, &gaps);
    load.stop = true;
    // The last answers still need the GUI thread.
    runUntil([&] { return load.finished == connections; }, 10000);
    for (std::thread& sender : senders)
        sender.join();
    std::printf("GUI thread at %d requests/s for %d s: %d answered (%.0f/s), %d refused busy, %d failed; "
                "longest stall %.2f ms, p99 gap %.2f ms (goal: < 5 ms); idle machine: longest %.2f ms, p99 %.2f ms\n",
        options.rate, options.seconds, load.answered.load(), load.answered.load() / double(options.seconds),
        load.busy.load(), load.failed.load(), loaded, percentile(gaps, 0.99), quiet, percentile(quietGaps, 0.99));
}

std::string sessionToken(int port, const std::string& cookie)
{
    httplib::Client client("127.0.0.1", port);
    const auto result = client.Get("/api/session", { { "Cookie", cookie } });
    if (!result)
        return std::string();
    const size_t at = result->body.find("\"token\":\"");
    return at == std::string::npos ? std::string()
                                   : result->body.substr(at + 9, result->body.find('"', at + 9) - at - 9);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const Options options = readOptions(QCoreApplication::arguments());
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir folder;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
    QSettings().setValue(QStringLiteral("RingTone/Enabled"), false);
    RealTimeClock clock;
    VirtualHybridBackend backend(&clock);
    backend.addUnit(QStringLiteral("VH000001"));
    MainWindow window(&backend, folder.path());
    ScreeningConfig config;
    config.port = 0;
    config.password = ScreeningPassword::make(QStringLiteral("bench"));
    if (!window.screening()->start(config)) {
        std::fprintf(stderr, "the page cannot be served\n");
        return 1;
    }
    const int port = window.screening()->ports().value(0);
    const std::string cookie = login(port);
    const std::string token = sessionToken(port, cookie);
    if (cookie.empty() || token.empty()) {
        std::fprintf(stderr, "no session\n");
        return 1;
    }
    fanOut(window.screening(), port, cookie, options);
    stall(port, cookie, token, options);
    return 0;
}
