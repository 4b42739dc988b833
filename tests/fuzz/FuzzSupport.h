#ifndef FUZZSUPPORT_H
#define FUZZSUPPORT_H

// What every fuzz target shares: how a broken invariant stops the run, a quiet Qt, and the one
// application object the parts under test may need.

#include <QByteArray>
#include <QtGlobal>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>

// Aborts with the failed condition, so that libFuzzer reports a crash and keeps the input.
#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition))                                                                                              \
            fuzzFailed(#condition, __FILE__, __LINE__);                                                                \
    } while (false)

[[noreturn]] inline void fuzzFailed(const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "==fuzz== invariant broken at %s:%d: %s\n", file, line, condition);
    std::abort();
}

// The code under test writes debug lines on some paths; at a million inputs a second they would
// bury libFuzzer's own output. Warnings and worse still go through.
inline void quietQtMessages()
{
    static QtMessageHandler passOn = nullptr;
    passOn = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (type != QtDebugMsg && type != QtInfoMsg)
            passOn(type, context, text);
    });
}

// Creates the application object (QCoreApplication, QGuiApplication or QApplication) once, on
// the offscreen platform unless another is asked for; it lives until the process ends.
template <typename Application> void makeApplication()
{
    static int argc = 1;
    static char name[] = "parlona-fuzz";
    static char* argv[] = { name, nullptr };
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    quietQtMessages();
    static Application* application = new Application(argc, argv);
    Q_UNUSED(application)
}

// Bytes taken as they come, as a QByteArray.
inline QByteArray consumeByteArray(FuzzedDataProvider& data, size_t maxLength)
{
    const std::string bytes = data.ConsumeBytesAsString(data.ConsumeIntegralInRange<size_t>(0, maxLength));
    return QByteArray(bytes.data(), static_cast<int>(bytes.size()));
}

#endif // FUZZSUPPORT_H
