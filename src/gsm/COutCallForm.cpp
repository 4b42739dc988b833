#include "COutCallForm.h"
#include "ui_COutCallForm.h"

#include "CUC20.h"

#include <QKeyEvent>
#include <QTimer>

COutCallForm::COutCallForm(CNau8810* nau8810, CUC20* uc20, CConsole* console, QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::COutCallForm)
    , m_nau8810(nau8810)
    , m_uc20(uc20)
    , m_console(console)
    , m_toneTimer(new QTimer(this))
{
    ui->setupUi(this);
    ui->lineEdit_phonenumber->installEventFilter(this);
    m_toneTimer->setObjectName(QStringLiteral("toneTimer"));
    m_toneTimer->setSingleShot(true);
    m_toneTimer->setInterval(ToneNoticeMs);
    connect(m_toneTimer, &QTimer::timeout, this, [this] {
        m_tonesSent.clear();
        ui->label_toneSent->clear();
    });
}

COutCallForm::~COutCallForm()
{
    delete ui;
}

QString COutCallForm::number() const
{
    return ui->lineEdit_phonenumber->text();
}

void COutCallForm::on_pushButton_clear_clicked()
{
    ui->lineEdit_phonenumber->clear();
}

void COutCallForm::on_pushButton_1_clicked()
{
    pressKey(QLatin1Char('1'));
}

void COutCallForm::on_pushButton_2_clicked()
{
    pressKey(QLatin1Char('2'));
}

void COutCallForm::on_pushButton_3_clicked()
{
    pressKey(QLatin1Char('3'));
}

void COutCallForm::on_pushButton_4_clicked()
{
    pressKey(QLatin1Char('4'));
}

void COutCallForm::on_pushButton_5_clicked()
{
    pressKey(QLatin1Char('5'));
}

void COutCallForm::on_pushButton_6_clicked()
{
    pressKey(QLatin1Char('6'));
}

void COutCallForm::on_pushButton_7_clicked()
{
    pressKey(QLatin1Char('7'));
}

void COutCallForm::on_pushButton_8_clicked()
{
    pressKey(QLatin1Char('8'));
}

void COutCallForm::on_pushButton_9_clicked()
{
    pressKey(QLatin1Char('9'));
}

void COutCallForm::on_pushButton_star_clicked()
{
    pressKey(QLatin1Char('*'));
}

void COutCallForm::on_pushButton_0_clicked()
{
    pressKey(QLatin1Char('0'));
}

void COutCallForm::on_pushButton_hash_clicked()
{
    pressKey(QLatin1Char('#'));
}

bool COutCallForm::inConnectedCall() const
{
    return m_uc20 && m_uc20->callState() == VOICECALL_ACTIVE;
}

void COutCallForm::pressKey(QChar key)
{
    if (inConnectedCall()) {
        m_uc20->sendATCmd(QStringLiteral("AT+VTS=\"%1\"").arg(key));
        showToneSent(key);
        return;
    }
    ui->lineEdit_phonenumber->setText(ui->lineEdit_phonenumber->text() + key);
}

bool COutCallForm::typeDialKey(const QKeyEvent* event)
{
    // With Ctrl, Alt or Meta a key is a shortcut of the window, not a digit.
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = event->text();
    // "+" begins an international number; there is no tone for it.
    if (text == QLatin1String("+") && !inConnectedCall()) {
        ui->lineEdit_phonenumber->setText(ui->lineEdit_phonenumber->text() + text);
        return true;
    }
    if (text.size() != 1 || !QStringLiteral("0123456789*#").contains(text.at(0)))
        return false;
    // A held key sends one tone, not a stream of commands to the module.
    if (!(event->isAutoRepeat() && inConnectedCall()))
        pressKey(text.at(0));
    return true;
}

void COutCallForm::keyPressEvent(QKeyEvent* event)
{
    if (typeDialKey(event)) {
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Backspace && event->modifiers() == Qt::NoModifier) {
        QString text = ui->lineEdit_phonenumber->text();
        text.chop(1);
        ui->lineEdit_phonenumber->setText(text);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool COutCallForm::eventFilter(QObject* watched, QEvent* event)
{
    // Outside a call the field edits itself, at its cursor.
    if (watched == ui->lineEdit_phonenumber && event->type() == QEvent::KeyPress && inConnectedCall()
        && typeDialKey(static_cast<QKeyEvent*>(event)))
        return true;
    return QWidget::eventFilter(watched, event);
}

void COutCallForm::showToneSent(QChar key)
{
    // A key sent on from the keyboard shows nowhere else: the number field stays as it is.
    m_tonesSent = (m_tonesSent + key).right(ShownTones);
    QStringList keys;
    for (const QChar sent : qAsConst(m_tonesSent))
        keys << sent;
    ui->label_toneSent->setText(tr("Tone sent: %1").arg(keys.join(QLatin1Char(' '))));
    m_toneTimer->start();
}
