// Adding one line to the console pane, at the main window's console size, when the pane is empty
// and when it holds its CConsole::MaxLines lines (as it does after days of running): each line
// is logged, then the events it raised (layout, the scroll to the end, the paint) are handled,
// as the event loop does between two log lines. The two should cost the same. Without a pause in
// the logging a full pane drops its oldest CConsole::TrimSlack lines at once, in one line of so
// many: that line is the maximum, and its share is in the mean.
//
// Run a Release build: bench_console_append [lines]   (default 1000 timed lines per fill)

#include "CConsole.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <vector>

namespace {

struct Figures
{
    double meanUs;
    double medianUs;
    double p95Us;
    double maxUs;
};

// A line as the module engine writes many of them.
QString lineText(int i)
{
    return QStringLiteral("Parsed: +CLCC: 1,0,0,0,0,\"+31612345678\",145 (line %1)").arg(i);
}

Figures timeLines(CConsole& console, int lines, int first)
{
    std::vector<double> us;
    us.reserve(lines);
    QElapsedTimer timer;
    for (int i = 0; i < lines; ++i) {
        timer.start();
        emit console.info(lineText(first + i));
        QCoreApplication::processEvents();
        us.push_back(timer.nsecsElapsed() / 1000.0);
    }
    std::sort(us.begin(), us.end());
    const double mean = std::accumulate(us.begin(), us.end(), 0.0) / us.size();
    return { mean, us[us.size() / 2], us[us.size() * 95 / 100], us.back() };
}

void fill(CConsole& console, int lines)
{
    for (int i = 0; i < lines; ++i)
        emit console.info(lineText(i));
    QCoreApplication::processEvents();
}

void print(const char* what, int held, const Figures& f)
{
    std::printf("%-26s %5d lines held: mean %7.1f us, median %7.1f us, 95%% %7.1f us, max %8.1f us\n", what, held,
        f.meanUs, f.medianUs, f.p95Us, f.maxUs);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const int lines = argc > 1 ? std::max(10, QString::fromLocal8Bit(argv[1]).toInt()) : 1000;

    CConsole empty;
    empty.setLevelEnabled(CConsole::Info, true);
    empty.resize(900, 150);
    empty.show();
    QCoreApplication::processEvents();
    const Figures atZero = timeLines(empty, lines, 0);
    print("a line into an empty pane", 0, atZero);

    CConsole full;
    full.setLevelEnabled(CConsole::Info, true);
    full.resize(900, 150);
    full.show();
    fill(full, CConsole::MaxLines);
    const Figures atFull = timeLines(full, lines, CConsole::MaxLines);
    print("a line into a full pane", full.lineCount(), atFull);

    std::printf(
        "full / empty: mean %.2f, median %.2f\n", atFull.meanUs / atZero.meanUs, atFull.medianUs / atZero.medianUs);
    return 0;
}
