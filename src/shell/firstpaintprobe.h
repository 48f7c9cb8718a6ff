#pragma once

// The start-up benchmark's probe (benchmarks/bench_startup.cpp; a test of
// the whole program also waits for it), watching from outside the window:
// installed on the application only when the environment variable
// OLLO_BENCH_FIRST_PAINT is set. Once the widget named "backdrop" has painted
// while on screen, and the event loop comes round again (the paint has
// reached the screen), it prints "first-paint <ns> <kB>" (CLOCK_MONOTONIC,
// which the benchmark also reads before it starts the program, and the
// resident set then) and ends the program. With OLLO_BENCH_SETTLE_MS set, it
// first waits that long more, for what starts after the first paint (the
// icon), and prints "settled <kB>". Header-only, so the bare comparison
// window uses the very same code without linking Ollo.

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

class FirstPaintProbe : public QObject {
public:
    static void InstallIfWanted() {
        if (qEnvironmentVariableIsSet("OLLO_BENCH_FIRST_PAINT"))
            QCoreApplication::instance()->installEventFilter(
                new FirstPaintProbe(QCoreApplication::instance()));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (m_seen || event->type() != QEvent::Paint || watched->objectName() != QLatin1String("backdrop"))
            return false;
        // A paint before the window is mapped shows nothing yet.
        const auto* widget = qobject_cast<QWidget*>(watched);
        const QWindow* window = widget ? widget->window()->windowHandle() : nullptr;
        if (window == nullptr || !window->isExposed())
            return false;
        m_seen = true;
        QTimer::singleShot(0, this, &FirstPaintProbe::report);
        return false;
    }

private:
    using QObject::QObject;

    // VmRSS of /proc/self/status, 0 when unknown.
    static long residentKb() {
        long kb = 0;
        if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
            char line[256];
            while (std::fgets(line, sizeof line, status) != nullptr)
                if (std::strncmp(line, "VmRSS:", 6) == 0)
                    kb = std::strtol(line + 6, nullptr, 10);
            std::fclose(status);
        }
        return kb;
    }

    static void report() {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::printf("first-paint %lld %ld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec,
                    residentKb());
        std::fflush(stdout);
        const int settleMs = qEnvironmentVariableIntValue("OLLO_BENCH_SETTLE_MS");
        if (settleMs <= 0) {
            QCoreApplication::quit();
            return;
        }
        QTimer::singleShot(settleMs, QCoreApplication::instance(), [] {
            std::printf("settled %ld\n", residentKb());
            std::fflush(stdout);
            QCoreApplication::quit();
        });
    }

    bool m_seen = false;
};
