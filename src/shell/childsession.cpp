// The child a run is for: choosing them at the start or with "Kind
// wechseln", switching to their settings, and opening their learning record
// (the record module, loaded in the background as a menu first opens), with
// what the family is told when it cannot be kept.

#include "shell/trainerapp.h"

#include <QApplication>
#include <QMessageBox>

#include <utility>

#include "kit/moduleloader.h"
#include "kit/recordmodule.h"
#include "shell/childchooser.h"
#include "shell/mainframe.h"
#include "shell/singleinstance.h"

bool CTrainerApp::ChooseChild(const QString& child) {
    m_childChosen = true;
    watchTerminationSignals();
    if (m_class.isOn())
        return chooseFromClass(child, nullptr);
    m_children.load();
    if (!child.isEmpty()) {
        const CChildList::Child* named = m_children.find(child);
        return named != nullptr && runFor(*named);
    }
    if (m_children.children().size() == 1)
        return runFor(m_children.children().front());
    return m_children.children().size() < 2 || (chooseChild(nullptr) && !m_terminated);
}

bool CTrainerApp::runForFamily() {
    return runFor({QString(), m_baseName, {}});
}

void CTrainerApp::followChildrenChanges() {
    m_children.load();
    if (m_record && !m_record->historyGivenTo().isEmpty()) {
        // The family's history is the first child's now, and so are the drills to come.
        for (const CChildList::Child& child : m_children.children())
            if (child.baseName == m_record->historyGivenTo()) {
                runFor(child);
                return;
            }
    }
    if (m_recordBase == m_baseName)
        return;
    for (const CChildList::Child& child : m_children.children())
        if (child.baseName == m_recordBase) {
            // The running child may have a new name.
            m_childName = child.name;
            if (m_mainFrame)
                m_mainFrame->setChildName(m_childName);
            return;
        }
    // The running child was removed, the last of them.
    runForFamily();
}

bool CTrainerApp::runFor(const CChildList::Child& child) {
    if (m_instance && m_recordBase != child.baseName) {
        // One running copy per settings file, whichever child it is for.
        auto instance = std::make_unique<SingleInstance>(CProfile::PathFor(child.baseName));
        if (instance->HandOver()) {
            QMessageBox::information(
                m_mainFrame.get(), QStringLiteral("Kind wechseln"),
                child.name.isEmpty() ? QString::fromUtf8("Mit den gemeinsamen Einstellungen ist Ollo schon "
                                                         "in einem anderen Fenster offen. Es kommt jetzt "
                                                         "nach vorn.")
                                     : QString::fromUtf8("Für %1 ist Ollo schon in einem anderen Fenster "
                                                         "offen. Es kommt jetzt nach vorn.")
                                           .arg(child.name));
            return false;
        }
        connect(instance.get(), &SingleInstance::showRequested, this, &CTrainerApp::bringToFront);
        m_instance = std::move(instance);
    }
    m_childName = child.name;
    if (m_recordBase != child.baseName) {
        m_recordBase = child.baseName;
        m_profile = CProfile(CProfile::PathFor(child.baseName));
        // The next record is opened when it is first needed.
        m_record.reset();
    }
    copyDefaultSettings();
    if (m_mainFrame) {
        m_mainFrame->setChildName(m_childName);
        m_mainFrame->repaintBackdrop();
        openRecord();
    }
    return true;
}

bool CTrainerApp::chooseChild(QWidget* owner) {
    QStringList names;
    int current = -1;
    for (const CChildList::Child& child : m_children.children()) {
        if (owner != nullptr && child.baseName == m_recordBase)
            current = int(names.size());
        names << child.name;
    }
    CChildChooser chooser(names, owner, current);
    chooser.setWindowIcon(CMainFrame::ProgramIcon());
    chooser.exec();
    if (chooser.chosen() < 0)
        return false;
    // Copied: runFor may read the list again.
    const CChildList::Child chosen = m_children.children()[size_t(chooser.chosen())];
    return runFor(chosen);
}

void CTrainerApp::tellSetAsideChildren(QWidget* owner) {
    const QString notice = m_children.setAsideNotice();
    if (notice.isEmpty() || std::exchange(m_setAsideTold, true))
        return;
    QMessageBox::information(owner, QStringLiteral("Ollo"), notice);
}

void CTrainerApp::switchChild() {
    if (m_class.isOn()) {
        chooseFromClass({}, m_mainFrame.get());
        return;
    }
    m_children.load();
    tellSetAsideChildren(m_mainFrame.get());
    if (m_children.children().empty()) {
        QMessageBox::information(
            m_mainFrame.get(), QStringLiteral("Kind wechseln"),
            QStringLiteral(
                "Es ist noch kein Kind eingerichtet. Im Fenster „Lernfortschritt“ (Menü Optionen) "
                "richten Sie mit „Kind hinzufügen...“ für jedes Kind eigene Einstellungen und einen "
                "eigenen Lernverlauf ein."));
        return;
    }
    chooseChild(m_mainFrame.get());
}

void CTrainerApp::preloadRecord() {
    if (m_record)
        return;
    PreloadModule(QStringLiteral("ollo-record"), ProgramModuleFolders(), this, [this] { openRecord(); });
}

bool CTrainerApp::openRecord() {
    if (m_record)
        return true;
    RecordModule* module = LoadModule<RecordModule>(QStringLiteral("ollo-record"), ProgramModuleFolders());
    if (module == nullptr)
        return false;
    // The log tells the class's sender what it writes.
    if (m_class.isOn())
        openClassLink();
    m_record = module->openLog(m_recordBase);
    return true;
}

QString CTrainerApp::noRecordText() {
    return QString::fromUtf8("Ollo kann den Lernverlauf nicht führen: Ein Teil des Programms (ollo-record) "
                             "fehlt oder lässt sich nicht laden. Üben geht trotzdem, es wird nur nichts "
                             "aufgezeichnet. Installieren Sie Ollo bitte neu.");
}

void CTrainerApp::reportNoRecord(const QString& title) {
    QMessageBox::information(m_mainFrame.get(), title, noRecordText());
}

void CTrainerApp::reportRecordNotice(QWidget* owner) {
    if (!m_record && !m_noRecordTold) {
        m_noRecordTold = true;
        QMessageBox::warning(owner, QStringLiteral("Ollo"), noRecordText());
        return;
    }
    QString notice = m_record ? m_record->takeNotice() : QString();
    if (m_classLink) {
        const QString classNotice = m_classLink->takeNotice();
        if (!classNotice.isEmpty())
            notice = notice.isEmpty() ? classNotice : notice + QStringLiteral("\n\n") + classNotice;
    }
    if (!notice.isEmpty())
        QMessageBox::warning(owner, QStringLiteral("Ollo"), notice);
}
