#ifndef DATABASELOCATION_H
#define DATABASELOCATION_H

#include <QString>

#include <functional>

class QFileInfo;

// Where the program keeps parlona.db. A file already beside the program is used. A new one is
// made beside the program only in a directory of the user's own (a build tree, a portable
// copy); an installed program's directory belongs to someone else (root), and a file made there
// by one user would leave every other user with one they can only read. Otherwise it lives in the
// user's data folder.
class DatabaseLocation
{
public:
    // Whether a directory belongs to the user who runs the program.
    using OwnerCheck = std::function<bool(const QFileInfo& directory)>;

    DatabaseLocation();

    // Replaces the check of ownership, which by default compares the directory's owner with the
    // user's id.
    void setOwnerCheck(OwnerCheck check);

    // The database's path for a program in the given directory. Makes the data folder when the
    // file goes there; never makes a file.
    QString path(const QString& programDirectory) const;

private:
    OwnerCheck m_ownedByUser;
};

#endif // DATABASELOCATION_H
