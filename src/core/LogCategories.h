#ifndef LOGCATEGORIES_H
#define LOGCATEGORIES_H

#include <QLoggingCategory>

// The program's own diagnostics, one category per subsystem. Only warnings are on unless
// QT_LOGGING_RULES (for example "parlona.gsm.debug=true") or --verbose switches more on.
Q_DECLARE_LOGGING_CATEGORY(lcApp)
Q_DECLARE_LOGGING_CATEGORY(lcLink)
Q_DECLARE_LOGGING_CATEGORY(lcGsm)
Q_DECLARE_LOGGING_CATEGORY(lcAudio)
Q_DECLARE_LOGGING_CATEGORY(lcContacts)
Q_DECLARE_LOGGING_CATEGORY(lcDiagnostics)
Q_DECLARE_LOGGING_CATEGORY(lcVirtualHybrid)

// Switches every parlona category on, down to debug messages, on top of QT_LOGGING_RULES.
void enableVerboseLogging();

#endif // LOGCATEGORIES_H
