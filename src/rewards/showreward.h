#pragma once

#include <functional>

#include "rewards/rewardchoice.h"

class CProfile;
class QWidget;

// The reward step, run by the drill launcher after every drill however it
// ended. When Parameter/Lobe is set it runs the reward that
// Parameter/Belohnungsart asks for (see ChooseReward) as a modal dialog over
// owner and then sets Lobe back to 0; when Lobe is 0 it does and writes
// nothing.
void ShowReward(CProfile& profile, QWidget* owner);

// Runs one reward dialog modally and returns when it is gone. Tests replace
// it; an empty function brings back the real dialogs.
using RewardRunner = std::function<void(RewardKind reward, CProfile& profile, QWidget* owner)>;
void SetRewardRunner(RewardRunner runner);
