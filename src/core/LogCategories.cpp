#include "LogCategories.h"

Q_LOGGING_CATEGORY(lcApp, "parlona.app", QtWarningMsg)
Q_LOGGING_CATEGORY(lcLink, "parlona.link", QtWarningMsg)
Q_LOGGING_CATEGORY(lcGsm, "parlona.gsm", QtWarningMsg)
Q_LOGGING_CATEGORY(lcAudio, "parlona.audio", QtWarningMsg)
Q_LOGGING_CATEGORY(lcContacts, "parlona.contacts", QtWarningMsg)
Q_LOGGING_CATEGORY(lcDiagnostics, "parlona.diagnostics", QtWarningMsg)
Q_LOGGING_CATEGORY(lcVirtualHybrid, "parlona.virtualhybrid", QtWarningMsg)

void enableVerboseLogging()
{
    QLoggingCategory::setFilterRules(QStringLiteral("parlona.*=true"));
}
