#include "DatabaseLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace {

const char* const databaseFileName = "parlona.db";

} // namespace

DatabaseLocation::DatabaseLocation()
    : m_ownedByUser([](const QFileInfo& directory) { return directory.ownerId() == getuid(); })
{
}

void DatabaseLocation::setOwnerCheck(OwnerCheck check)
{
    m_ownedByUser = std::move(check);
}

QString DatabaseLocation::path(const QString& programDirectory) const
{
    const QString beside = QDir(programDirectory).filePath(QLatin1String(databaseFileName));
    const QFileInfo directory(programDirectory);
    if (QFileInfo::exists(beside) || (directory.isDir() && directory.isWritable() && m_ownedByUser(directory)))
        return beside;

    const QString dataDirectory = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (dataDirectory.isEmpty())
        return beside;
    QDir().mkpath(dataDirectory);
    return QDir(dataDirectory).filePath(QLatin1String(databaseFileName));
}
