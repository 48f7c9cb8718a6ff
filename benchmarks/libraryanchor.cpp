// Linked into the bare window's twin so that it loads the Qt libraries Ollo
// loads (sound, help, pictures). Never called: the references are enough.

#include <QAudioDevice>
#include <QHelpEngineCore>
#include <QMediaDevices>
#include <QSvgRenderer>

void OlloLibraryAnchor() {
    QMediaDevices::defaultAudioOutput();
    QHelpEngineCore engine{QString()};
    QSvgRenderer renderer;
}
