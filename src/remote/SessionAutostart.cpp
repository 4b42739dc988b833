#include "SessionAutostart.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>

namespace {

// A path with blanks or quotes is quoted, as desktop entries quote an Exec argument.
QString execArgument(const QString& path)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    if (std::none_of(path.begin(), path.end(), [](QChar c) { return reserved.contains(c); }))
        return path;
    QString quoted = path;
    for (const char* special : { "\\", "\"", "`", "$" })
        quoted.replace(QLatin1String(special), QLatin1String("\\") + QLatin1String(special));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

SessionAutostart::SessionAutostart(const QString& folder, const QString& program)
    : m_folder(folder.isEmpty()
              ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart")
              : folder)
    , m_program(program.isEmpty() ? QCoreApplication::applicationFilePath() : program)
{
}

QString SessionAutostart::entryPath() const
{
    return QDir(m_folder).filePath(QLatin1String(EntryName));
}

bool SessionAutostart::isEnabled() const
{
    if (!QFile::exists(entryPath()))
        return false;
    const QSettings entry(entryPath(), QSettings::IniFormat);
    return entry.value(QStringLiteral("Desktop Entry/Hidden")).toString() != QLatin1String("true")
        && entry.value(QStringLiteral("Desktop Entry/X-GNOME-Autostart-enabled")).toString() != QLatin1String("false");
}

QString SessionAutostart::entry() const
{
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Parlona Control\n"
                          "Comment=Control program for the Orvane Parlona telephone hybrid\n"
                          "Exec=%1 --minimized\n"
                          "Icon=com.orvane.ParlonaControl\n"
                          "Terminal=false\n"
                          "X-GNOME-Autostart-enabled=true\n")
        .arg(execArgument(m_program));
}

bool SessionAutostart::setEnabled(bool enabled, QString* error)
{
    if (!enabled) {
        if (!QFile::exists(entryPath()) || QFile::remove(entryPath()))
            return true;
        *error = QCoreApplication::translate("SessionAutostart", "%1 could not be removed").arg(entryPath());
        return false;
    }
    QSaveFile file(entryPath());
    if (!QDir().mkpath(m_folder) || !file.open(QIODevice::WriteOnly)
        || file.write(entry().toUtf8()) < 0 || !file.commit()) {
        *error = file.errorString().isEmpty() ? m_folder : file.errorString();
        return false;
    }
    return true;
}
