#include "rewards/showreward.h"

#include <utility>

#include "rewards/jokerewarddlg.h"
#include "rewards/picturerewarddlg.h"
#include "settings/profile.h"

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

RewardRunner& runner() {
    static RewardRunner instance;
    return instance;
}

} // namespace

void SetRewardRunner(RewardRunner r) {
    runner() = std::move(r);
}

void ShowReward(CProfile& profile, QWidget* owner) {
    const QString section = QStringLiteral("Parameter");
    const int flag = profile.GetInt(section, QStringLiteral("Lobe"), 0);
    if (flag == 0)
        return;
    const RewardStep step = ChooseReward(flag, profile.GetInt(section, QStringLiteral("Belohnungsart"), 3));
    if (step.reward != RewardKind::None) {
        if (runner())
            runner()(step.reward, profile, owner);
        else
            runRewardDialog(step.reward, profile, owner);
    }
    if (step.resetFlag)
        profile.WriteInt(section, QStringLiteral("Lobe"), 0);
}
