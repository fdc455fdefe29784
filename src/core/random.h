// The engine's one random sequence: a linear congruential generator,
// state = state * 214013 + 2531011 (mod 2^32), result (state >> 16) & 0x7FFF.
// Every random draw of the engine (random byte arrays, grit textures, dab
// variation, the random mix modes) comes from it, so a seed repeats a stroke.
#pragma once

#include "core/core_types.h"

namespace mrv {

constexpr int kRandMax = 0x7FFF;

void seedRandom(uint32_t seed);
int32_t nextRandom();  // 0..32767
uint32_t randomState();

// Fills array with length bytes, byte i = low 8 bits of nextRandom() % modulus,
// after reseeding the generator with randomSeed. An array that already holds
// bytes of the same length, modulus and seed is kept as it is. On a refused
// allocation the array keeps what it had and false is returned.
bool makeRandArrayByte(RandArrayByte& array, int32_t modulus, int32_t length);
void freeRandArrayByte(RandArrayByte& array);

}  // namespace mrv
