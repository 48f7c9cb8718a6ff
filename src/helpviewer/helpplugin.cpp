#include "helpviewer/helpplugin.h"

#include "helpviewer/helpdesk.h"

std::unique_ptr<HelpViewer> HelpPlugin::makeViewer(const QString& helpFile, QWidget* owner) {
    return std::make_unique<HelpDesk>(helpFile, owner);
}
