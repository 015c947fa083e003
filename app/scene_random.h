#pragma once

#include <cstdint>

// The game's seed at every start, so that every game draws the same layouts in the same order.
constexpr int kGameSeed = 1234;

// The scene's random numbers: the 48-bit linear congruential generator of POSIX srand48 and
// drand48, written out here so that the sequence of block layouts is the same on every platform.
// The state X has 48 bits; each draw steps X = (0x5DEECE66D X + 0xB) mod 2^48 and returns X / 2^48.
class SceneRandom {
public:
    // Upper 32 bits of the state from `seed`, lower 16 bits 0x330E.
    void Seed_Random(int seed);

    // The next draw, in [0, 1), with every one of its 48 bits exact.
    double Random_Uniform();

private:
    // Before any seeding the state is that of seed 0, as with drand48.
    uint64_t state_ = 0x330E;
};
