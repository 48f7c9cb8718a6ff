#include "rewards/rewardchoice.h"

#include "base/randomsource.h"

RewardStep ChooseReward(int flag, int rewardType) {
    if (flag == 0)
        return {};
    switch (rewardType) {
    case 0:
        return {RewardKind::Picture, true};
    case 1:
        return {RewardKind::Joke, true};
    case 2:
        RandomSeedFromClock();
        return {DrawZeroTo(1) == 0 ? RewardKind::Picture : RewardKind::Joke, true};
    default:
        return {RewardKind::None, true};
    }
}

int PickPictureNumber(int count) {
    RandomSeedFromClock();
    const int k = DrawZeroTo(count);
    return k == count ? count - 1 : k;
}

int PickJokeNumber(int count) {
    RandomSeedFromClock();
    if (count == 0)
        return 0;
    const int j = DrawZeroTo(count);
    return j == 0 ? 1 : j;
}
