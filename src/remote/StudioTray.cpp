#include "StudioTray.h"

#include "AppContext.h"
#include "CUSBHID.h"
#include "CallParty.h"
#include "CallRegisterTable.h"
#include "DesktopNotifier.h"

#include <QLocale>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>

#include <utility>

namespace {

const QString incomingKind = QStringLiteral("incoming");
const QString missedKind = QStringLiteral("missed");

} // namespace

StudioTray::StudioTray(AppContext* context, DesktopNotifier* notifier, QObject* parent)
    : QObject(parent)
    , m_context(context)
    , m_notifier(notifier)
    , m_trayIcon(new QSystemTrayIcon(this))
{
    m_trayIcon->setObjectName(QStringLiteral("trayIcon"));
    m_trayIcon->setIcon(icon(m_state));
    m_trayIcon->setToolTip(toolTip());
    auto* menu = new QMenu;
    connect(this, &QObject::destroyed, menu, &QObject::deleteLater);
    menu->addAction(tr("Show Parlona Control"), this, &StudioTray::raiseRequested);
    m_trayIcon->setContextMenu(menu);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            emit raiseRequested();
    });
    connect(m_trayIcon, &QSystemTrayIcon::messageClicked, this, &StudioTray::raiseRequested);
    connect(m_notifier, &DesktopNotifier::clicked, this, &StudioTray::raiseRequested);
    connect(m_notifier, &DesktopNotifier::notShown, this, &StudioTray::showBalloon);
}

bool StudioTray::isShown() const
{
    return m_trayIcon->isVisible();
}

void StudioTray::setEnabled(bool enabled)
{
    m_enabled = enabled;
    m_trayIcon->setVisible(enabled && QSystemTrayIcon::isSystemTrayAvailable());
    if (!enabled) {
        m_notifier->close(incomingKind);
        m_notifier->close(missedKind);
    }
}

QString StudioTray::toolTip() const
{
    switch (m_state) {
    case NotConnected:
        return tr("Parlona Control: not connected");
    case Connected:
        return tr("Parlona Control: connected");
    case Ringing:
        return tr("Parlona Control: a call is ringing");
    case OnAir:
        return tr("Parlona Control: call on air");
    }
    return QString();
}

QIcon StudioTray::icon(State state)
{
    // Grey, green, amber, red: the colours of the control bar's states.
    const QColor badge[]
        = { QColor(0x8a, 0x94, 0xa0), QColor(0x25, 0xa5, 0x5f), QColor(0xf0, 0xa0, 0x20), QColor(0xdc, 0x2f, 0x45) };
    QIcon result;
    for (int size : { 32, 48 }) {
        QPixmap pixmap = QPixmap(QStringLiteral(":/resources/icons/parlona-control-%1.png").arg(size));
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const double diameter = size * 0.46;
        painter.setPen(QPen(Qt::white, size / 16.0));
        painter.setBrush(badge[state]);
        painter.drawEllipse(QRectF(size - diameter - 1, size - diameter - 1, diameter, diameter));
        result.addPixmap(pixmap);
    }
    return result;
}

void StudioTray::onConnectionChange()
{
    if (!m_context->usb->isConnected()) {
        m_callState = VOICECALL_IDLE;
        m_notifier->close(incomingKind);
    }
    setState(m_context->usb->isConnected() ? Connected : NotConnected);
}

void StudioTray::onVoicecallStateChange(VOICECALL_STATE state, QString number)
{
    const VOICECALL_STATE before = std::exchange(m_callState, state);
    if (state == VOICECALL_INCOMING && before != VOICECALL_INCOMING && m_enabled)
        m_notifier->show(incomingKind, tr("Incoming call"), partyText(number), true);
    else if (state != VOICECALL_INCOMING && before == VOICECALL_INCOMING)
        m_notifier->close(incomingKind);
    switch (state) {
    case VOICECALL_INCOMING:
        setState(Ringing);
        break;
    case VOICECALL_ACTIVE:
        setState(OnAir);
        break;
    case VOICECALL_IDLE:
    case VOICECALL_CALLING:
        setState(m_context->usb->isConnected() ? Connected : NotConnected);
        break;
    }
}

void StudioTray::onCallRecorded(QString number, int type, QDateTime start, qint64 /*talkMs*/)
{
    if (type != CallRegisterTable::Missed || !m_enabled)
        return;
    m_notifier->show(missedKind, tr("Missed call"),
        tr("%1 at %2").arg(partyText(number), QLocale().toString(start.time(), QLocale::ShortFormat)), false);
}

void StudioTray::setState(State state)
{
    if (state == m_state)
        return;
    m_state = state;
    m_trayIcon->setIcon(icon(state));
    m_trayIcon->setToolTip(toolTip());
}

void StudioTray::showBalloon(const QString& kind, const QString& summary, const QString& body)
{
    // Without a notification service the tray's own balloon shows the notice, if there is a tray.
    if (!m_trayIcon->isVisible() || !QSystemTrayIcon::supportsMessages())
        return;
    m_trayIcon->showMessage(summary, body, icon(m_state), kind == incomingKind ? 30000 : 10000);
}

QString StudioTray::partyText(const QString& number) const
{
    return CallParty::describe(m_context->database, number);
}
