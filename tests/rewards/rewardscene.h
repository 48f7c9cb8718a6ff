#pragma once

// What every reward dialog test stands on: a fresh folder as the current
// directory (where the dialogs look for pictures and jokes), a settings file
// in it, an owner that keeps the sounds asked for, and a fixed clock.

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <cstdint>
#include <memory>

#include "base/clock.h"
#include "base/profile.h"
#include "common/fakehost.h"

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
        m_host = std::make_unique<FakeHost>();
        setClock(1000);
    }
    void leaveScene() {
        m_host.reset();
        Clock::SetSource({});
        QDir::setCurrent(m_oldCurrent);
        m_profile.reset();
        m_dir.reset();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CProfile> m_profile;
    QString m_oldCurrent;
    std::unique_ptr<FakeHost> m_host; // the owner of dialogs made without one
};
