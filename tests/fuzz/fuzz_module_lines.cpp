// The module engine's input side: id-3 messages of any type and content, lines cut into pieces,
// parse steps and link losses in any order. The engine must join pieces into lines of at most
// MaxLineLength characters, group lines into responses closed by final result codes (keeping at
// most MaxPendingLines), parse the responses in order, keep its drain timer running exactly
// while responses wait, and publish only values that exist.

#include "CConsole.h"
#include "CUC20.h"
#include "CUSBHID.h"
#include "DeviceMessage.h"
#include "DevicePayload.h"
#include "FuzzSupport.h"
#include "MemoryHidBackend.h"

#include <QApplication>
#include <QTimer>

#include <iterator>

namespace {

constexpr int MaxPayload = DeviceMessage::MaxPayload;
const QString unitName = QStringLiteral("FUZZ0003");

// Starts of real module lines, for the fuzzer to complete.
const char* const lineStarts[] = { "OK", "ERROR", "RING", "NO CARRIER", "BUSY", "NO ANSWER", "NO DIALTONE", "CONNECT",
    "0", "4", "AT+CLCC", "+CLCC: 1,0,0,0,0,\"", "+CLCC: 1,1,4,0,0,\"0612345678\",129", "AT+CPIN?",
    "+CPIN: ", "+CPIN: READY", "+CPIN: SIM PIN", "AT+CPIN=", "AT+CSQ", "+CSQ: ", "AT+QSPCH", "+QSPCH: 1,", "AT+QSIDET?",
    "+QSIDET: ", "+QTONEDET: ", "AT+CPBR=", "AT+CPBR=?", "+CPBR: ", "AT+CMGS=", "+CMGS: ", "> ",
    "+CME ERROR: ", "AT+GMI", "AT+GMM", "AT+GMR", "AT+GSN", "ATI", "ATD", "ATA", "ATH", "+QIND: " };

bool isFinalResultCode(const QString& line)
{
    static const QStringList codes { "OK", "0", "CONNECT", "1", "RING", "2", "NO CARRIER", "3", "ERROR", "4",
        "NO DIALTONE", "6", "BUSY", "7", "NO ANSWER", "8" };
    return codes.contains(line);
}

QByteArray beforeFirstNul(const QByteArray& bytes)
{
    const int nul = bytes.indexOf('\0');
    return nul < 0 ? bytes : bytes.left(nul);
}

// What the engine should make of its input, from the rules of the messages: text up to the NUL,
// type 0xC0 continues a line, a line is cut at MaxLineLength, empty lines are dropped, a response
// keeps its newest MaxPendingLines lines and ends with a final result code.
class ExpectedEngine
{
public:
    QStringList parsed;   // each parsed response, its lines each after a blank
    int cutReports = 0;   // lines reported as cut
    int floodReports = 0; // responses reported as too long
    int prompts = 0;

    void receive(int id, int type, const QByteArray& payload)
    {
        if (id != DeviceMessage::AtCommand)
            return;
        m_partial += beforeFirstNul(payload);
        if (m_partial.size() > CUC20::MaxLineLength && !m_cut) {
            m_cut = true;
            ++cutReports;
        }
        m_partial.truncate(CUC20::MaxLineLength);
        if (type == DeviceMessage::LineContinues)
            return;
        const QString line = QString::fromLatin1(m_partial);
        m_partial.clear();
        m_cut = false;
        if (!line.isEmpty())
            addLine(line);
    }

    void parseStep()
    {
        if (!m_queue.isEmpty())
            parsed.append(m_queue.takeFirst());
    }

    void linkClosed()
    {
        m_partial.clear();
        m_cut = m_flooded = false;
        m_pending.clear();
        m_queue.clear();
    }

    bool waiting() const { return !m_queue.isEmpty(); }

private:
    void addLine(const QString& line)
    {
        prompts += line.startsWith(QLatin1Char('>')) ? 1 : 0;
        m_pending.append(line);
        if (m_pending.size() > CUC20::MaxPendingLines) {
            m_pending.removeFirst();
            floodReports += m_flooded ? 0 : 1;
            m_flooded = true;
        }
        if (!isFinalResultCode(line))
            return;
        QString text;
        for (const QString& each : qAsConst(m_pending))
            text += QLatin1Char(' ') + each;
        m_queue.append(text);
        m_pending.clear();
        m_flooded = false;
    }

