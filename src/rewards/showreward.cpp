#include "rewards/showreward.h"

#include "base/profile.h"
#include "base/settingskeys.h"
#include "rewards/jokerewarddlg.h"
#include "rewards/picturerewarddlg.h"

namespace {

void runRewardDialog(RewardKind reward, CProfile& profile, QWidget* owner) {
    if (reward == RewardKind::Picture) {
        CPictureRewardDlg dialog(profile, owner);
        dialog.exec();
    } else if (reward == RewardKind::Joke) {
        CJokeRewardDlg dialog(profile, owner);
        dialog.exec();
    }
}

} // namespace

void ShowReward(CProfile& profile, QWidget* owner, int earned, const RewardRunner& runner) {
    const QString section = Section::Parameter;
    const int stored = profile.GetInt(section, Key::Completed, 0);
    if (earned == 0 && stored == 0)
        return;
    const RewardStep step =
        earned == 0 ? RewardStep{} : ChooseReward(earned, profile.GetInt(section, Key::RewardType, 3));
    if (step.reward != RewardKind::None) {
        if (runner)
            runner(step.reward, profile, owner);
        else
            runRewardDialog(step.reward, profile, owner);
    }
    // A flag left set by a run that never got here is cleared as well.
    if (step.resetFlag || stored != 0)
        profile.WriteInt(section, Key::Completed, 0);
}
