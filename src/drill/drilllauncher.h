#pragma once

#include <functional>

class CProfile;
class DrillObserver;
class QWidget;

// What follows every drill, however it ended: the reward step.
using AfterDrill = std::function<void(CProfile& profile, QWidget* owner)>;

// Runs one drill of a series command (see seriescatalogue.h): builds the
// drill dialog over owner, runs it modally, whatever its result, destroys it
// and then runs afterDrill. Every series command of the menus calls this.
// observer, when given, watches the drill (drillobserver.h).
void StartDrill(int commandId, CProfile& profile, QWidget* owner, const AfterDrill& afterDrill,
                DrillObserver* observer = nullptr);
