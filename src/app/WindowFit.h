#ifndef WINDOWFIT_H
#define WINDOWFIT_H

#include <QRect>

class QAction;
class QDockWidget;
class QStackedWidget;
class QWidget;

// Keeps the main window usable on a laptop screen (1366 x 768) without changing it on a larger
// one: the pages scroll when there is less room than the tallest of them wants, the console can
// be hidden, and the window never opens larger than the screen it is on.
class WindowFit
{
public:
    // Below this available height the console starts hidden, unless the operator chose otherwise.
    static constexpr int RoomyScreenHeight = 900;

    // Puts the page stack into a scroll area, in its place in the layout, and lets the stack ask
    // only for the room of the page on show.
    static void scrollPages(QStackedWidget* stack);
    // The geometry a window that would like wanted gets on a screen of available: as large as
    // wanted where it fits, moved onto the screen, never larger than the screen.
    static QRect fitted(const QRect& wanted, const QRect& available);
    // Moves and shrinks the window onto its screen.
    static void fitOnScreen(QWidget* window);
    // A View action that shows and hides the console dock, remembered in the settings; off by
    // default on a small screen.
    static QAction* consoleToggle(QDockWidget* dock, QWidget* window);
};

#endif // WINDOWFIT_H
