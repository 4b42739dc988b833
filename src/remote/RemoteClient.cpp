#include "RemoteClient.h"

#include "RemoteControl.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QEventLoop>
#include <QMap>
#include <QTimer>
#include <QVariantMap>

RemoteClient::RemoteClient(QDBusConnection bus, QObject* parent)
    : QObject(parent)
    , m_bus(bus)
{
}

int RemoteClient::run(RemoteCommand command, const QString& number)
{
    m_service = chooseProgram();
    if (m_service.isEmpty())
        return ChooseUnit;
    switch (command) {
    case RemoteAnswer:
        return call(QStringLiteral("Answer"), {});
    case RemoteHangUp:
        return call(QStringLiteral("HangUp"), {});
    case RemoteDial:
        return dial(number);
    case RemoteStatus:
        return status();
    case NoRemoteCommand:
        break;
    }
    return 0;
}

int RemoteClient::raise()
{
    m_service = RemoteControl::serviceNameFor(m_unit);
    const int result = call(QStringLiteral("Raise"), {});
    if (result == 0)
        m_output = tr("Parlona Control is already running; its window has been brought forward.") + QLatin1Char('\n');
    return result;
}

int RemoteClient::call(const QString& method, const QVariantList& arguments, QVariant* result)
{
    m_output.clear();
    m_error.clear();
    if (!m_bus.isConnected()) {
        m_error
            = tr("No session bus to reach Parlona Control on: %1").arg(m_bus.lastError().message()) + QLatin1Char('\n');
        return NotRunning;
    }
    QDBusMessage request
        = QDBusMessage::createMethodCall(m_service, RemoteControl::ObjectPath, RemoteControl::InterfaceName, method);
    request.setArguments(arguments);
    const QDBusMessage reply = m_bus.call(request, QDBus::Block, TimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage) {
        if (result && !reply.arguments().isEmpty())
            *result = reply.arguments().constFirst();
        return 0;
    }
    m_error = reply.errorMessage() + QLatin1Char('\n');
    // The program's own refusals carry its error names; anything else means nobody answered.
    if (reply.errorName().startsWith(RemoteControl::ErrorPrefix))
        return Refused;
    if (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown"))
        m_error = tr("Parlona Control is not running.") + QLatin1Char('\n');
    return NotRunning;
}

QString RemoteClient::chooseProgram()
{
    m_error.clear();
    if (!m_unit.isEmpty() || !m_bus.isConnected())
        return RemoteControl::serviceNameFor(m_unit);
    // One program may hold several names (its own and its open unit's): they are told apart by
    // their owner.
    QMap<QString, QStringList> programs; // owner -> its names
    const QStringList names = m_bus.interface()->registeredServiceNames().value();
    for (const QString& name : names) {
        if (name == RemoteControl::ServiceName || !RemoteControl::unitOfServiceName(name).isEmpty())
            programs[m_bus.interface()->serviceOwner(name).value()] << name;
    }
    if (programs.size() < 2) {
        const QStringList only = programs.isEmpty() ? QStringList() : programs.first();
        return only.isEmpty() || only.contains(RemoteControl::ServiceName) ? RemoteControl::ServiceName : only.first();
    }
    QStringList units;
    for (const QStringList& held : qAsConst(programs)) {
        QStringList serials;
        for (const QString& name : held) {
            if (name != RemoteControl::ServiceName)
                serials << RemoteControl::unitOfServiceName(name);
        }
        units << (serials.isEmpty() ? tr("one without a unit") : serials.join(QLatin1Char('/')));
    }
    units.sort();
    m_error = tr("Parlona Control runs for several units (%1): choose one with --unit.")
                  .arg(units.join(QStringLiteral(", ")))
        + QLatin1Char('\n');
    return QString();
}

int RemoteClient::status()
{
    QVariant answer;
    const int result = call(QStringLiteral("Status"), {}, &answer);
    if (result != 0)
        return result;
    const QVariantMap state = qdbus_cast<QVariantMap>(answer);
    const auto text = [&state](const char* key) { return state.value(QLatin1String(key)).toString(); };
    const int quality = state.value(QStringLiteral("signalQuality")).toInt();
    const QString signal = quality == 99
        ? QStringLiteral("unknown")
        : QStringLiteral("%1 (%2 dBm)").arg(quality).arg(state.value(QStringLiteral("signalDbm")).toInt());
    // Keys and values stay in English: scripts read them.
    m_output
        = QStringLiteral("connected: %1\nsim: %2\nsignal: %3\ncall: %4\nnumber: %5\nname: %6\n")
              .arg(state.value(QStringLiteral("connected")).toBool() ? QStringLiteral("yes") : QStringLiteral("no"),
                  text("simState"), signal, text("callState"), text("number"), text("name"));
    return 0;
}

int RemoteClient::dial(const QString& number)
{
    // Listening first: the outcome may come right after the answer to the request.
    const auto listen = [this](const char* signal, const char* slot) {
        return m_bus.isConnected()
            && m_bus.connect(
                m_service, RemoteControl::ObjectPath, RemoteControl::InterfaceName, QLatin1String(signal), this, slot);
    };
    const bool listening = listen("CallStateChanged", SLOT(onCallStateChanged(QString, QString, QString)))
        && listen("DialFailed", SLOT(onDialFailed(QString, QString)));
    const int requested = call(QStringLiteral("Dial"), { number });
    // Without the signals only the program's acceptance is known.
    if (requested != 0 || !listening)
        return requested;

    QEventLoop wait;
    QTimer::singleShot(DialOutcomeMs, &wait, [this] { settleDial(Refused, tr("No answer from the module")); });
    m_dialWait = &wait;
    const int outcome = wait.exec();
    m_dialWait = nullptr;
    return outcome;
}

void RemoteClient::onCallStateChanged(const QString& state, const QString& /*number*/, const QString& /*name*/)
{
    if (state == QLatin1String("calling") || state == QLatin1String("active"))
        settleDial(0, QString());
    else if (state == QLatin1String("idle"))
        settleDial(Refused, tr("The call was not placed"));
}

void RemoteClient::onDialFailed(const QString& /*number*/, const QString& reason)
{
    settleDial(Refused, reason);
}

void RemoteClient::settleDial(int status, const QString& reason)
{
    if (!m_dialWait)
        return;
    if (!reason.isEmpty())
        m_error = reason + QLatin1Char('\n');
    m_dialWait->exit(status);
    m_dialWait = nullptr;
}
