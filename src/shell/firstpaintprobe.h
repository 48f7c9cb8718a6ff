#pragma once

// The start-up benchmark's probe (benchmarks/bench_startup.cpp). With the
// environment variable OLLO_BENCH_FIRST_PAINT set, the first call made while
// the window is on screen prints "first-paint <ns>" (CLOCK_MONOTONIC, which
// the benchmark also reads before it starts the program) and ends the
// program. Without the variable it does nothing. Header-only, so the bare
// comparison window uses the very same code without linking Ollo.

#include <QCoreApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <ctime>

inline void ReportFirstPaint(const QWidget* painted) {
    static const bool wanted = qEnvironmentVariableIsSet("OLLO_BENCH_FIRST_PAINT");
    static bool reported = false;
    if (!wanted || reported)
        return;
    // A paint before the window is mapped shows nothing yet.
    const QWindow* window = painted->window()->windowHandle();
    if (window == nullptr || !window->isExposed())
        return;
    reported = true;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::printf("first-paint %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    std::fflush(stdout);
    QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
}
