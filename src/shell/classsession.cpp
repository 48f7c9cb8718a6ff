// Class mode on a school's class computer (ollo-Klasse.conf found): the
// children are the class's roster, kept on this computer as the school's
// server last sent it, and a sender in the record module takes every drill
// to the server; the status bar says how far that is.

#include "shell/trainerapp.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

#include <cstdio>

#include "base/classroster.h"
#include "kit/moduleloader.h"
#include "kit/recordmodule.h"
#include "shell/childchooser.h"
#include "shell/mainframe.h"
#include "shell/statusline.h"

namespace {

// At most this long a first start waits for the roster from the server.
constexpr int kFirstRosterWaitMs = 8000;

} // namespace

void CTrainerApp::openClassLink() {
    if (m_classLink || !m_class.isOn())
        return;
    RecordModule* module = LoadModule<RecordModule>(QStringLiteral("ollo-record"), ProgramModuleFolders());
    if (module == nullptr)
        return;
    m_classLink = module->openClass(m_class, m_baseName);
    m_classLink->setOnChange([this] { showClassState(); });
    showClassState();
}

void CTrainerApp::showClassState() {
    if (!m_mainFrame || !m_classLink)
        return;
    StatusLine* bar = m_mainFrame->statusLine();
    auto* state = bar->findChild<QLabel*>(QStringLiteral("classState"));
    if (state == nullptr) {
        state = new QLabel(bar);
        state->setObjectName(QStringLiteral("classState"));
        bar->addPermanentWidget(state);
    }
    state->setText(m_classLink->statusText());
    state->setAccessibleName(m_classLink->statusText());
    // A cause for school IT is said at once while nothing else is open;
    // during a drill it waits for the drill's end (reportRecordNotice).
    if (QApplication::activeModalWidget() == nullptr && QApplication::activePopupWidget() == nullptr) {
        const QString notice = m_classLink->takeNotice();
        if (!notice.isEmpty())
            QMessageBox::warning(m_mainFrame.get(), QStringLiteral("Ollo in der Klasse"), notice);
    }
}

bool CTrainerApp::chooseFromClass(const QString& child, QWidget* owner) {
    ClassRoster roster(m_baseName, m_class.className);
    if (roster.children().empty()) {
        // A first start: the roster comes from the server, which may be slow.
        openClassLink();
        if (m_classLink) {
            QEventLoop wait;
            m_classLink->setOnChange([&wait] { wait.quit(); });
            QTimer::singleShot(kFirstRosterWaitMs, &wait, &QEventLoop::quit);
            wait.exec();
            m_classLink->setOnChange([this] { showClassState(); });
        }
        roster.load();
    }
    if (roster.children().empty()) {
        QString why = m_classLink ? m_classLink->takeNotice() : QString();
        if (why.isEmpty())
            why = QStringLiteral(
                "Der Schulserver ist gerade nicht zu erreichen, und auf diesem Rechner ist "
                "noch keine Klassenliste gespeichert. Bitte versuchen Sie es gleich noch einmal.");
        QMessageBox::information(owner, QStringLiteral("Wer rechnet heute?"),
                                 QStringLiteral("Ollo kennt die Kinder der Klasse %1 noch nicht.\n\n%2")
                                     .arg(m_class.className, why));
        return false;
    }
    const ClassRoster::Child* chosen = nullptr;
    if (!child.isEmpty()) {
        chosen = roster.find(child);
        if (chosen == nullptr) {
            QStringList names;
            for (const ClassRoster::Child& each : roster.children())
                names << each.name;
            std::fputs(
                qPrintable(QStringLiteral("%1: In der Klasse %2 gibt es kein Kind namens „%3“. In der "
                                          "Klasse sind: %4.\n")
                               .arg(m_baseName, m_class.className, child, names.join(QStringLiteral(", ")))),
                stderr);
            return false;
        }
    } else {
        QStringList names;
        for (const ClassRoster::Child& each : roster.children())
            names << each.name;
        CChildChooser chooser(names, owner);
        chooser.exec();
        if (chooser.chosen() < 0)
            return false;
        chosen = &roster.children()[size_t(chooser.chosen())];
    }
    return runFor({chosen->name, roster.recordBaseName(chosen->id), {}});
}
