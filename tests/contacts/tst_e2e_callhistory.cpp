#include "CCallHistoryForm.h"
#include "CCallRegistration.h"
#include "CUC20.h"
#include "MainWindow.h"
#include "ManualClock.h"
#include "ModalAnswer.h"
#include "PhonebookForm.h"
#include "VirtualHybridBackend.h"
#include "VirtualHybridUnit.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSettings>
#include <QStandardPaths>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

namespace {

const QString connectedText = QStringLiteral("Status: Connected [Orvane Parlona, Firmware: v2.1.0.7]");
const char* const receivedIcon = ":/resources/png/baseline_call_received_black_48dp.png";
const char* const madeIcon = ":/resources/png/baseline_call_made_black_48dp.png";
const char* const missedIcon = ":/resources/png/baseline_call_missed_black_48dp.png";

bool sameIcon(const QIcon& icon, const char* file)
{
    const QImage shown = icon.pixmap(24).toImage();
    return !shown.isNull() && shown == QIcon(QLatin1String(file)).pixmap(24).toImage();
}

// Seconds in a talk-time text "HH:mm:ss".
int seconds(const QString& duration)
{
    const QStringList parts = duration.split(QLatin1Char(':'));
    return parts.size() == 3 ? parts[0].toInt() * 3600 + parts[1].toInt() * 60 + parts[2].toInt() : -1;
}

} // namespace

// Calls made and taken on a virtual hybrid, through the whole program, end up in the call
// history page. The program's timers run in real time; the unit's clock, which also times the
// calls' talk, is moved on by the test while it waits.
class TestE2eCallHistory : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void callsAppearInTheHistory();

private:
    bool pumpUntil(const std::function<bool()>& condition, int timeoutMs = 10000);
    void talk(int ms);
    QTableWidget* historyTable() const;
    QString cell(int row, int column) const;

    QTemporaryDir m_dataDir;
    ManualClock* m_clock = nullptr;
    VirtualHybridBackend* m_backend = nullptr;
    VirtualHybridUnit* m_unit = nullptr;
    MainWindow* m_window = nullptr;
};

void TestE2eCallHistory::initTestCase()
{
    QVERIFY(m_dataDir.isValid());
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dataDir.path());
}

void TestE2eCallHistory::init()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Orvane"));
    QCoreApplication::setApplicationName(QStringLiteral("Parlona Control"));
    QSettings().clear();
    m_clock = new ManualClock;
    m_backend = new VirtualHybridBackend(m_clock);
    m_unit = m_backend->addUnit(QStringLiteral("VH000001"));
    m_window = new MainWindow(m_backend, m_dataDir.path());
    // Talk time is measured on the unit's clock, so that it does not depend on the machine's speed.
    m_window->findChild<CCallRegistration*>()->setClock(
        [] { return QDateTime::currentDateTime(); }, [this] { return m_clock->nowMs(); });
    m_window->show();
}

void TestE2eCallHistory::cleanup()
{
    delete m_window;
    delete m_backend;
    delete m_clock;
}

bool TestE2eCallHistory::pumpUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (!condition()) {
        if (elapsed.elapsed() > timeoutMs)
            return false;
        m_clock->advance(5);
        QTest::qWait(1);
    }
    return true;
}

// Lets a connected call run for this long on the unit's clock.
void TestE2eCallHistory::talk(int ms)
{
    const qint64 end = m_clock->nowMs() + ms;
    QVERIFY(pumpUntil([&] { return m_clock->nowMs() >= end; }, 30000));
}

QTableWidget* TestE2eCallHistory::historyTable() const
{
    return m_window->findChild<CCallHistoryForm*>()->findChild<QTableWidget*>(QStringLiteral("tableWidget"));
}

QString TestE2eCallHistory::cell(int row, int column) const
{
    const QTableWidgetItem* item = historyTable()->item(row, column);
    return item ? item->text() : QString();
}

