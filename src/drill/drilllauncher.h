#pragma once

#include <QString>

#include <functional>
#include <vector>

#include "drill/drillstate.h"

class CProfile;
class DrillObserver;
class QWidget;

// What follows every drill, however it ended: the reward step. earned is
// the drill's completion flag as the dialog closed (1: every task answered
// correctly), 0 when it was cancelled or ended before its first task.
using AfterDrill = std::function<void(CProfile& profile, QWidget* owner, int earned)>;

// Runs one drill of a series command (see seriescatalogue.h): builds the
// drill dialog over owner, runs it modally, whatever its result, destroys it
// and then runs afterDrill with the drill's result. Every series command of the menus calls this.
// observer, when given, watches the drill (drillobserver.h).
void StartDrill(int commandId, CProfile& profile, QWidget* owner, const AfterDrill& afterDrill,
                DrillObserver* observer = nullptr);

// The same for a drill given its tasks (CDrillDialog::setPlan): commandId
// names the drill's help topic and is what the observer hears.
void StartDrill(int commandId, const QString& caption, std::vector<PlannedTask> plan, CProfile& profile,
                QWidget* owner, const AfterDrill& afterDrill, DrillObserver* observer = nullptr);
