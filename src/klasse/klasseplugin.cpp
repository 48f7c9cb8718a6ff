#include "klasse/klasseplugin.h"

#include "klasse/classwindow.h"

std::unique_ptr<QWidget> KlassePlugin::openClassView(const ClassConfig& config, DialogHost& host) {
    return std::make_unique<ClassWindow>(config, &host);
}
