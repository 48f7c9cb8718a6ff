#pragma once

#include <functional>

#include "rewards/rewardchoice.h"

class CProfile;
class QWidget;

// The reward step, run by the drill launcher after every drill however it
// ended. earned is the completion flag of the drill that has just closed, as
// the drill dialog holds it: when it is set, the reward that
// Parameter/Belohnungsart asks for (see ChooseReward) runs as a modal dialog
// over owner. The flag the dialog wrote to Parameter/Lobe only hands the
// result over when all goes well: a read-only file or a full disk kept it
// from being written, and a program killed during a reward left it at 1, so
// it decides nothing here. Lobe is set back to 0 after a reward, and
// whenever it is found set; otherwise nothing is written. runner shows the
// reward dialog modally and returns when it is gone; without one the real
// dialogs run (tests answer them here).
using RewardRunner = std::function<void(RewardKind reward, CProfile& profile, QWidget* owner)>;
void ShowReward(CProfile& profile, QWidget* owner, int earned, const RewardRunner& runner = {});
