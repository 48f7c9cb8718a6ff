// The application's command table and its handlers: the series drills,
// "Schwierige Aufgaben", the settings dialogs, "Lernfortschritt" (the
// progress module, loaded when it first opens), the information and help
// items and "Beenden".

#include "shell/trainerapp.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
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

namespace {

// "morgen", "übermorgen", "am Freitag", "am 17. Juni": the day the next facts
// come back, as a child says it.
QString dayWord(QDate today, QDate day) {
    const qint64 days = today.daysTo(day);
    const QLocale german(QLocale::German, QLocale::Germany);
    if (days <= 1)
        return QStringLiteral("morgen");
    if (days == 2)
        return QString::fromUtf8("übermorgen");
    if (days < 7)
        return QStringLiteral("am ") + german.dayName(day.dayOfWeek());
    return QStringLiteral("am ") + german.toString(day, QStringLiteral("d. MMMM"));
}

// What the child hears when nothing is due.
QString nothingDueText(const DueFacts& due, QDate today) {
    const QString first = QString::fromUtf8("Heute ist nichts mehr schwierig");
    if (!due.nextDay.isValid() || due.nextCount <= 0)
        return first + u'.';
    return first + QString::fromUtf8(" – %1 %2 wieder.")
                       .arg(dayWord(today, due.nextDay),
                            due.nextCount == 1 ? QStringLiteral("kommt eine Aufgabe")
                                               : QStringLiteral("kommen %1 Aufgaben").arg(due.nextCount));
}

} // namespace

// "Schwierige Aufgaben": the facts due today, as many as a drill has tasks,
// in the drill dialog of every series, with its reward step; when none is
// due, the child is told when the next come back.
void CTrainerApp::startHardFacts() {
    if (!openRecord()) {
        reportNoRecord(QStringLiteral("Schwierige Aufgaben"));
        return;
    }
    const int count = std::max(1, m_profile.GetInt(Section::Parameter, Key::TaskCount, 0));
    const qint64 now = Clock::NowSeconds();
    const std::optional<DueFacts> due = m_record->hardFacts(now, count);
    if (!due && m_record->canRead()) {
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
    const std::vector<Record::Fact> facts = due ? due->facts : std::vector<Record::Fact>();
    if (facts.empty()) {
        const QString why =
            !due ? QStringLiteral("Ollo kann den Lernverlauf gerade nicht lesen: %1")
                       .arg(m_record->faultReason())
            : due->nextDay.isValid()
                ? nothingDueText(*due, QDateTime::fromSecsSinceEpoch(now).date())
                : QStringLiteral("Du hast noch keine Aufgaben geübt, aus denen Ollo die schwierigen "
                                 "heraussuchen könnte. Übe zuerst ein paar Reihen – dann weiß Ollo, "
                                 "welche Aufgaben du noch üben solltest.");
        QMessageBox::information(m_mainFrame.get(), QStringLiteral("Schwierige Aufgaben"), why);
        return;
    }
    std::vector<PlannedTask> plan;
    for (const Record::Fact& fact : facts)
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
        followChildrenChanges();
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
