#include "progress/progressplugin.h"

#include "progress/progresswindow.h"

void ProgressPlugin::showProgress(QWidget* owner, DialogHost& host, ProgressSource& source,
                                  CChildList* children) {
    CProgressWindow window(source, &host, owner, children);
    window.exec();
}
