#pragma once

// For a test that answers a modal window from a timer, trying again until it
// is up: how long the window may take to open, and the clear end of a test
// whose window never opens, instead of one that waits until CTest stops it.

#include <QDeadlineTimer>
#include <QtGlobal>

inline constexpr int kWindowOpensWithinMs = 30000;

// Ends the test, naming the window waited for, once deadline has passed.
inline void GiveUpAfter(const QDeadlineTimer& deadline, const char* window) {
    if (deadline.hasExpired())
        qFatal("%s did not open within %d s", window, kWindowOpensWithinMs / 1000);
}