    QByteArray m_partial;
    bool m_cut = false;
    bool m_flooded = false;
    QStringList m_pending;
    QStringList m_queue;
};

// What the engine did, as its console and signals tell.
struct Observed
{
    QStringList parsed;
    int cutReports = 0;
    int floodReports = 0;
    int prompts = 0;
};

struct Run
{
    CUSBHID* link;
    CUC20* uc20;
    QTimer* drainTimer;
    ExpectedEngine expected;
};

void deliver(Run& run, int id, int type, const QByteArray& payload)
{
    run.expected.receive(id, type, payload);
    run.uc20->onReceiveUSB(id, type, payload);
}

int consumeType(FuzzedDataProvider& data)
{
    switch (data.ConsumeIntegralInRange(0, 4)) {
    case 0:
    case 1:
        return DeviceMessage::LineContinues;
    case 2:
        return DeviceMessage::Write;
    case 3:
        return DeviceMessage::Read;
    default:
        return data.ConsumeIntegral<quint8>();
    }
}

// One message as a frame carries it (36 bytes, zero-padded) or of any other length.
void feedMessage(FuzzedDataProvider& data, Run& run)
{
    const int id = data.ConsumeIntegralInRange(0, 7) == 0 ? data.ConsumeIntegral<quint8>() : DeviceMessage::AtCommand;
    const int type = consumeType(data);
    QByteArray payload = consumeByteArray(data, MaxPayload + 12);
    if (data.ConsumeBool())
        payload = payload.left(MaxPayload).leftJustified(MaxPayload, '\0');
    deliver(run, id, type, payload);
}

// A line (a known start and any rest) cut into messages as the unit sends it.
void feedLine(FuzzedDataProvider& data, Run& run)
{
    QByteArray line;
    if (data.ConsumeBool())
        line = lineStarts[data.ConsumeIntegralInRange<size_t>(0, std::size(lineStarts) - 1)];
    line += consumeByteArray(data, data.ConsumeBool() ? 24 : 700);
    for (const DevicePayload::Message& message : DevicePayload::atLineMessages(line))
        deliver(run, DeviceMessage::AtCommand, message.type, message.payload);
}

// A command or a call through the engine: only what fits a message, and only dialable numbers.
void sendCommand(FuzzedDataProvider& data, Run& run)
{
    const bool dial = data.ConsumeBool();
    const QString text = QString::fromLatin1(consumeByteArray(data, 48));
    const int before = run.link->pendingCount();
    const bool refused = dial && !run.uc20->callRefusal(text).isEmpty();
    if (dial)
        run.uc20->call(text);
    else
        run.uc20->sendATCmd(text);
    const int sent = run.link->pendingCount() - before;
    FUZZ_CHECK(sent == 0 || sent == 1);
    if (dial) {
        // Sent only as told, and never a number that is not one, too long without its
        // separators, or during a call.
        FUZZ_CHECK(sent == (refused ? 0 : 1));
        if (sent == 1)
            FUZZ_CHECK(CUC20::isDialable(text)
                && CUC20::dialString(text).toUtf8().size() + 4 <= CUC20::MaxCommandLength
                && run.uc20->callState() == VOICECALL_IDLE);
    } else
        FUZZ_CHECK(sent == (text.toUtf8().size() <= CUC20::MaxCommandLength ? 1 : 0));
}

void step(FuzzedDataProvider& data, Run& run)
{
    switch (data.ConsumeIntegralInRange(0, 15)) {
    case 0:
    case 1:
        run.expected.parseStep();
        run.uc20->processMsgQueue();
        break;
    case 2:
        run.expected.linkClosed();
        run.link->stop();
        FUZZ_CHECK(run.link->start(unitName) == 0);
        break;
    case 3:
        sendCommand(data, run);
        break;
    case 4:
    case 5:
    case 6:
    case 7:
        feedLine(data, run);
        break;
    default:
        feedMessage(data, run);
        break;
    }
    FUZZ_CHECK(run.drainTimer->isActive() == run.expected.waiting());
}

// Values the engine publishes must be ones that exist.
void watchSignals(CUC20& uc20, QObject* context)
{
    QObject::connect(&uc20, &CUC20::rssiChange, context, [](int rssi, int dBm) {
        FUZZ_CHECK(dBm == 0 || (dBm >= -113 && dBm <= -51));
        FUZZ_CHECK(rssi < 0 || rssi > 31 || dBm != 0);
    });
    QObject::connect(&uc20, &CUC20::codecChange, context,
        [](int type, const QString& name) { FUZZ_CHECK(type >= 0 && type <= 8 && !name.isEmpty()); });
    QObject::connect(&uc20, &CUC20::voicecallStateChange, context, [&uc20](VOICECALL_STATE state, const QString&) {
        FUZZ_CHECK(state >= VOICECALL_IDLE && state <= VOICECALL_ACTIVE && state == uc20.callState());
    });
    QObject::connect(&uc20, &CUC20::simStateChange, context, [&uc20](SIM_STATE state) {
        FUZZ_CHECK(state >= SIM_READY && state <= SIM_UNKNOWN && state == uc20.simState());
    });
}

void watchConsole(CConsole* console, CUC20& uc20, QObject* context, Observed& observed)
{
    QObject::connect(console, &CConsole::_trace, context,
        [&observed](const QString&, const QString& function, const QString&, const QString& text) {
            if (function == QLatin1String("processMsgQueue"))
                observed.parsed.append(text);
        });
    QObject::connect(console, &CConsole::error, context, [&observed](const QString& text) {
        observed.cutReports += text.startsWith(QLatin1String("Module line longer than")) ? 1 : 0;
        observed.floodReports += text.startsWith(QLatin1String("Module output without a final")) ? 1 : 0;
    });
    QObject::connect(&uc20, &CUC20::messagePrompt, context, [&observed] { ++observed.prompts; });
}

struct Fixture
{
    MemoryHidBackend backend;
    CConsole* console;
    CUSBHID* link;
};

Fixture& fixture()
{
    static Fixture* made = [] {
        auto* f = new Fixture;
        f->backend.plug(unitName);
        // Only the harness listens: the console's own pane would spend the time drawing.
        f->console = new CConsole;
        QObject::disconnect(f->console, nullptr, f->console, nullptr);
        f->link = new CUSBHID(nullptr, nullptr, &f->backend);
        return f;
    }();
    return *made;
}

void runSteps(FuzzedDataProvider& data, Fixture& f, Observed& observed, ExpectedEngine& expected)
{
    QObject context;
    CUC20 uc20(nullptr, f.link, f.console);
    watchSignals(uc20, &context);
    watchConsole(f.console, uc20, &context, observed);
    Run run { f.link, &uc20, uc20.findChild<QTimer*>(QStringLiteral("drainTimer")), {} };
    FUZZ_CHECK(run.drainTimer);
    for (int steps = 0; steps < 400 && data.remaining_bytes() > 0; ++steps)
        step(data, run);
    // Whatever waits is parsed, one response a step, and then the timer stops.
    while (run.expected.waiting()) {
        run.expected.parseStep();
        uc20.processMsgQueue();
    }
    FUZZ_CHECK(!run.drainTimer->isActive());
    expected = run.expected;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    makeApplication<QApplication>();
    fixture();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    Fixture& f = fixture();
    FUZZ_CHECK(f.link->start(unitName) == 0);
    Observed observed;
    ExpectedEngine expected;
    runSteps(data, f, observed, expected);
    f.link->stop();
    FUZZ_CHECK(observed.parsed == expected.parsed);
    FUZZ_CHECK(observed.cutReports == expected.cutReports);
    FUZZ_CHECK(observed.floodReports == expected.floodReports);
    FUZZ_CHECK(observed.prompts == expected.prompts);
    return 0;
}
