// Linked into every test: a window of ours that is still alive when the application object goes
// is a leak. The leak sanitizer cannot see it (Qt's own lists still point at it), so it is
// looked for here, and the test fails with its class and name.

#include <QApplication>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace {

void failOnLeakedWindows()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const QWidget* window : windows) {
        std::fprintf(stderr, "Leaked window: %s \"%s\"\n", window->metaObject()->className(),
            qPrintable(window->objectName()));
    }
    if (!windows.isEmpty())
        std::abort();
}

void watchForLeakedWindows()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        qAddPostRoutine(failOnLeakedWindows);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(watchForLeakedWindows)
