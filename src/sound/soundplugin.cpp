#include "sound/soundplugin.h"

#include "sound/soundplayer.h"

void SoundPlugin::playSound(const QString& fileName) {
    PlaySound(fileName);
}

void SoundPlugin::prepare() {
    PrepareSound();
}
