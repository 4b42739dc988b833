#ifndef SESSIONAUTOSTART_H
#define SESSIONAUTOSTART_H

#include <QString>

// Whether the program starts with the operator's desktop session: an XDG autostart entry in the
// user's configuration folder (~/.config/autostart), which every freedesktop session reads at
// login. The entry starts the program in the tray (--minimized); removing it is switching off.
class SessionAutostart
{
public:
    static constexpr const char* EntryName = "com.orvane.ParlonaControl.desktop";

    // The entry in folder (the autostart folder of the user's configuration by default), starting
    // program (this program by default).
    explicit SessionAutostart(const QString& folder = QString(), const QString& program = QString());

    QString entryPath() const;
    // An entry that the session would run: present, and not hidden by the desktop's own settings.
    bool isEnabled() const;
    // Writes or removes the entry; false with the reason when the folder cannot be written.
    bool setEnabled(bool enabled, QString* error);
    // The entry's text.
    QString entry() const;

private:
    QString m_folder;
    QString m_program;
};

#endif // SESSIONAUTOSTART_H
