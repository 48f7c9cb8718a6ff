#pragma once

class CProfile;
class QWidget;

// Runs one drill of a series command (see seriescatalogue.h): builds the
// drill dialog over owner, runs it modally, whatever its result, and destroys
// it before returning. Every series command of the menus calls this.
void StartDrill(int commandId, CProfile& profile, QWidget* owner);
