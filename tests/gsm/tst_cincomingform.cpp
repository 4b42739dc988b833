#include "AppContext.h"
#include "CIncomingForm.h"
#include "LinkRig.h"

#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class TestCIncomingForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        static QTemporaryDir dir;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
        QCoreApplication::setOrganizationName(QStringLiteral("Orvane"));
        QCoreApplication::setApplicationName(QStringLiteral("Parlona Control"));
    }

    void calls_data()
    {
        // The states reported, then what the operator does: a button, "close" or "escape".
        QTest::addColumn<QList<int>>("states");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QStringList>("sent");
        const QStringList none, ath { "ATH" };
        QTest::newRow("outgoing") << QList<int> { 1 } << ""
                                  << "Calling..." << true << none;
        QTest::newRow("incoming") << QList<int> { 2 } << ""
                                  << "Incoming call..." << true << none;
        QTest::newRow("answered") << QList<int> { 1, 3 } << ""
                                  << "Calling..." << false << none;
        QTest::newRow("ended") << QList<int> { 2, 0 } << ""
                               << "Incoming call..." << false << none;
        QTest::newRow("accept") << QList<int> { 2 } << "pushButton_call"
                                << "Incoming call..." << false << QStringList("ATA");
        QTest::newRow("decline") << QList<int> { 2 } << "pushButton_endcall"
                                 << "Incoming call..." << false << ath;
        QTest::newRow("close") << QList<int> { 2 } << "close"
                               << "Incoming call..." << false << ath;
        QTest::newRow("escape") << QList<int> { 1 } << "escape"
                                << "Calling..." << false << ath;
    }

    void calls()
    {
        QFETCH(QList<int>, states);
        QFETCH(QString, action);
        LinkRig rig;
        AppContext context { rig.link(), rig.uc20(), nullptr, nullptr, nullptr };
        CIncomingForm form(&context);
        for (int state : states)
            form.onVoicecallStateChange(VOICECALL_STATE(state), QStringLiteral("0301"));
        if (action == QLatin1String("close"))
            form.close();
        else if (action == QLatin1String("escape"))
            QTest::keyClick(&form, Qt::Key_Escape);
        else if (!action.isEmpty())
            QTest::mouseClick(form.findChild<QPushButton*>(action), Qt::LeftButton);
        QTEST(form.windowTitle(), "title");
        QTEST(form.isVisible(), "shown");
        QTEST(rig.takeSent(), "sent");
    }

    void geometryRemembered()
    {
        {
            CIncomingForm form(nullptr);
            form.onVoicecallStateChange(VOICECALL_INCOMING, QStringLiteral("1"));
            form.setGeometry(250, 200, 319, 122);
        }
        // Destroyed while shown, the window kept its last place.
        CIncomingForm form(nullptr);
        form.onVoicecallStateChange(VOICECALL_CALLING, QStringLiteral("1"));
        QCOMPARE(form.geometry(), QRect(250, 200, 319, 122));
    }
};

QTEST_MAIN(TestCIncomingForm)
#include "tst_cincomingform.moc"
