#pragma once

#include <functional>

#include "rewards/rewardchoice.h"

class CProfile;
class QWidget;

// The reward step, run by the drill launcher after every drill however it
// ended. When Parameter/Lobe is set it runs the reward that
// Parameter/Belohnungsart asks for (see ChooseReward) as a modal dialog over
// owner and then sets Lobe back to 0; when Lobe is 0 it does and writes
// nothing. runner shows the reward dialog modally and returns when it is
// gone; without one the real dialogs run (tests answer them here).
using RewardRunner = std::function<void(RewardKind reward, CProfile& profile, QWidget* owner)>;
void ShowReward(CProfile& profile, QWidget* owner, const RewardRunner& runner = {});
