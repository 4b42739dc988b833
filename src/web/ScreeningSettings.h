#ifndef SCREENINGSETTINGS_H
#define SCREENINGSETTINGS_H

#include "ScreeningServer.h"

#include <QString>
#include <QStringList>

// The screening page's settings, group "Screening" of the program's settings. The page is off
// until the operator switches it on; it then listens on the loopback address unless told
// otherwise.
struct ScreeningSettings
{
    bool enabled = false;
    int port = 8480;
    QStringList addresses { QStringLiteral("127.0.0.1") };
    QString certificateFile;
    QString keyFile;
    ScreeningPassword password;

    static ScreeningSettings load();
    // Writes everything but the password, which ScreeningPassword::save() writes when it changes.
    void save() const;
    ScreeningConfig config() const;
    // "127.0.0.1, ::1" -> the addresses; blanks and commas between them.
    static QStringList parseAddresses(const QString& text);
};

#endif // SCREENINGSETTINGS_H
