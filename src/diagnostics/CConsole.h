#ifndef CCONSOLE_H
#define CCONSOLE_H

#include <QWidget>
#include <array>

class QTimer;

namespace Ui {
class CConsole;
}

// The program's log: a black pane of time-stamped, coloured lines. Parts log by emitting one of
// the level signals on the console they were given; disabled levels are dropped. Every message
// is shown as plain text, and the pane keeps only the newest MaxLines lines. A line costs the
// same however full the pane is: the oldest lines go many at once, in a pause of the logging.
class CConsole : public QWidget
{
    Q_OBJECT

public:
    enum Level { Error, Warn, Info, Debug, Trace };
    static constexpr int MaxLines = 5000;
    // Lines the pane holds above MaxLines at most while lines keep coming without a pause.
    static constexpr int TrimSlack = 500;
    // A pause in the logging this long lets the pane drop the lines above MaxLines.
    static constexpr int TrimPauseMs = 1000;

    explicit CConsole(QWidget* parent = nullptr);
    ~CConsole() override;

    void setLevelEnabled(Level level, bool enabled);
    bool isLevelEnabled(Level level) const;

    // The pane's content as plain text, one line per logged message.
    QString plainText() const;
    int lineCount() const;

signals:
    // Fires when a part reports an error.
    void error(QString msg);
    // Fires when a part reports a warning.
    void warn(QString msg);
    // Fires when a part reports an event worth the operator's notice.
    void info(QString msg);
    // Fires when a part reports debugging detail.
    void debug(QString msg);
    // Fires when a part traces a step, naming its source file, function and line.
    void _trace(QString file, QString function, QString line, QString msg);

public slots:
    void onError(QString msg);
    void onWarn(QString msg);
    void onInfo(QString msg);
    void onDebug(QString msg);
    void onTrace(QString file, QString function, QString line, QString msg);

private:
    void appendLine(Level level, const QString& colour, const QString& text);
    // Drops the lines above MaxLines, oldest first.
    void trimOldest();
    // Lines the pane holds above MaxLines, waiting to be dropped.
    int excessLines() const;

    Ui::CConsole* ui;
    std::array<bool, 5> levelEnabled {};
    QTimer* m_trimTimer;
};

#endif // CCONSOLE_H
