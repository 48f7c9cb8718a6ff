#pragma once

// What every reward dialog test stands on: a fresh folder as the current
// directory (where the dialogs look for pictures and jokes), a settings file
// in it, the sounds asked for, and a fixed clock.

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <cstdint>
#include <memory>

#include "drill/clock.h"
#include "settings/profile.h"
#include "shell/soundplayer.h"

inline void setClock(std::int64_t seconds) {
    Clock::SetSource([seconds] { return seconds; });
}

class RewardScene {
protected:
    void enterScene() {
        m_dir = std::make_unique<QTemporaryDir>();
        m_oldCurrent = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir->path()));
        m_profile = std::make_unique<CProfile>(m_dir->filePath("ollo.INI"));
        m_sounds.clear();
        SetSoundObserver([this](const QString& name) { m_sounds << name; });
        setClock(1000);
    }
    void leaveScene() {
        SetSoundObserver({});
        Clock::SetSource({});
        QDir::setCurrent(m_oldCurrent);
        m_profile.reset();
        m_dir.reset();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CProfile> m_profile;
    QString m_oldCurrent;
    QStringList m_sounds;
};
