// The engine's linear congruential generator and the random byte arrays cut
// from it. The generator is engine-wide; seeding sets its state directly.
#include "core/random.h"

#include <cstdlib>

#include "core/engine_state.h"
#include "core/memory.h"

namespace mrv {

namespace {
constexpr uint32_t kRandMultiplier = 214013u;
constexpr uint32_t kRandIncrement = 2531011u;
uint32_t gRandomState = 0;
}  // namespace

void seedRandom(uint32_t seed) { gRandomState = seed; }

int32_t nextRandom() {
    gRandomState = gRandomState * kRandMultiplier + kRandIncrement;  // wraps mod 2^32
    return static_cast<int32_t>((gRandomState >> 16) & kRandMax);
}

uint32_t randomState() { return gRandomState; }

bool makeRandArrayByte(RandArrayByte& array, int32_t modulus, int32_t length) {
    const int32_t seed = static_cast<int32_t>(engine().core.randomSeed);
    if (array.data && array.length == length && array.modulus == modulus && array.seed == seed)
        return true;
    if (length < 0 || modulus <= 0) return false;
    uint8_t* bytes = allocArray<uint8_t>(static_cast<uint64_t>(length));
    if (!bytes) return false;
    seedRandom(static_cast<uint32_t>(seed));
    for (int32_t i = 0; i < length; ++i)
        bytes[i] = static_cast<uint8_t>(nextRandom() % modulus);
    std::free(array.data);
    array.data = bytes;
    array.length = length;
    array.modulus = modulus;
    array.seed = seed;
    return true;
}

void freeRandArrayByte(RandArrayByte& array) {
    releaseBuffer(array.data);
    array.length = 0;
}

}  // namespace mrv
