#include "CConsole.h"
#include "CUSBHID.h"
#include "DeviceFrame.h"
#include "ManualClock.h"
#include "VirtualHybridBackend.h"
#include "VirtualHybridUnit.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

class TestVirtualHybridBackend : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void listsPluggedUnitsInOrder();
    void onlyTheHybridsIds_data();
    void onlyTheHybridsIds();
    void addUnitRefusesDuplicates();
    void openRules();
    void closingTheDeviceClosesTheSession();
    void deviceOutlivesTheBackend();
    void drivesTheRealLink();

private:
    ManualClock* m_clock = nullptr;
    VirtualHybridBackend* m_backend = nullptr;
};

void TestVirtualHybridBackend::initTestCase()
{
    qRegisterMetaType<VirtualHybridUnit*>();
}

void TestVirtualHybridBackend::init()
{
    m_clock = new ManualClock;
    m_backend = new VirtualHybridBackend(m_clock);
}

void TestVirtualHybridBackend::cleanup()
{
    delete m_backend;
    m_backend = nullptr;
    delete m_clock;
}

void TestVirtualHybridBackend::listsPluggedUnitsInOrder()
{
    QSignalSpy added(m_backend, &VirtualHybridBackend::unitAdded);
    VirtualHybridUnit* c = m_backend->addUnit("VH000003");
    VirtualHybridUnit* a = m_backend->addUnit("VH000001");
    VirtualHybridUnit* b = m_backend->addUnit("VH000002");
    QCOMPARE(added.count(), 3);
    QCOMPARE(m_backend->units(), (QList<VirtualHybridUnit*> { c, a, b }));
    QCOMPARE(m_backend->listDevices(CUSBHID::VendorId, CUSBHID::ProductId),
        (QStringList { "VH000003", "VH000001", "VH000002" }));
    a->unplug();
    QCOMPARE(m_backend->listDevices(CUSBHID::VendorId, CUSBHID::ProductId), (QStringList { "VH000003", "VH000002" }));
    a->plug();
    QCOMPARE(m_backend->listDevices(CUSBHID::VendorId, CUSBHID::ProductId),
        (QStringList { "VH000003", "VH000001", "VH000002" }));
    QCOMPARE(m_backend->unit("VH000002"), b);
    QCOMPARE(m_backend->unit("VH000009"), nullptr);
    QCOMPARE(m_backend->clock(), m_clock);
}

void TestVirtualHybridBackend::onlyTheHybridsIds_data()
{
    QTest::addColumn<int>("vendorId");
    QTest::addColumn<int>("productId");
    QTest::addColumn<bool>("known");
    QTest::newRow("the hybrid") << 0x0805 << 0x1403 << true;
    QTest::newRow("other vendor") << 0x0806 << 0x1403 << false;
    QTest::newRow("other product") << 0x0805 << 0x1404 << false;
}

void TestVirtualHybridBackend::onlyTheHybridsIds()
{
    QFETCH(int, vendorId);
    QFETCH(int, productId);
    QFETCH(bool, known);
    m_backend->addUnit("VH000001");
    QCOMPARE(m_backend->listDevices(quint16(vendorId), quint16(productId)).size(), known ? 1 : 0);
    QCOMPARE(m_backend->open(quint16(vendorId), quint16(productId), "VH000001") != nullptr, known);
}

void TestVirtualHybridBackend::addUnitRefusesDuplicates()
{
    QVERIFY(m_backend->addUnit("VH000001"));
    QCOMPARE(m_backend->addUnit("VH000001"), nullptr);
    QCOMPARE(m_backend->units().size(), 1);
}

void TestVirtualHybridBackend::openRules()
{
    VirtualHybridUnit* unit = m_backend->addUnit("VH000001");
    QVERIFY(!m_backend->open(CUSBHID::VendorId, CUSBHID::ProductId, "VH000002"));
    QVERIFY(!m_backend->open(CUSBHID::VendorId, CUSBHID::ProductId, QString()));
    std::unique_ptr<HidDevice> first = m_backend->open(CUSBHID::VendorId, CUSBHID::ProductId, "VH000001");
    QVERIFY(first);
    QVERIFY(unit->isOpen());
    // Already open: refused.
    QVERIFY(!m_backend->open(CUSBHID::VendorId, CUSBHID::ProductId, "VH000001"));
    first.reset();
    QVERIFY(!unit->isOpen());
    unit->unplug();
    QVERIFY(!m_backend->open(CUSBHID::VendorId, CUSBHID::ProductId, "VH000001"));
    unit->plug();
    QVERIFY(m_backend->open(CUSBHID::VendorId, CUSBHID::ProductId, "VH000001"));
}

void TestVirtualHybridBackend::closingTheDeviceClosesTheSession()
{
    VirtualHybridUnit* unit = m_backend->addUnit("VH000001");
    std::unique_ptr<HidDevice> device = m_backend->open(CUSBHID::VendorId, CUSBHID::ProductId, "VH000001");
    const QByteArray request = QByteArray(1, '\0') + DeviceFrame::encode(5, 1, nullptr, 0);
    QCOMPARE(device->write(reinterpret_cast<const unsigned char*>(request.constData()), 41), 41);
    device.reset();
    // A closed unit sends nothing: the next session starts empty.
    m_clock->advance(1000);
    device = m_backend->open(CUSBHID::VendorId, CUSBHID::ProductId, "VH000001");
    unsigned char buffer[41];
    QCOMPARE(device->read(buffer, 41), 0);
    QCOMPARE(unit->framesSent(), 0);
}

void TestVirtualHybridBackend::deviceOutlivesTheBackend()
{
    m_backend->addUnit("VH000001");
    std::unique_ptr<HidDevice> device = m_backend->open(CUSBHID::VendorId, CUSBHID::ProductId, "VH000001");
    delete m_backend;
    m_backend = nullptr;
    unsigned char buffer[41] = {};
    QCOMPARE(device->read(buffer, 41), -1);
    QCOMPARE(device->write(buffer, 41), -1);
    device.reset(); // and closing it does no harm
}

void TestVirtualHybridBackend::drivesTheRealLink()
{
    // The unchanged link opens a virtual unit, receives its frames and writes to it.
    VirtualHybridUnit* unit = m_backend->addUnit("VH000001");
    CConsole console;
    CUSBHID link(m_backend, &console);
    QSignalSpy data(&link, &CUSBHID::dataAvailable);
    QSignalSpy disconnected(&link, &CUSBHID::disconnected);
    QCOMPARE(link.start("VH000001"), 0);
    link.transmit(5, 1, nullptr, 0);
    link.onHidTimer();
    QCOMPARE(unit->framesReceived(), 1);
    m_clock->advance(10);
    link.onHidTimer();
    bool versionSeen = false;
    for (const QList<QVariant>& arguments : qAsConst(data))
        versionSeen = versionSeen || arguments[0].toInt() == 5;
    QVERIFY(versionSeen);
    unit->unplug();
    link.onHidTimer();
    QCOMPARE(disconnected.count(), 1);
    QVERIFY(!link.isConnected());
}

QTEST_MAIN(TestVirtualHybridBackend)
#include "tst_virtualhybridbackend.moc"
