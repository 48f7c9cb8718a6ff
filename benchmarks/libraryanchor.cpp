// Linked into the bare window's twin so that it loads the Qt libraries Ollo
// loads (sound, help, pictures, the progress window's chart and database).
// Never called: the references are enough.

#include <QAudioDevice>
#include <QChart>
#include <QHelpEngineCore>
#include <QMediaDevices>
#include <QSqlDatabase>
#include <QSvgRenderer>

void OlloLibraryAnchor() {
    QMediaDevices::defaultAudioOutput();
    QHelpEngineCore engine{QString()};
    QSvgRenderer renderer;
    QChart chart;
    QSqlDatabase::drivers();
}
