#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <memory>

#include "kit/drillobserver.h"
#include "drill/drillstate.h"
#include "pictures/shownpicture.h"

class Announcer;
class CProfile;
namespace Ui {
class CDrillDialog;
}

// One drill in its window: the task in large type, the answer typed into a
// digits-only field, OK judging it through CDrillState. A correct answer shows
// a praise phrase, a wrong one the "Oh! Oooooh!" choice; either way OK then
// reads "Weiter" and moves on. Closing (after the last task, or the close box)
// writes Parameter/Lobe = the completion flag; cancelling writes nothing.
//
// Settings are read when the dialog is built; the first task is posed by
// exec(), where a "Beliebige Reihe" asks for its number before the window
// shows and ends at once (writing Lobe 0) for a refusal or a number below 2.
//
// For screen readers the task is named in words ("acht mal sieben") and the
// message line by its text, both read with the window as it gets the
// keyboard; after "Lösen" the answer field, which holds the focus, is
// described by the solution in words. News that comes while the keyboard
// stays in the field (the praise, the next task) is announced (Announcer), so
// a screen reader speaks it at once. With Parameter/Vorlesen on, the host
// reads all news aloud as it comes; each new text cuts off the one before,
// and closing the dialog silences it.
// An observer, when given, hears of every task, answer and the end.
class CDrillDialog : public QDialog {
    Q_OBJECT

public:
    // Given the window that opens it; returns CWrongAnswerDlg's result.
    using WrongAnswerChoice = std::function<int(QWidget* owner)>;

    CDrillDialog(CProfile& profile, int commandId, QWidget* parent = nullptr);
    ~CDrillDialog() override;

    // Both run the real dialogs unless replaced (tests answer them here).
    void setWrongAnswerChoice(WrongAnswerChoice choice);
    void setLimitPrompt(CDrillState::LimitPrompt prompt);
    // Not owned; must outlive the drill. Null: nobody watches.
    void setObserver(DrillObserver* observer);
    // Before exec: the drill poses these tasks under this caption, as many
    // tasks as the plan holds (see CDrillState::SetPlan).
    void setPlan(const QString& caption, std::vector<PlannedTask> plan);

    const CDrillState& state() const { return m_state; }
    // The completion flag this drill wrote to Parameter/Lobe as it closed, or
    // 0 when it wrote none (cancelled). The reward step takes it from here:
    // the write may have failed, and a flag in the file may be a killed
    // run's.
    int completionFlag() const { return m_completionFlag; }

    int exec() override;
    void done(int result) override;
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void onOk();
    void advance();
    void onHelp();
    // How news reaches a screen reader: with the window, which is read as it
    // gets the keyboard (the first task, and whatever follows the "Oh!
    // Oooooh!" dialog), or in place, announced while the keyboard stays in
    // the answer field.
    enum class News { WithWindow, InPlace };

    void showTask(News how);
    void applyColours();
    void showNextFaces(bool next);
    void setMessage(const QString& text);
    void tell(const QString& news, News how);
    void writeCompletionFlag();
    void reportEnd(Record::DrillEnd how);

    std::unique_ptr<Ui::CDrillDialog> m_ui;
    CProfile& m_profile;
    int m_commandId = 0;
    WrongAnswerChoice m_wrongAnswerChoice;
    CDrillState::LimitPrompt m_limitPrompt;
    CDrillState m_state;
    QString m_messageText;
    QString m_typedText;
    int m_praiseCount = 0;
    int m_taskCount = 0;
    bool m_soundOn = false;
    bool m_soundPrepared = false;
    bool m_readAloud = false;
    DrillObserver* m_observer = nullptr;
    Announcer* m_announcer = nullptr;
    // Since the current task was shown, or its field emptied for another try.
    QElapsedTimer m_thinking;
    // Set by the last Advance, so that the close it causes counts as done.
    bool m_allDone = false;
    bool m_endReported = false;
    int m_completionFlag = 0;
    ShownPicture m_backdrop{PictureFit::Stretched, PictureTypes::Bmp};
};
