#pragma once

#include <cstdint>

// The process-wide random source: a 15-bit linear congruential generator shared
// by the task generator, the praise pick and the reward choices. Reseeding it
// from the clock (in whole seconds) is how every drill and reward starts.

void RandomSeed(std::uint32_t seconds);

// Next value, 0..32767.
int RandomNext();

// 1..n: draws until a value is neither 0 nor greater than n (unsigned compare).
// n must be at least 1, or the draw never ends.
int DrawOneTo(int n);

// 0..n: draws until a value is not greater than n (unsigned compare, so a
// negative n takes the first value).
int DrawZeroTo(int n);

// Reseeds with the clock's current seconds, truncated to 32 bits.
void RandomSeedFromClock();
