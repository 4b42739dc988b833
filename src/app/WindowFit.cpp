#include "WindowFit.h"

#include <QAction>
#include <QDockWidget>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QStackedWidget>

#include <algorithm>

namespace {

const char* const consoleKey = "ConsoleVisible";

// Only the page on show counts for the stack's size; the others are laid out when they show. The
// pages scroll up and down only: the area is kept as wide as the page on show with a scroll bar.
void sizeToCurrentPage(QStackedWidget* stack, QScrollArea* scroll)
{
    for (int i = 0; i < stack->count(); ++i) {
        QWidget* page = stack->widget(i);
        const bool current = page == stack->currentWidget();
        page->setSizePolicy(current ? QSizePolicy::Preferred : QSizePolicy::Ignored,
            current ? QSizePolicy::Preferred : QSizePolicy::Ignored);
    }
    stack->adjustSize();
    scroll->setMinimumWidth(stack->minimumSizeHint().width() + scroll->verticalScrollBar()->sizeHint().width());
}

int availableHeight(QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry().height() : WindowFit::RoomyScreenHeight;
}

} // namespace

void WindowFit::scrollPages(QStackedWidget* stack)
{
    QWidget* holder = stack->parentWidget();
    auto* scroll = new QScrollArea(holder);
    scroll->setObjectName(QStringLiteral("pageScrollArea"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    if (QLayout* layout = holder->layout())
        delete layout->replaceWidget(stack, scroll);
    scroll->setWidget(stack);
    // The window's own background (and its flash when the caller presses a key) shows through.
    stack->setAutoFillBackground(false);
    scroll->viewport()->setAutoFillBackground(false);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sizeToCurrentPage(stack, scroll);
    QObject::connect(
        stack, &QStackedWidget::currentChanged, stack, [stack, scroll] { sizeToCurrentPage(stack, scroll); });
}

QRect WindowFit::fitted(const QRect& wanted, const QRect& available)
{
    QRect result(wanted.topLeft(), wanted.size().boundedTo(available.size()));
    result.moveLeft(std::clamp(result.left(), available.left(), available.right() + 1 - result.width()));
    result.moveTop(std::clamp(result.top(), available.top(), available.bottom() + 1 - result.height()));
    return result;
}

void WindowFit::fitOnScreen(QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The frame (title bar, borders) takes room too. Before the window manager has framed the
    // window neither its size nor the window's place is known: room for a title bar is kept, and
    // the window is left where the window manager puts it.
    QSize frame = window->frameGeometry().size() - window->geometry().size();
    const bool framed = !frame.isEmpty();
    if (!framed)
        frame = QSize(8, 40);
    const QRect available = screen->availableGeometry();
    const QSize size = window->size().boundedTo(available.size() - frame);
    if (size != window->size())
        window->resize(size);
    const QRect placed = fitted(QRect(window->frameGeometry().topLeft(), size + frame), available);
    // move() places the frame, not the inside.
    if (framed && placed.topLeft() != window->frameGeometry().topLeft())
        window->move(placed.topLeft());
}

QAction* WindowFit::consoleToggle(QDockWidget* dock, QWidget* window)
{
    QAction* toggle = dock->toggleViewAction();
    toggle->setObjectName(QStringLiteral("actionConsole"));
    toggle->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+C")));
    const QVariant chosen = QSettings().value(QLatin1String(consoleKey));
    dock->setVisible(chosen.isValid() ? chosen.toBool() : availableHeight(window) >= RoomyScreenHeight);
    QObject::connect(toggle, &QAction::triggered, dock, [](bool visible) {
        QSettings().setValue(QLatin1String(consoleKey), visible);
    });
    return toggle;
}
