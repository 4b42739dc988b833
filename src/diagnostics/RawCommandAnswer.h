#ifndef RAWCOMMANDANSWER_H
#define RAWCOMMANDANSWER_H

#include <QByteArray>
#include <QString>
#include <QStringList>

// Picks the module's answers to commands typed on the service page out of the module's output,
// which also carries the unit's own polling and the module's unsolicited reports. An answer
// starts with the module's echo of the command and ends with a final result code; the commands
// are answered in the order they were sent.
class RawCommandAnswer
{
public:
    // Lines kept of one answer; a longer one loses its oldest lines after the echo, so that the
    // result code still shows.
    static constexpr int MaxLines = 40;
    // Longest line put together from the pieces of a long module line.
    static constexpr int MaxLineLength = 512;

    // A command went to the module; its answer is looked for from now on.
    void expect(const QString& command);
    // Takes one module line message (id 3): its type and payload. Returns the answer it
    // completes, the command's echo first, or an empty list.
    QStringList take(int type, const QByteArray& payload);
    // Whether a command still waits for the end of its answer.
    bool isWaiting() const { return !m_awaited.isEmpty(); }
    // Stops waiting: returns the commands that were waiting, oldest first.
    QStringList abandon();

private:
    QStringList m_awaited; // oldest first; the first one's answer may be coming in
    QStringList m_answer;  // the answer being received, empty until its echo came
    QByteArray m_partialLine;
};

#endif // RAWCOMMANDANSWER_H
