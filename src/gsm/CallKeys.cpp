#include "CallKeys.h"

#include <QSettings>
#include <QShortcut>
#include <QWidget>
#include <algorithm>
#include <iterator>

const QKeySequence CallKeys::DefaultAnswerKey(Qt::Key_F9);
const QKeySequence CallKeys::DefaultHangUpKey(Qt::Key_F10);

CallKeys::CallKeys(QWidget* window)
    : QObject(window)
    , m_answer(new QShortcut(window))
    , m_hangUp(new QShortcut(window))
{
    for (QShortcut* shortcut : { m_answer, m_hangUp })
        shortcut->setContext(Qt::ApplicationShortcut);
    connect(m_answer, &QShortcut::activated, this, &CallKeys::answerPressed);
    connect(m_hangUp, &QShortcut::activated, this, &CallKeys::hangUpPressed);
}

QKeySequence CallKeys::answerKey()
{
    return QSettings().value(QStringLiteral("AnswerKey"), DefaultAnswerKey).value<QKeySequence>();
}

QKeySequence CallKeys::hangUpKey()
{
    return QSettings().value(QStringLiteral("HangUpKey"), DefaultHangUpKey).value<QKeySequence>();
}

void CallKeys::setKeys(const QKeySequence& answer, const QKeySequence& hangUp)
{
    QSettings settings;
    settings.setValue(QStringLiteral("AnswerKey"), answer);
    settings.setValue(QStringLiteral("HangUpKey"), hangUp);
}

bool CallKeys::interferesWithTyping(const QKeySequence& key)
{
    if (key.isEmpty())
        return true;
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    const int combined = key[0].toCombined();
#else
    const int combined = key[0];
#endif
    // Shift and the number pad change which character a key types, not whether it types.
    if (combined & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const int code = combined & ~int(Qt::KeyboardModifierMask);
    const bool types = (code >= Qt::Key_Space && code <= Qt::Key_AsciiTilde)
        || (code >= Qt::Key_nobreakspace && code <= Qt::Key_ydiaeresis);
    const int editing[] = { Qt::Key_Return, Qt::Key_Enter, Qt::Key_Tab, Qt::Key_Backtab, Qt::Key_Backspace,
        Qt::Key_Delete, Qt::Key_Escape };
    return types || std::find(std::begin(editing), std::end(editing), code) != std::end(editing);
}

void CallKeys::reload()
{
    m_answer->setKey(answerKey());
    m_hangUp->setKey(hangUpKey());
    emit keysChanged(m_answer->key(), m_hangUp->key());
}
