#include "CIncomingForm.h"
#include "ui_CIncomingForm.h"

#include "AppContext.h"
#include "CUC20.h"
#include "CallNoteText.h"
#include "CallParty.h"
#include "PlainToolTip.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMovie>
#include <QSettings>

namespace {

const char* const geometryKey = "incomingCallFormGeometry";

// The notes on a darker strip; green once the caller is ready for air.
const char* const notesStyle = "background-color: rgb(90, 90, 90); color: rgb(255, 255, 255); padding: 0 4px;";
const char* const readyNotesStyle
    = "background-color: rgb(0, 150, 0); color: rgb(255, 255, 255); font-weight: bold; padding: 0 4px;";
const char* const noNotesStyle = "color: rgb(215, 215, 215); padding: 0 4px;";

} // namespace

CIncomingForm::CIncomingForm(AppContext* context, QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::CIncomingForm)
    , m_context(context)
    , m_movie(new QMovie(QStringLiteral(":/resources/gif/ajax-loader.gif"), QByteArray(), this))
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    // A top-level window of its own, it must not keep the program running once the main window
    // is closed during a call.
    setAttribute(Qt::WA_QuitOnClose, false);
    ui->label_gif->setMovie(m_movie);
    setCallKeys(QKeySequence(), QKeySequence());
    if (m_context && m_context->callNotes) {
        connect(m_context->callNotes, &CallNotes::currentChanged, this, &CIncomingForm::onNotesChanged);
        onNotesChanged(m_context->callNotes->current());
    } else {
        onNotesChanged(CallNote());
    }
    loadPlace();
}

CIncomingForm::~CIncomingForm()
{
    storePlace();
    delete ui;
}

CUC20* CIncomingForm::engine() const
{
    return m_context ? m_context->uc20 : nullptr;
}

void CIncomingForm::onVoicecallStateChange(VOICECALL_STATE state, QString number)
{
    ui->label_number->setText(CallParty::displayName(m_context ? m_context->database : nullptr, number));
    m_state = state;

    switch (state) {
    case VOICECALL_CALLING:
        setWindowTitle(titled(tr("Calling...")));
        ui->pushButton_call->hide();
        ui->pushButton_endcall->setText(QString());
        popUp();
        break;
    case VOICECALL_INCOMING:
        setWindowTitle(titled(tr("Incoming call...")));
        ui->pushButton_call->show();
        ui->pushButton_endcall->setText(tr("Decline"));
        popUp();
        break;
    case VOICECALL_IDLE:
    case VOICECALL_ACTIVE:
        // Already hidden (by Accept or Decline), the window keeps the place it had when shown.
        if (isVisible())
            storePlace();
        done(Accepted);
        break;
    }
}

void CIncomingForm::onNotesChanged(const CallNote& note)
{
    // Whether the caller is ready and who is calling on the first line, the topic under it.
    const QString who = CallNoteText::summary({ note.callerName, note.place, QString(), false });
    const QString badge = CallNoteText::badgeText(note.readyForAir);
    ui->label_notes->setText(note.isEmpty() ? tr("No notes from the producer yet")
            : who.isEmpty()                 ? badge
                                            : badge + QStringLiteral(" \u00b7 ") + who);
    ui->label_notes->setStyleSheet(QLatin1String(note.isEmpty() ? noNotesStyle
            : note.readyForAir                                  ? readyNotesStyle
                                                                : notesStyle));
    ui->label_notesTopic->setText(note.topic);
    ui->label_notesTopic->setStyleSheet(QLatin1String(note.topic.isEmpty() ? noNotesStyle : notesStyle));
    for (QLabel* label : { static_cast<QLabel*>(ui->label_notes), static_cast<QLabel*>(ui->label_notesTopic) })
        label->setToolTip(plainToolTip(CallNoteText::details(note)));
}

void CIncomingForm::on_pushButton_call_clicked()
{
    if (CUC20* uc20 = engine())
        uc20->answerCall();
    done(Accepted);
}

void CIncomingForm::on_pushButton_endcall_clicked()
{
    if (CUC20* uc20 = engine())
        uc20->endCall();
    done(Accepted);
}

void CIncomingForm::closeEvent(QCloseEvent* event)
{
    storePlace();
    if (CUC20* uc20 = engine())
        uc20->endCall();
    done(Accepted);
    event->accept();
}

void CIncomingForm::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Cancel)) {
        on_pushButton_endcall_clicked();
        event->accept();
        return;
    }
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier)) == Qt::NoModifier) {
        // Enter takes a ringing call; an outgoing one has nothing to take.
        if (m_state == VOICECALL_INCOMING)
            on_pushButton_call_clicked();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CIncomingForm::showEvent(QShowEvent* event)
{
    // The animation runs only while someone can see it.
    m_movie->start();
    QDialog::showEvent(event);
}

void CIncomingForm::hideEvent(QHideEvent* event)
{
    m_movie->stop();
    QDialog::hideEvent(event);
}

void CIncomingForm::popUp()
{
    // A window the operator minimised would otherwise ring unseen on the task bar.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    loadPlace();
    m_placed = true;
    raise();
    activateWindow();
}

void CIncomingForm::setUnit(const QString& serial)
{
    m_unit = serial;
    // Until the operator has moved this unit's window, it opens where the window last was.
    loadPlace();
}

QString CIncomingForm::titled(const QString& title) const
{
    return m_unit.isEmpty() ? title : tr("%1 - unit %2").arg(title, m_unit);
}

QString CIncomingForm::placeKey() const
{
    return m_unit.isEmpty() ? QLatin1String(geometryKey) : QLatin1String(geometryKey) + QLatin1Char('-') + m_unit;
}

void CIncomingForm::loadPlace()
{
    const QSettings settings;
    const QVariant geometry = settings.value(placeKey());
    if (geometry.isNull())
        return;
    setGeometry(geometry.toRect());
    m_placed = true;
}

void CIncomingForm::storePlace()
{
    // Never shown, the window has no place of the operator's choosing.
    if (!m_placed)
        return;
    QSettings settings;
    settings.setValue(placeKey(), geometry());
}

void CIncomingForm::setCallKeys(const QKeySequence& answer, const QKeySequence& hangUp)
{
    const QString answerKey = answer.toString(QKeySequence::NativeText);
    const QString hangUpKey = hangUp.toString(QKeySequence::NativeText);
    ui->pushButton_call->setToolTip(
        answerKey.isEmpty() ? tr("Answer the call (Enter)") : tr("Answer the call (%1 or Enter)").arg(answerKey));
    ui->pushButton_endcall->setToolTip(
        hangUpKey.isEmpty() ? tr("Decline or hang up (Esc)") : tr("Decline or hang up (%1 or Esc)").arg(hangUpKey));
}
