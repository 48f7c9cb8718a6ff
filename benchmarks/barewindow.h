#pragma once

// The yardstick for Ollo's start-up: a bare Qt 6 main window with a menu bar,
// a status bar and a grey client area, 620 x 440 and shown maximised like
// Ollo's. Its
// client area is named "backdrop" and reports its first paint through the
// same probe as Ollo (shell/firstpaintprobe.h), watching for the "backdrop" paint.

#include <memory>

class QMainWindow;

std::unique_ptr<QMainWindow> MakeBareWindow();
