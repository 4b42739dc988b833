#include "CallKeys.h"

#include <QSettings>
#include <QShortcut>
#include <QWidget>

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

void CallKeys::reload()
{
    m_answer->setKey(answerKey());
    m_hangUp->setKey(hangUpKey());
    emit keysChanged(m_answer->key(), m_hangUp->key());
}
