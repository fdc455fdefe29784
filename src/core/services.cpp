// Host services of the core: renaming files (never over an existing name),
// the start directory, the random seed and the display-change flag.
#include "core/services.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/engine_state.h"
#include "core/random.h"

namespace mrv {

int32_t renameFile(const char* oldPath, const char* newPath) {
    if (!oldPath || !newPath) return 0;
    // Renaming onto an existing name must fail rather than replace the file.
    if (renameat2(AT_FDCWD, oldPath, AT_FDCWD, newPath, RENAME_NOREPLACE) == 0) return 1;
    if (errno != EINVAL && errno != ENOSYS) return 0;
    // File systems without RENAME_NOREPLACE: check, then rename.
    struct stat st {};
    if (lstat(newPath, &st) == 0) return 0;
    return std::rename(oldPath, newPath) == 0 ? 1 : 0;
}

void setStartDirectory(const char* path) {
    if (!path) return;
    const size_t n = strnlen(path, kStartDirectorySize);
    if (n >= kStartDirectorySize) return;
    std::memcpy(engine().core.startDirectory, path, n + 1);
}

void setRandomSeed(uint32_t seed) {
    engine().core.randomSeed = seed;
    seedRandom(seed);
}

void signalDisplayChange() { engine().core.displayChanged = 1; }

int32_t takeDisplayChanged() {
    uint8_t& flag = engine().core.displayChanged;
    if (!flag) return 0;
    flag = 0;
    return 1;
}

int32_t megabytes(uint64_t bytes) { return static_cast<int32_t>(static_cast<uint32_t>(bytes >> 20)); }

}  // namespace mrv
