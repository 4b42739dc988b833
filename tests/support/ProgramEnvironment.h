#ifndef PROGRAMENVIRONMENT_H
#define PROGRAMENVIRONMENT_H

#include <QProcessEnvironment>
#include <QString>

// For tests that start the real program: an environment whose home, settings and data are the
// given folder's, on the headless platform, so that nothing of the user's is read or written.
QProcessEnvironment isolatedProgramEnvironment(const QString& home);
// The program in the build tree, beside the tests' folder.
QString programPath();
// For tests of the program's classes in the test process: its name, and settings kept in the
// given folder instead of the user's.
void isolateSettings(const QString& folder);

#endif // PROGRAMENVIRONMENT_H
