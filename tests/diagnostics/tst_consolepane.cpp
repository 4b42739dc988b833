#include <QtTest>

#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

#include "CConsole.h"

// The console pane keeps the newest 5,000 lines; the oldest go many at once, when the logging
// pauses or the pane holds 500 lines too many.
class TestConsolePane : public QObject
{
    Q_OBJECT

    static QTextDocument* pane(CConsole& console)
    {
        return console.findChild<QTextEdit*>(QStringLiteral("textEdit"))->document();
    }

    // Red errors on even lines, yellow infos on odd ones.
    static void log(CConsole& console, int lines)
    {
        for (int i = 0; i < lines; ++i)
            i % 2 ? emit console.info(QStringLiteral("line %1").arg(i))
                  : emit console.error(QStringLiteral("line %1").arg(i));
    }

    static QColor colourOfBlock(const QTextBlock& block)
    {
        return block.begin().fragment().charFormat().foreground().color();
    }

private slots:
    void keepsTheNewest_data()
    {
        QTest::addColumn<int>("logged");
        QTest::addColumn<int>("heldBeforePause"); // lines in the pane before the logging pauses
        QTest::addColumn<int>("first");           // the first line kept
        QTest::newRow("not full") << 4000 << 4000 << 0;
        QTest::newRow("just full") << 5000 << 5000 << 0;
        QTest::newRow("one over") << 5001 << 5001 << 1;
        QTest::newRow("just below the slack") << 5499 << 5499 << 499;
        QTest::newRow("slack full: dropped at once") << 5500 << 5000 << 500;
        QTest::newRow("over again") << 5733 << 5233 << 733;
    }

    void keepsTheNewest()
    {
        QFETCH(int, logged);
        QFETCH(int, first);
        CConsole console;
        console.setLevelEnabled(CConsole::Error, true);
        console.setLevelEnabled(CConsole::Info, true);
        log(console, logged);
        QTEST(pane(console)->blockCount(), "heldBeforePause");
        // Whoever reads the console sees the newest 5,000 lines at once.
        const int kept = qMin(logged, 5000);
        QCOMPARE(console.lineCount(), kept);
        QStringList lines = console.plainText().split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), kept);
        QVERIFY2(lines.first().endsWith(QStringLiteral("] line %1").arg(first)), qPrintable(lines.first()));
        QVERIFY(lines.last().endsWith(QStringLiteral("] line %1").arg(logged - 1)));

        // After a pause the pane holds them alone, each line in its own colour.
        QTRY_COMPARE_WITH_TIMEOUT(pane(console)->blockCount(), kept, 3000);
        QCOMPARE(pane(console)->toPlainText().split(QLatin1Char('\n')), lines);
        const QColor red(0xff, 0, 0), yellow(0xff, 0xff, 0);
        QCOMPARE(colourOfBlock(pane(console)->firstBlock()), first % 2 ? yellow : red);
        QCOMPARE(colourOfBlock(pane(console)->firstBlock().next()), first % 2 ? red : yellow);
    }
};

QTEST_MAIN(TestConsolePane)
#include "tst_consolepane.moc"
