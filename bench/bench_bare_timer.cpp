// The yardstick of bench/cpu-in-a-call.sh: a Qt program that does nothing but run one 1 ms timer,
// on the same display as the program, without a window. What the program costs in a call is
// read against what this costs in the same round, so that the load of the machine cancels out.
//
//   bench_bare_timer [SECONDS]    (default: until it is ended)

#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    quint64 ticks = 0;
    QTimer timer;
    timer.setInterval(1);
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start();
    const int seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 0;
    if (seconds > 0)
        QTimer::singleShot(seconds * 1000, &app, &QCoreApplication::quit);
    const int status = app.exec();
    return ticks > 0 ? status : 1;
}
