#pragma once

// The reward step after a drill. The drill dialog's completion flag is 1 when
// every task was answered correctly (it also leaves it in Parameter/Lobe);
// ShowReward (showreward.h) takes it from the dialog, lets ChooseReward pick
// the picture reward, the joke reward or nothing from Parameter/Belohnungsart,
// runs that dialog and sets Lobe back to 0. The joke reward's text comes from
// jokefile.h.

enum class RewardKind { None, Picture, Joke };

struct RewardStep {
    RewardKind reward = RewardKind::None;
    // Write Parameter/Lobe = 0 once the reward (if any) has run.
    bool resetFlag = false;

    bool operator==(const RewardStep&) const = default;
};

// flag: the drill's completion flag. rewardType: Parameter/Belohnungsart
// (default 3): 0 picture, 1 joke, 2 one of the two at random, anything else
// none; it is not looked at when flag is 0. Type 2 reseeds the random source
// from the clock and draws 0..1: 0 picture, 1 joke.
RewardStep ChooseReward(int flag, int rewardType);

// The picture shown at one paint of the picture reward, Bilder/Bild<k>, of
// count pictures (count must not be 0): reseeds from the clock and draws
// 0..count; count itself becomes count - 1, so the last picture comes twice
// as often as each other.
int PickPictureNumber(int count);

// The joke of the joke reward, "witz<j>.txt", of count jokes: reseeds from the
// clock, then 0 for no joke when count is 0; otherwise draws 0..count, and 0
// becomes 1.
int PickJokeNumber(int count);
