#include "CallNotesPanel.h"

#include "AppContext.h"
#include "CallNoteText.h"
#include "FittingLabel.h"
#include "NotedCallerSaver.h"
#include "PlainToolTip.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {

// The badge in the look of the bar's status fields: green for ready, amber for not yet.
const char* const readyStyle = "background-color: rgb(0, 170, 0); border: 2px solid grey; color: rgb(255, 255, 255); "
                               "font-weight: bold; padding: 0 4px;";
const char* const notReadyStyle = "background-color: rgb(255, 191, 0); border: 2px solid grey; color: rgb(0, 0, 0); "
                                  "font-weight: bold; padding: 0 4px;";

} // namespace

CallNotesPanel::CallNotesPanel(QWidget* parent)
    : QFrame(parent)
    , m_ready(new QLabel(this))
    , m_caller(new FittingLabel(this))
    , m_topic(new FittingLabel(this))
    , m_save(new QPushButton(this))
{
    setFrameShape(QFrame::StyledPanel);
    auto* title = new QLabel(tr("Notes:"), this);
    title->setObjectName(QStringLiteral("label_notesTitle"));
    m_ready->setObjectName(QStringLiteral("label_notesReady"));
    m_ready->setAlignment(Qt::AlignCenter);
    m_caller->setObjectName(QStringLiteral("label_notesCaller"));
    QFont bold = m_caller->font();
    bold.setBold(true);
    m_caller->setFont(bold);
    m_topic->setObjectName(QStringLiteral("label_notesTopic"));
    for (FittingLabel* label : { m_caller, m_topic })
        label->setMinimumPointSize(8.0);
    m_save->setObjectName(QStringLiteral("pushButton_saveCaller"));
    m_save->setText(tr("Save to phonebook"));
    m_save->setFocusPolicy(Qt::NoFocus);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 4, 2);
    layout->setSpacing(6);
    layout->addWidget(title);
    layout->addWidget(m_ready);
    // The name is what the presenter says first: it takes the room it needs, the topic the rest;
    // each keeps room for a few words whatever the other.
    for (FittingLabel* label : { m_caller, m_topic })
        label->setMinimumWidth(label->fontMetrics().averageCharWidth() * 14);
    layout->addWidget(m_caller);
    layout->addWidget(m_topic, 1);
    layout->addWidget(m_save);
    QMetaObject::connectSlotsByName(this);
    onNotesChanged(CallNote());
}

void CallNotesPanel::setContext(AppContext* context)
{
    m_context = context;
    if (m_context && m_context->callNotes) {
        connect(m_context->callNotes, &CallNotes::currentChanged, this, &CallNotesPanel::onNotesChanged,
            Qt::UniqueConnection);
        onNotesChanged(m_context->callNotes->current());
    }
}

void CallNotesPanel::onNotesChanged(const CallNote& note)
{
    // Without notes the strip gives its room back to the pages, as it does where no producer works.
    setVisible(!note.isEmpty());
    m_ready->setText(CallNoteText::badgeText(note.readyForAir));
    m_ready->setToolTip(CallNoteText::readyText(note.readyForAir));
    m_ready->setStyleSheet(QLatin1String(note.readyForAir ? readyStyle : notReadyStyle));
    QStringList who;
    for (const QString& text : { note.callerName, note.place }) {
        if (!text.isEmpty())
            who << text;
    }
    m_caller->setText(who.join(QStringLiteral(", ")));
    m_topic->setText(note.topic);
    setToolTip(plainToolTip(CallNoteText::details(note)));
    updateSaveButton();
}

void CallNotesPanel::on_pushButton_saveCaller_clicked()
{
    if (m_context && m_context->callerSaver)
        m_context->callerSaver->save();
    updateSaveButton();
}

bool CallNotesPanel::event(QEvent* event)
{
    if (event->type() == QEvent::Enter)
        updateSaveButton();
    return QFrame::event(event);
}

void CallNotesPanel::updateSaveButton()
{
    NotedCallerSaver* saver = m_context ? m_context->callerSaver : nullptr;
    const NotedCallerSaver::Outcome outcome = saver ? saver->check() : NotedCallerSaver::NoName;
    m_save->setEnabled(outcome == NotedCallerSaver::Saved);
    m_save->setToolTip(outcome == NotedCallerSaver::Saved || !saver
            ? tr("Put the caller into the phonebook under the name the producer noted")
            : saver->outcomeText(outcome));
}
