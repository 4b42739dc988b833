#include "ScreeningTexts.h"

#include <QJsonDocument>
#include <QJsonObject>

QByteArray ScreeningTexts::json()
{
    const QJsonObject texts {
        { QStringLiteral("lang"), tr("en", "the language code of the screening page") },
        { QStringLiteral("title"), tr("Call screening") },
        { QStringLiteral("password"), tr("Password") },
        { QStringLiteral("login"), tr("Log in") },
        { QStringLiteral("logout"), tr("Log out") },
        { QStringLiteral("wrongPassword"), tr("Wrong password") },
        { QStringLiteral("wait"), tr("Too many attempts: try again in %1 s") },
        { QStringLiteral("connected"), tr("Connected") },
        { QStringLiteral("notConnected"), tr("Not connected") },
        { QStringLiteral("sim"), tr("SIM") },
        { QStringLiteral("signal"), tr("Signal") },
        { QStringLiteral("idle"), tr("Idle") },
        { QStringLiteral("ringing"), tr("Ringing") },
        { QStringLiteral("calling"), tr("Calling") },
        { QStringLiteral("active"), tr("On air") },
        { QStringLiteral("silent"), tr("Module not answering") },
        { QStringLiteral("withheld"), tr("Withheld number") },
        { QStringLiteral("unknownName"), tr("Not in the phonebook") },
        { QStringLiteral("calledBefore"), tr("Called %1 times before, last on %2") },
        { QStringLiteral("neverBefore"), tr("First call from this number") },
        { QStringLiteral("answer"), tr("Answer") },
        { QStringLiteral("decline"), tr("Decline") },
        { QStringLiteral("hangUp"), tr("Hang up") },
        { QStringLiteral("dial"), tr("Dial") },
        { QStringLiteral("number"), tr("Number") },
        { QStringLiteral("notes"), tr("Notes for the presenter") },
        { QStringLiteral("callerName"), tr("Caller's name") },
        { QStringLiteral("place"), tr("Place") },
        { QStringLiteral("topic"), tr("Topic") },
        { QStringLiteral("readyForAir"), tr("Ready for air") },
        { QStringLiteral("saveNotes"), tr("Save notes") },
        { QStringLiteral("notesSaved"), tr("Notes saved") },
        { QStringLiteral("toPhonebook"), tr("Save name to phonebook") },
        { QStringLiteral("savedToPhonebook"), tr("Saved to the phonebook") },
        { QStringLiteral("offline"), tr("No connection with the program") },
        { QStringLiteral("loggedOut"), tr("Logged out") },
        { QStringLiteral("refused"), tr("Refused") },
        // The SIM's states, by the words of the remote interface.
        { QStringLiteral("sim_ready"), tr("ready") },
        { QStringLiteral("sim_pin"), tr("PIN needed") },
        { QStringLiteral("sim_puk"), tr("PUK needed") },
        { QStringLiteral("sim_pin2"), tr("PIN2 needed") },
        { QStringLiteral("sim_puk2"), tr("PUK2 needed") },
        { QStringLiteral("sim_network-pin"), tr("network PIN needed") },
        { QStringLiteral("sim_network-puk"), tr("network PUK needed") },
        { QStringLiteral("sim_unknown"), tr("unknown") },
    };
    return QJsonDocument(texts).toJson(QJsonDocument::Compact);
}
