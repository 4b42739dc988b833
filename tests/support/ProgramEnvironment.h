#ifndef PROGRAMENVIRONMENT_H
#define PROGRAMENVIRONMENT_H

#include <QProcessEnvironment>
#include <QString>

// For tests that start the real program: an environment whose home, settings and data are the
// given folder's, on the headless platform, so that nothing of the user's is read or written.
QProcessEnvironment isolatedProgramEnvironment(const QString& home);
// The program in the build tree, beside the tests' folder.
QString programPath();

#endif // PROGRAMENVIRONMENT_H
