#include "AppContext.h"
#include "CDatabase.h"
#include "CIncomingForm.h"
#include "ControlBar.h"
#include "ElidingLineEdit.h"
#include "FittingLabel.h"

#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <memory>

namespace {

const QString twentyDigits = QStringLiteral("12345678901234567890");
const QString ellipsis = QStringLiteral("\u2026");

// The tool tip a field shows when the pointer rests on it; empty when it shows none.
QString toolTipOf(QWidget* widget)
{
    QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), widget->mapToGlobal(QPoint(2, 2)));
    QToolTip::hideText();
    QCoreApplication::sendEvent(widget, &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

} // namespace

// The texts of the call windows that are read at a glance: the bar's number, codec and speed-dial
// buttons, and the caller in the incoming-call window, whole on a small screen.
class TestControlBarTexts : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<CDatabase> m_database;
    AppContext m_context;

    std::unique_ptr<ControlBar> makeBar(int width)
    {
        auto bar = std::make_unique<ControlBar>();
        bar->setContext(&m_context);
        bar->onConnectionChange(true);
        bar->resize(qMax(width, bar->minimumSizeHint().width()), bar->minimumSizeHint().height());
        bar->show();
        return bar;
    }

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
        QCoreApplication::setOrganizationName(QStringLiteral("Orvane"));
        QCoreApplication::setApplicationName(QStringLiteral("Parlona Control"));
        // The desktop's usual size, not the larger one of the screenless platform.
        QApplication::setFont(QFont(QApplication::font().family(), 9));
        m_database = std::make_unique<CDatabase>(m_dir.path(), nullptr);
        m_database->query(QStringLiteral("INSERT INTO contacts (first_name, last_name, phone_number) VALUES "
                                         "('Anna', 'Alpha', '0612345678'), "
                                         "('Annemarie Wilhelmina Josephina', 'van der Berg-Huisman', '0201112223')"));
        m_context.database = m_database.get();
    }

    void numberAndCodecWhole_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("codec");
        QTest::newRow("twenty digits") << twentyDigits << "WCDMA AMR WB";
        QTest::newRow("international") << "+31201234567890123456"
                                       << "DMA AMR WB";
        QTest::newRow("unknown codec") << "0031201234567890"
                                       << "UNKNOWN CODEC";
    }

    // On the bar at its smallest, as on a small screen.
    void numberAndCodecWhole()
    {
        QFETCH(QString, number);
        QFETCH(QString, codec);
        auto bar = makeBar(0);
        bar->onVoicecallStateChange(VOICECALL_INCOMING, number);
        bar->onCodecChange(0, codec);
        const auto* numberField = bar->findChild<ElidingLineEdit*>(QStringLiteral("lineEdit_callnumber"));
        const auto* codecField = bar->findChild<ElidingLineEdit*>(QStringLiteral("lineEdit_codec"));
        QCOMPARE(numberField->text(), number);
        QCOMPARE(numberField->shownText(), number);
        QCOMPARE(codecField->shownText(), codec);
    }

    // Only where nothing else fits: the beginning and end stay, the whole is in the tool tip.
    void cutInTheMiddle()
    {
        ElidingLineEdit field;
        field.setReservedTexts({ QStringLiteral("00000"), twentyDigits });
        field.setText(twentyDigits);
        field.resize(field.sizeHint());
        field.show();
        QCOMPARE(field.shownText(), twentyDigits);
        QCOMPARE(toolTipOf(&field), QString());

        field.resize(field.width() / 2, field.height());
        const QString shown = field.shownText();
        QVERIFY2(shown.startsWith(QLatin1String("123")) && shown.endsWith(QLatin1String("890"))
                && shown.contains(ellipsis) && shown.size() < twentyDigits.size(),
            qPrintable(shown));
        QCOMPARE(field.text(), twentyDigits);
        QCOMPARE(toolTipOf(&field), twentyDigits);
    }

    void speedDial_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("toolTip");
        QTest::addColumn<QString>("wideText");
        QTest::newRow("contact") << "0612345678"
                                 << "Speed dial 3: Anna Alpha (0612345678)"
                                 << "3: Anna Alpha";
        QTest::newRow("number") << "112"
                                << "Speed dial 3: 112"
                                << "3: 112";
        QTest::newRow("none") << ""
                              << "Speed dial 3: no number stored (choose one on the Settings page)"
                              << "3";
    }

    // The buttons look again when the pointer comes to them: the settings page may have changed them.
    void speedDial()
    {
        QFETCH(QString, stored);
        QFETCH(QString, wideText);
        QSettings().remove(QStringLiteral("dialnr3"));
        auto bar = makeBar(0);
        auto* button = bar->findChild<QPushButton*>(QStringLiteral("pushButton_dialnr3"));
        QCOMPARE(button->text(), QStringLiteral("3"));

        QSettings().setValue(QStringLiteral("dialnr3"), stored);
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(bar->findChild<QGroupBox*>(QStringLiteral("groupBox_3")), &enter);
        QTEST(button->toolTip(), "toolTip");
        // The smallest bar has room for the digit only.
        QCOMPARE(button->text(), QStringLiteral("3"));

        bar->resize(2000, bar->height());
        QTRY_COMPARE(button->text(), wideText);
    }

    void incomingCaller_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("caller");
        QTest::addColumn<bool>("whole");
        QTest::newRow("twenty digits") << twentyDigits << twentyDigits << true;
        QTest::newRow("contact") << "0612345678"
                                 << "Anna Alpha" << true;
        QTest::newRow("very long name") << "0201112223"
                                        << "Annemarie Wilhelmina Josephina van der Berg-Huisman" << false;
    }

    void incomingCaller()
    {
        QFETCH(QString, number);
        QFETCH(QString, caller);
        QFETCH(bool, whole);
        CIncomingForm form(&m_context);
        form.onVoicecallStateChange(VOICECALL_INCOMING, number);
        auto* label = form.findChild<FittingLabel*>(QStringLiteral("label_number"));
        QCOMPARE(label->text(), caller);
        QCOMPARE(label->shownText() == caller, whole);
        QCOMPARE(toolTipOf(label), whole ? QString() : caller);
        // Shrunk, never below the smallest size, before anything is cut.
        QVERIFY(label->shownFont().pointSizeF() >= FittingLabel::DefaultMinimumPointSize);
        if (!whole)
            QCOMPARE(label->shownFont().pointSizeF(), FittingLabel::DefaultMinimumPointSize);
        form.hide();
    }
};

QTEST_MAIN(TestControlBarTexts)
#include "tst_controlbar_texts.moc"
