#include "app/scene_random.h"

namespace {

constexpr uint64_t kMultiplier = 0x5DEECE66DULL;
constexpr uint64_t kAddend = 0xB;
constexpr uint64_t kStateMask = (uint64_t{1} << 48) - 1;
constexpr uint64_t kSeedLowBits = 0x330E;
constexpr double kTwoTo48 = 281474976710656.0;

}  // namespace

void SceneRandom::Seed_Random(int seed) {
    // The seed's 32 bits as they lie in memory, whatever its sign.
    const uint64_t high = static_cast<uint32_t>(seed);
    state_ = (high << 16) | kSeedLowBits;
}

double SceneRandom::Random_Uniform() {
    state_ = (kMultiplier * state_ + kAddend) & kStateMask;
    return static_cast<double>(state_) / kTwoTo48;
}
