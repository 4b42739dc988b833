#include "CConsole.h"

#include <QRegularExpression>
#include <QTest>
#include <QTextEdit>

class TestCConsole : public QObject
{
    Q_OBJECT

private slots:
    void lineFormats_data();
    void lineFormats();
    void disabledLevelsAppendNothing();
    void messagesAreShownAsPlainText_data();
    void messagesAreShownAsPlainText();
    void keepsOnlyTheNewestLines();

private:
    static void emitAt(CConsole& console, CConsole::Level level, const QString& msg);
    static void enableAll(CConsole& console);
};

void TestCConsole::emitAt(CConsole& console, CConsole::Level level, const QString& msg)
{
    switch (level) {
    case CConsole::Error:
        emit console.error(msg);
        break;
    case CConsole::Warn:
        emit console.warn(msg);
        break;
    case CConsole::Info:
        emit console.info(msg);
        break;
    case CConsole::Debug:
        emit console.debug(msg);
        break;
    case CConsole::Trace:
        emit console._trace(
            QStringLiteral("../__src/DebugForm"), QStringLiteral("on_pushButton_clicked"), QStringLiteral("35"), msg);
        break;
    }
}

void TestCConsole::enableAll(CConsole& console)
{
    for (CConsole::Level level : { CConsole::Error, CConsole::Warn, CConsole::Info, CConsole::Debug, CConsole::Trace })
        console.setLevelEnabled(level, true);
}

void TestCConsole::lineFormats_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<QString>("shown");

    QTest::newRow("error") << int(CConsole::Error) << "#ff0000"
                           << "ERROR] test console..";
    QTest::newRow("warn") << int(CConsole::Warn) << "#ff3300"
                          << "WARN] test console..";
    QTest::newRow("info") << int(CConsole::Info) << "#ffff00"
                          << "INFO] test console..";
    QTest::newRow("debug") << int(CConsole::Debug) << "#00cc00"
                           << "DEBUG] test console..";
    QTest::newRow("trace") << int(CConsole::Trace) << "#009999"
                           << "TRACE] {../__src/DebugForm, on_pushButton_clicked, 35} test console..";
}

void TestCConsole::lineFormats()
{
    QFETCH(int, level);
    QFETCH(QString, colour);
    QFETCH(QString, shown);

    CConsole console;
    console.setLevelEnabled(CConsole::Level(level), true);
    emitAt(console, CConsole::Level(level), QStringLiteral("test console.."));

    QCOMPARE(console.lineCount(), 1);
    const QString text = console.plainText();
    const QRegularExpression stamp(QStringLiteral("^\\[(\\d\\d):(\\d\\d):(\\d\\d)\\.(\\d\\d\\d) (.*)$"));
    const QRegularExpressionMatch match = stamp.match(text);
    QVERIFY2(match.hasMatch(), qPrintable(text));
    QVERIFY(match.captured(1).toInt() < 24 && match.captured(2).toInt() < 60 && match.captured(3).toInt() < 60);
    QCOMPARE(match.captured(5), shown);

    const QString html = console.findChild<QTextEdit*>(QStringLiteral("textEdit"))->toHtml();
    QVERIFY2(html.contains(QStringLiteral("color:") + colour), qPrintable(html));
}

void TestCConsole::disabledLevelsAppendNothing()
{
    // The levels the main window switches on: error and info only.
    CConsole console;
    console.setLevelEnabled(CConsole::Error, true);
    console.setLevelEnabled(CConsole::Info, true);
    emitAt(console, CConsole::Warn, QStringLiteral("w"));
    emitAt(console, CConsole::Debug, QStringLiteral("d"));
    emitAt(console, CConsole::Trace, QStringLiteral("t"));
    QCOMPARE(console.lineCount(), 0);
    emitAt(console, CConsole::Info, QStringLiteral("Connected"));
    emitAt(console, CConsole::Error, QStringLiteral("e"));
    QCOMPARE(console.lineCount(), 2);
    QVERIFY(console.plainText().contains(QStringLiteral("INFO] Connected\n[")));

    console.setLevelEnabled(CConsole::Info, false);
    emitAt(console, CConsole::Info, QStringLiteral("again"));
    QCOMPARE(console.lineCount(), 2);
}

void TestCConsole::messagesAreShownAsPlainText_data()
{
    QTest::addColumn<QString>("message");
    QTest::newRow("markup") << "<b>bold</b> <span style=\"color:#000\">x</span>";
    QTest::newRow("entities") << "&lt; is not <";
    QTest::newRow("module output") << "+CLCC: 1,1,4,0,0,\"<0123>\",129";
    QTest::newRow("placeholders") << "%1 %2 stays %3";
    QTest::newRow("unterminated tag") << "<img src=x";
}

void TestCConsole::messagesAreShownAsPlainText()
{
    QFETCH(QString, message);
    CConsole console;
    enableAll(console);
    emitAt(console, CConsole::Info, message);
    QVERIFY2(console.plainText().endsWith(QStringLiteral("INFO] ") + message), qPrintable(console.plainText()));
    // Placeholders in a trace's fields are not filled by the fields that follow.
    emit console._trace(QStringLiteral("file %2"), message, QStringLiteral("7"), QStringLiteral("m %1"));
    QVERIFY2(console.plainText().endsWith(QStringLiteral("TRACE] {file %2, ") + message + QStringLiteral(", 7} m %1")),
        qPrintable(console.plainText()));
}

void TestCConsole::keepsOnlyTheNewestLines()
{
    CConsole console;
    enableAll(console);
    const int total = CConsole::MaxLines + 250;
    for (int i = 0; i < total; ++i)
        emitAt(console, CConsole::Error, QStringLiteral("line %1").arg(i));
    QCOMPARE(console.lineCount(), CConsole::MaxLines);
    const QStringList lines = console.plainText().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), CConsole::MaxLines);
    QVERIFY(lines.first().endsWith(QStringLiteral("ERROR] line 250")));
    QVERIFY(lines.last().endsWith(QStringLiteral("ERROR] line %1").arg(total - 1)));
}

QTEST_MAIN(TestCConsole)
#include "tst_cconsole.moc"
