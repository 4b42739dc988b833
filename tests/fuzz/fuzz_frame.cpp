// The 40-byte device frame: the check accepts exactly the well-formed frames, every built frame
// passes it and carries its message unchanged, and the link hands on the payload of each valid
// input report, and nothing else, and writes what it is given as one checked report.

#include "CUSBHID.h"
#include "DeviceFrame.h"
#include "FuzzSupport.h"
#include "MemoryHidBackend.h"

#include <QCoreApplication>

#include <vector>

namespace {

constexpr int MaxPayload = DeviceMessage::MaxPayload;
constexpr int FrameSize = DeviceFrame::FrameSize;

// A well-formed frame written out from the frame's layout, independently of DeviceFrame.
bool wellFormed(const QByteArray& frame)
{
    if (frame.size() != FrameSize)
        return false;
    const int length = quint8(frame[2]);
    if (length > FrameSize - 1)
        return false;
    quint8 sum = 0;
    for (int i = 0; i < length; ++i)
        sum ^= quint8(frame[i]);
    return quint8(frame[FrameSize - 1]) == sum;
}

void checkArbitraryFrame(FuzzedDataProvider& data)
{
    const QByteArray frame = consumeByteArray(data, FrameSize + 2);
    FUZZ_CHECK(DeviceFrame::isValid(frame) == wellFormed(frame));
}

void checkBuiltFrame(FuzzedDataProvider& data)
{
    const quint8 id = data.ConsumeIntegral<quint8>();
    const quint8 type = data.ConsumeIntegral<quint8>();
    const QByteArray payload = consumeByteArray(data, MaxPayload);
    const int length = payload.size();
    QByteArray frame = DeviceFrame::encode(id, type, payload.constData(), length);
    FUZZ_CHECK(frame.size() == FrameSize);
    FUZZ_CHECK(wellFormed(frame) && DeviceFrame::isValid(frame));
    FUZZ_CHECK(quint8(frame[0]) == id && quint8(frame[1]) == type && quint8(frame[2]) == length + 3);
    FUZZ_CHECK(frame.mid(3, length) == payload);
    FUZZ_CHECK(frame.mid(3 + length, MaxPayload - length) == QByteArray(MaxPayload - length, '\0'));

    // One flipped bit in a byte the checksum covers (other than the length) or in the checksum
    // itself must be noticed.
    std::vector<int> covered { 0, 1, FrameSize - 1 };
    for (int i = 3; i < length + 3; ++i)
        covered.push_back(i);
    const int at = covered[data.ConsumeIntegralInRange<size_t>(0, covered.size() - 1)];
    frame[at] = char(frame[at] ^ (1 << data.ConsumeIntegralInRange(0, 7)));
    FUZZ_CHECK(!DeviceFrame::isValid(frame));
}

struct Delivery
{
    int id;
    int type;
    QByteArray payload;
};

// An input report: mostly 40 bytes, now and then a built frame, some other length now and then.
QByteArray consumeReport(FuzzedDataProvider& data)
{
    switch (data.ConsumeIntegralInRange(0, 3)) {
    case 0: {
        const quint8 id = data.ConsumeIntegral<quint8>();
        const quint8 type = data.ConsumeIntegral<quint8>();
        const QByteArray payload = consumeByteArray(data, MaxPayload);
        return DeviceFrame::encode(id, type, payload.constData(), payload.size());
    }
    case 1: {
        // A read of zero bytes means that nothing is waiting, so no report is empty.
        const QByteArray report = consumeByteArray(data, DeviceFrame::ReportSize + 1);
        return report.isEmpty() ? QByteArray(1, '\0') : report;
    }
    default: {
        QByteArray report = consumeByteArray(data, FrameSize);
        return report + QByteArray(FrameSize - report.size(), '\0');
    }
    }
}

// What the link must deliver for these reports: the valid 40-byte ones, as the link reads at
// most one report's size.
QList<Delivery> expectedDeliveries(const QList<QByteArray>& reports)
{
    QList<Delivery> expected;
    for (const QByteArray& report : reports) {
        const QByteArray read = report.left(DeviceFrame::ReportSize);
        if (wellFormed(read))
            expected.append({ quint8(read[0]), quint8(read[1]), read.mid(3, MaxPayload) });
    }
    return expected;
}

void checkLink(FuzzedDataProvider& data)
{
    static const QString unit = QStringLiteral("FUZZ0001");
    MemoryHidBackend backend;
    backend.plug(unit);
    CUSBHID link(nullptr, nullptr, &backend);
    FUZZ_CHECK(link.start(unit) == 0);
    QList<Delivery> delivered;
    QObject::connect(&link, &CUSBHID::dataAvailable, [&delivered](int id, int type, const QByteArray& payload) {
        delivered.append({ id, type, payload });
    });

    QList<QByteArray> reports;
    const int count = data.ConsumeIntegralInRange(0, 64);
    for (int i = 0; i < count && data.remaining_bytes() > 0; ++i) {
        reports.append(consumeReport(data));
        FUZZ_CHECK(backend.deliver(unit, reports.last()));
    }
    const quint8 id = data.ConsumeIntegral<quint8>();
    const int type = data.ConsumeIntegral<quint8>();
    const int length = data.ConsumeIntegralInRange(-2, MaxPayload + 2);
    const QByteArray payload = consumeByteArray(data, size_t(qMax(length, 0))).leftJustified(qMax(length, 0), '\0');
    link.transmit(id, type, payload.constData(), length);
    const bool accepted = length >= 0 && length <= MaxPayload;
    FUZZ_CHECK(link.pendingCount() == (accepted ? 1 : 0));
    link.onHidTimer();

    const QList<Delivery> expected = expectedDeliveries(reports);
    FUZZ_CHECK(delivered.size() == expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        FUZZ_CHECK(delivered[i].id == expected[i].id && delivered[i].type == expected[i].type);
        FUZZ_CHECK(delivered[i].payload == expected[i].payload);
    }
    const QList<QByteArray> written = backend.written(unit);
    FUZZ_CHECK(written.size() == (accepted ? 1 : 0) && link.pendingCount() == 0);
    if (accepted)
        FUZZ_CHECK(written[0] == '\0' + DeviceFrame::encode(id, quint8(type), payload.constData(), length));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    makeApplication<QCoreApplication>();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    switch (data.ConsumeIntegralInRange(0, 2)) {
    case 0:
        checkArbitraryFrame(data);
        break;
    case 1:
        checkBuiltFrame(data);
        break;
    default:
        checkLink(data);
        break;
    }
    return 0;
}
