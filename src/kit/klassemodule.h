#pragma once

#include <QtPlugin>

#include <memory>

#include "base/classconfig.h"

class DialogHost;
class QWidget;

// What the class module (ollo-klasse, built with Qt SQL, Charts and
// PrintSupport) offers the program, which loads it only for "ollo --klasse":
// the teacher's view of a class on the school's server.
class KlasseModule {
public:
    virtual ~KlasseModule() = default;
    // The "Klassenübersicht" for the login of the config's service, not yet
    // shown; it connects once shown and says in its window what fails. Help
    // goes to host, which outlives the window.
    virtual std::unique_ptr<QWidget> openClassView(const ClassConfig& config, DialogHost& host) = 0;
};

Q_DECLARE_INTERFACE(KlasseModule, "org.example.ollo.KlasseModule/1")
