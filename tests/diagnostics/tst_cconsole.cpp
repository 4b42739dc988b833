#include "CConsole.h"

#include <QRegularExpression>
#include <QTest>

// Markup, an entity, placeholders and an unterminated tag, all to be shown as they are.
const QString kMessage
    = QStringLiteral("<b>bold</b> &lt; is not < %1 %2 <span style=\"color:#000\">x</span> <img src=x");

class TestCConsole : public QObject
{
    Q_OBJECT

    // Emits the signal of `level`; a trace also names its source file, function and line.
    static void log(CConsole& console, int level, const QString& msg)
    {
        switch (level) {
        case CConsole::Trace:
            emit console._trace(QStringLiteral("src/%2"), QStringLiteral("<on_clicked>"), QStringLiteral("35"), msg);
            break;
        case CConsole::Error:
            emit console.error(msg);
            break;
        case CConsole::Warn:
            emit console.warn(msg);
            break;
        case CConsole::Info:
            emit console.info(msg);
            break;
        default:
            emit console.debug(msg);
            break;
        }
    }

private slots:
    void lineFormats_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("shown");
        QTest::newRow("error") << int(CConsole::Error) << "ERROR] " + kMessage;
        QTest::newRow("warn") << int(CConsole::Warn) << "WARN] " + kMessage;
        QTest::newRow("info") << int(CConsole::Info) << "INFO] " + kMessage;
        QTest::newRow("debug") << int(CConsole::Debug) << "DEBUG] " + kMessage;
        // Placeholders in a trace's fields are not filled by the fields that follow.
        QTest::newRow("trace") << int(CConsole::Trace) << "TRACE] {src/%2, <on_clicked>, 35} " + kMessage;
    }

    // Each level is shown only while it is switched on, as "[hh:mm:ss.zzz LEVEL] message", and
    // the message as plain text, markup and all.
    void lineFormats()
    {
        QFETCH(int, level);
        CConsole console;
        log(console, level, QStringLiteral("off by default"));
        console.setLevelEnabled(CConsole::Level(level), true);
        for (int other = CConsole::Error; other <= CConsole::Trace; ++other)
            log(console, other, other == level ? kMessage : QStringLiteral("not switched on"));
        QCOMPARE(console.lineCount(), 1);
        const auto line
            = QRegularExpression(QStringLiteral(R"(^\[\d\d:\d\d:\d\d\.\d{3} (.*)$)")).match(console.plainText());
        QVERIFY2(line.hasMatch(), qPrintable(console.plainText()));
        QTEST(line.captured(1), "shown");
        console.setLevelEnabled(CConsole::Level(level), false);
        log(console, level, QStringLiteral("switched off"));
        QCOMPARE(console.lineCount(), 1);
    }

    void keepsOnlyTheNewest5000Lines()
    {
        CConsole console;
        console.setLevelEnabled(CConsole::Error, true);
        for (int i = 0; i < 5250; ++i)
            emit console.error(QStringLiteral("line %1").arg(i));
        QCOMPARE(console.lineCount(), 5000);
        const QStringList lines = console.plainText().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 5000);
        QVERIFY(lines.first().endsWith(QStringLiteral("ERROR] line 250")));
        QVERIFY(lines.last().endsWith(QStringLiteral("ERROR] line 5249")));
    }
};

QTEST_MAIN(TestCConsole)
#include "tst_cconsole.moc"
