// Memory figures from the kernel. "Physical" is RAM (MemTotal, MemAvailable),
// the "page file" is the commit limit (CommitLimit less Committed_AS) and
// "virtual" is the 47-bit user address space of x86-64 less what this process
// has mapped (VmSize).
#include "platform/os/system_info.h"

#include <sys/sysinfo.h>

#include <cstdio>
#include <cstring>

namespace mrv::platform {

namespace {

constexpr uint64_t kUserAddressSpace = 1ull << 47;

// Looks up "key:" in a /proc file whose values are given in kB.
bool readProcKb(const char* path, const char* key, uint64_t& bytes) {
    FILE* f = std::fopen(path, "r");
    if (!f) return false;
    char line[256];
    const size_t keyLen = std::strlen(key);
    bool found = false;
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, key, keyLen) == 0 && line[keyLen] == ':') {
            unsigned long long kb = 0;
            if (std::sscanf(line + keyLen + 1, "%llu", &kb) == 1) {
                bytes = static_cast<uint64_t>(kb) * 1024u;
                found = true;
            }
            break;
        }
    }
    std::fclose(f);
    return found;
}

}  // namespace

MemoryFigures queryMemory() {
    MemoryFigures m{};
    struct sysinfo si {};
    if (sysinfo(&si) == 0) {
        m.totalPhysical = static_cast<uint64_t>(si.totalram) * si.mem_unit;
        m.availPhysical = static_cast<uint64_t>(si.freeram + si.bufferram) * si.mem_unit;
        m.totalPageFile = static_cast<uint64_t>(si.totalram + si.totalswap) * si.mem_unit;
        m.availPageFile = static_cast<uint64_t>(si.freeram + si.freeswap) * si.mem_unit;
    }
    uint64_t v = 0;
    if (readProcKb("/proc/meminfo", "MemTotal", v)) m.totalPhysical = v;
    if (readProcKb("/proc/meminfo", "MemAvailable", v)) m.availPhysical = v;
    uint64_t limit = 0, committed = 0;
    if (readProcKb("/proc/meminfo", "CommitLimit", limit) &&
        readProcKb("/proc/meminfo", "Committed_AS", committed)) {
        m.totalPageFile = limit;
        m.availPageFile = limit > committed ? limit - committed : 0;
    }
    m.totalVirtual = kUserAddressSpace;
    uint64_t mapped = 0;
    readProcKb("/proc/self/status", "VmSize", mapped);
    m.availVirtual = mapped < kUserAddressSpace ? kUserAddressSpace - mapped : 0;
    return m;
}

}  // namespace mrv::platform
