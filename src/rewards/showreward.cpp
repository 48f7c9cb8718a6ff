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

void ShowReward(CProfile& profile, QWidget* owner, const RewardRunner& runner) {
    const QString section = Section::Parameter;
    const int flag = profile.GetInt(section, Key::Completed, 0);
    if (flag == 0)
        return;
    const RewardStep step = ChooseReward(flag, profile.GetInt(section, Key::RewardType, 3));
    if (step.reward != RewardKind::None) {
        if (runner)
            runner(step.reward, profile, owner);
        else
            runRewardDialog(step.reward, profile, owner);
    }
    if (step.resetFlag)
        profile.WriteInt(section, Key::Completed, 0);
}
