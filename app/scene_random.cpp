#include "app/scene_random.h"

#include <cstdint>

namespace {

constexpr uint64_t kMultiplier = 0x5DEECE66DULL;
constexpr uint64_t kAddend = 0xB;
constexpr uint64_t kStateMask = (uint64_t{1} << 48) - 1;
constexpr uint64_t kSeedLowBits = 0x330E;
constexpr double kTwoTo48 = 281474976710656.0;

// Before any seeding the state is that of seed 0, as with drand48.
uint64_t g_nRandomState = kSeedLowBits;

}  // namespace

void Seed_Random(int seed) {
    // The seed's 32 bits as they lie in memory, whatever its sign.
    const uint64_t high = static_cast<uint32_t>(seed);
    g_nRandomState = (high << 16) | kSeedLowBits;
}

double Random_Uniform() {
    g_nRandomState = (kMultiplier * g_nRandomState + kAddend) & kStateMask;
    return static_cast<double>(g_nRandomState) / kTwoTo48;
}
