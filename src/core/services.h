// Small services of the core that hosts call directly: raw memory blocks,
// file renaming, the start directory, the seed and the display-change flag.
#pragma once

#include <cstdint>

namespace mrv {

int32_t renameFile(const char* oldPath, const char* newPath);
void setStartDirectory(const char* path);
void setRandomSeed(uint32_t seed);

// Raised by whatever watches the display (a host integration or a test);
// MRV_IsDisplayChanged reports it once.
void signalDisplayChange();
int32_t takeDisplayChanged();

// Megabytes of a 64-bit byte count, cut to 32 bits.
int32_t megabytes(uint64_t bytes);

}  // namespace mrv