void TestE2eCallHistory::callsAppearInTheHistory()
{
    const QString annasMobile = QStringLiteral("+49301234567");
    const QString bertsPhone = QStringLiteral("0407654321");
    const QString annasLandline = QStringLiteral("0301234567");
    CUC20* engine = m_window->context()->uc20;
    QTableWidget* table = historyTable();

    m_window->findChild<QAction*>(QStringLiteral("actionAutoConnect"))->trigger();
    QVERIFY(pumpUntil([&] { return m_window->statusText() == connectedText; }));
    QCOMPARE(table->rowCount(), 0);

    // A caller gives up while it rings.
    m_unit->ringIn(annasMobile);
    QVERIFY(pumpUntil([&] { return engine->callState() == VOICECALL_INCOMING; }));
    m_unit->farEndHangsUp();
    QVERIFY(pumpUntil([&] { return table->rowCount() == 1; }));

    // A call taken by the studio, talked for three seconds.
    m_unit->ringIn(bertsPhone);
    QVERIFY(pumpUntil([&] { return engine->callState() == VOICECALL_INCOMING; }));
    engine->answerCall();
    QVERIFY(pumpUntil([&] { return engine->callState() == VOICECALL_ACTIVE; }));
    talk(3000);
    m_unit->farEndHangsUp();
    QVERIFY(pumpUntil([&] { return table->rowCount() == 2; }));

    // A call made by the studio, answered after a second and ended by the studio after two.
    m_unit->setOutgoingOutcome(VirtualHybridUnit::AnswerAfterDelay, 1000);
    engine->call(annasLandline);
    QVERIFY(pumpUntil([&] { return engine->callState() == VOICECALL_ACTIVE; }));
    talk(2000);
    engine->endCall();
    QVERIFY(pumpUntil([&] { return table->rowCount() == 3; }));

    // Newest first, each with its direction, number and talk time.
    QCOMPARE(cell(0, 0), annasLandline);
    QVERIFY(sameIcon(table->item(0, 0)->icon(), madeIcon));
    QVERIFY(qAbs(seconds(cell(0, 2)) - 2) <= 1);
    QCOMPARE(cell(1, 0), bertsPhone);
    QVERIFY(sameIcon(table->item(1, 0)->icon(), receivedIcon));
    QVERIFY(qAbs(seconds(cell(1, 2)) - 3) <= 1);
    QCOMPARE(cell(2, 0), annasMobile);
    QVERIFY(sameIcon(table->item(2, 0)->icon(), missedIcon));
    QCOMPARE(table->item(2, 0)->foreground().color(), QColor(255, 0, 0));
    QCOMPARE(cell(2, 2), QStringLiteral("00:00:00"));
    // All three began today: the date column shows the time alone.
    for (int row = 0; row < 3; ++row)
        QVERIFY2(cell(row, 1).length() == 5 && cell(row, 1)[2] == QLatin1Char(':'), qPrintable(cell(row, 1)));

    // The missed caller is added to the phonebook from the history.
    QString presetNumber;
    ModalAnswer::whenShown(m_window, [&](QWidget* dialog) {
        presetNumber = dialog->findChild<QLineEdit*>(QStringLiteral("phonenumber"))->text();
        dialog->findChild<QLineEdit*>(QStringLiteral("firstname"))->setText(QStringLiteral("Anna"));
        dialog->findChild<QLineEdit*>(QStringLiteral("lastname"))->setText(QStringLiteral("Alpha"));
        ModalAnswer::clickButton(dialog, QDialogButtonBox::Ok);
    });
    m_window->onActionCallHistory(true);
    const QRect missedRow = table->visualItemRect(table->item(2, 1));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, missedRow.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, missedRow.center());
    QCOMPARE(presetNumber, annasMobile);

    // The history follows at once: her name on the missed call, and on the call made to her
    // landline, whose last nine digits are the same.
    QCOMPARE(table->rowCount(), 3);
    QCOMPARE(cell(2, 0), QStringLiteral("Anna Alpha"));
    QCOMPARE(cell(0, 0), QStringLiteral("Anna Alpha"));
    QCOMPARE(cell(1, 0), bertsPhone);
    QCOMPARE(m_window->findChild<PhonebookForm*>()->findChild<QTableView*>()->model()->rowCount(), 1);
}

QTEST_MAIN(TestE2eCallHistory)
#include "tst_e2e_callhistory.moc"
