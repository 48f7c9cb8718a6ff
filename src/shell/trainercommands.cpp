// The application's command table and its handlers: the series drills,
// "Schwierige Aufgaben", the settings dialogs, "Lernfortschritt" (the
// progress module, loaded when it first opens), the information and help
// items and "Beenden".

#include "shell/trainerapp.h"

#include <QDate>
#include <QMessageBox>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "base/clock.h"
#include "base/settingskeys.h"
#include "base/textstyle.h"
#include "drill/drilllauncher.h"
#include "drill/seriescatalogue.h"
#include "kit/commandids.h"
#include "kit/helpcontexts.h"
#include "kit/modulehost.h"
#include "kit/moduleloader.h"
#include "kit/progressmodule.h"
#include "kit/recordmodule.h"
#include "kit/showhelp.h"
#include "rewards/praiselistdlg.h"
#include "rewards/showreward.h"
#include "settings/fontchooser.h"
#include "settings/optionssheet.h"
#include "settings/sounddlg.h"
#include "shell/bitmapokdlg.h"
#include "shell/infodlg.h"
#include "shell/mainframe.h"

// "Schwierige Aufgaben": as many of the hardest facts as a drill has tasks,
// in the drill dialog of every series, with its reward step.
void CTrainerApp::startHardFacts() {
    if (!openRecord()) {
        reportNoRecord(QStringLiteral("Schwierige Aufgaben"));
        return;
    }
    const int count = std::max(1, m_profile.GetInt(Section::Parameter, Key::TaskCount, 0));
    const std::optional<std::vector<Record::Fact>> facts = m_record->hardFacts(Clock::NowSeconds(), count);
    if (facts && facts->empty()) {
        QMessageBox::information(
            m_mainFrame.get(), QStringLiteral("Schwierige Aufgaben"),
            QStringLiteral("Du hast noch keine Aufgaben geübt, aus denen Ollo die "
                           "schwierigen heraussuchen könnte. Übe zuerst ein paar Reihen – "
                           "dann weiß Ollo, welche Aufgaben du noch üben solltest."));
        return;
    }
    if (!facts) {
        if (!m_record->canRead()) {
            QMessageBox::information(m_mainFrame.get(), QStringLiteral("Schwierige Aufgaben"),
                                     QStringLiteral("Ollo kann den Lernverlauf gerade nicht lesen: %1")
                                         .arg(m_record->faultReason()));
            return;
        }
        // The record is there but its reading failed: the child is not told
        // that nothing was practised, and the reason waits for a grown-up.
        QMessageBox box(QMessageBox::Information, QStringLiteral("Schwierige Aufgaben"),
                        QStringLiteral("Ollo kann gerade nicht nachsehen, welche Aufgaben dir noch "
                                       "schwerfallen. Übe so lange eine Reihe aus dem Menü."),
                        QMessageBox::Ok, m_mainFrame.get());
        box.setDetailedText(m_record->report(QDate::currentDate()).unreadable);
        box.exec();
        return;
    }
    std::vector<PlannedTask> plan;
    for (const Record::Fact& fact : *facts)
        plan.push_back({fact.operation, fact.factor, fact.series});
    StartDrill(
        Cmd::HardFacts, QStringLiteral("Schwierige Aufgaben"), std::move(plan), m_profile, m_mainFrame.get(),
        [this](CProfile& profile, QWidget* owner, int earned) {
            ShowReward(profile, owner, earned);
            reportRecordNotice(owner);
        },
        m_record.get());
}

// The application's commands. Each subsystem adds its handlers here; a menu
// item lights up as soon as its command has one.
void CTrainerApp::buildCommandTable() {
    // The 36 series of the four drill menus: each runs one drill.
    for (const SeriesInfo& series : SeriesCatalogue())
        m_commands.add(series.commandId, [this, id = int(series.commandId)] {
            // The record may still be loading; the drill waits for it.
            openRecord();
            // However the drill ended: its own result decides the reward.
            StartDrill(
                id, m_profile, m_mainFrame.get(),
                [this](CProfile& profile, QWidget* owner, int earned) {
                    ShowReward(profile, owner, earned);
                    reportRecordNotice(owner);
                },
                m_record.get());
        });

    m_commands.add(Cmd::HardFacts, [this] { startHardFacts(); });

    // "Optionen": the settings dialogs, owned by the main window.
    m_commands.add(Cmd::Options, [this] {
        COptionsSheet::Run(m_profile, m_mainFrame.get(), [this] {
            if (m_mainFrame)
                m_mainFrame->repaintBackdrop();
        });
    });
    for (const auto& [command, style] :
         {std::pair{Cmd::BigFont, BigFontSection()}, {Cmd::SmallFont, SmallFontSection()}})
        m_commands.add(command, [this, section = style] {
            ChooseTextStyle(m_profile, section.section, section.defaultHeight, section.largestSize,
                            m_mainFrame.get());
        });
    m_commands.add(Cmd::PraiseList, [this] {
        CPraiseListDlg dialog(m_profile, m_mainFrame.get());
        dialog.exec();
    });
    m_commands.add(Cmd::Sound, [this] {
        CSoundDlg dialog(m_profile, m_mainFrame.get());
        dialog.exec();
    });
    m_commands.add(Cmd::Progress, [this] {
        if (!openRecord()) {
            reportNoRecord(QStringLiteral("Lernfortschritt"));
            return;
        }
        ProgressModule* progress =
            LoadModule<ProgressModule>(QStringLiteral("ollo-progress"), ProgramModuleFolders());
        if (progress == nullptr) {
            QMessageBox::information(m_mainFrame.get(), QStringLiteral("Lernfortschritt"),
                                     QString::fromUtf8("Ollo kann den Lernfortschritt nicht zeigen: Ein Teil "
                                                       "des Programms (ollo-progress) fehlt oder lässt sich "
                                                       "nicht laden. Der Lernverlauf wird weiter "
                                                       "aufgezeichnet. Installieren Sie Ollo bitte neu."));
            return;
        }
        progress->showProgress(m_mainFrame.get(), m_mainFrame->host(), *m_record, &m_children);
        // The running child may have a new name.
        m_children.load();
        for (const CChildList::Child& child : m_children.children())
            if (child.baseName == m_recordBase && m_mainFrame) {
                m_childName = child.name;
                m_mainFrame->setChildName(m_childName);
            }
    });
    m_commands.add(Cmd::SwitchChild, [this] { switchChild(); });

    // Information and help (the help items open their topics, nothing else).
    m_commands.add(Cmd::About, [this] {
        CInfoDlg dialog(m_mainFrame.get());
        dialog.exec();
    });
    m_commands.add(Cmd::Contact, [this] {
        CBitmapOkDlg dialog(CBitmapOkDlg::ContactTemplate, m_mainFrame.get());
        dialog.exec();
    });
    m_commands.add(Cmd::Internet, [this] { ShowHelp(m_mainFrame.get(), Help::forCommand(Cmd::Internet)); });
    m_commands.add(Cmd::OwnExercises,
                   [this] { ShowHelp(m_mainFrame.get(), Help::forCommand(Cmd::OwnExercises)); });
    m_commands.add(Cmd::Publisher, [this] { ShowHelp(m_mainFrame.get(), Help::forCommand(Cmd::Publisher)); });

    // Shut-down: the same road as the close box.
    m_commands.add(Cmd::Exit, [this] {
        if (m_mainFrame)
            m_mainFrame->close();
    });
}
