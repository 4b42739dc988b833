#include "RawCommandAnswer.h"

#include "CUC20.h"
#include "DeviceMessage.h"
#include "DevicePayload.h"

#include <utility>

namespace {

bool isEcho(const QString& line, const QString& command)
{
    return line.trimmed().compare(command.trimmed(), Qt::CaseInsensitive) == 0;
}

// RING comes unasked, whenever a call rings in; the errors of the SIM and the network end an
// answer as ERROR does.
bool endsAnswer(const QString& line)
{
    const UC20_RESULT_CODE code = CUC20::classifyResultCode(line);
    return (code != UC20_NOT_FINAL && code != UC20_RING) || line.startsWith(QLatin1String("+CME ERROR:"))
        || line.startsWith(QLatin1String("+CMS ERROR:"));
}

} // namespace

void RawCommandAnswer::expect(const QString& command)
{
    m_awaited.append(command);
}

QStringList RawCommandAnswer::take(int type, const QByteArray& payload)
{
    m_partialLine.append(DevicePayload::atLine(payload).left(MaxLineLength - m_partialLine.size()));
    if (type == DeviceMessage::LineContinues)
        return QStringList();
    const QString line = QString::fromLatin1(std::exchange(m_partialLine, QByteArray()));
    if (m_awaited.isEmpty())
        return QStringList();
    if (m_answer.isEmpty()) {
        if (isEcho(line, m_awaited.first()))
            m_answer.append(line);
        return QStringList();
    }
    if (m_answer.size() == MaxLines - 1)
        m_answer.removeAt(1);
    m_answer.append(line);
    if (!endsAnswer(line))
        return QStringList();
    m_awaited.removeFirst();
    return std::exchange(m_answer, QStringList());
}

QStringList RawCommandAnswer::abandon()
{
    m_answer.clear();
    return std::exchange(m_awaited, QStringList());
}
