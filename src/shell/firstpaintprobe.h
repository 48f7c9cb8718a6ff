#pragma once

// The start-up benchmark's probe (benchmarks/bench_startup.cpp), watching
// from outside the window: installed on the application only when the
// environment variable OLLO_BENCH_FIRST_PAINT is set. Once the widget named
// "backdrop" has painted while on screen, and the event loop comes round
// again (the paint has reached the screen), it prints "first-paint <ns>"
// (CLOCK_MONOTONIC, which the benchmark also reads before it starts the
// program) and ends the program. Header-only, so the bare comparison window
// uses the very same code without linking Ollo.

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>
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

    static void report() {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::printf("first-paint %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
        std::fflush(stdout);
        QCoreApplication::quit();
    }

    bool m_seen = false;
};
