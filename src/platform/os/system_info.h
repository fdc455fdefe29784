// Linux answers for the operating-system services the engine reports to its
// host: memory figures, system colours and metrics, the system directory.
#pragma once

#include <cstdint>

namespace mrv::platform {

struct MemoryFigures {
    uint64_t totalPhysical;  // bytes
    uint64_t availPhysical;
    uint64_t totalPageFile;  // the kernel's commit limit
    uint64_t availPageFile;  // commit limit less what is committed, never below 0
    uint64_t totalVirtual;   // the user address space of this process
    uint64_t availVirtual;   // that space less the process's mapped size
};

// Reads /proc/meminfo (falling back to sysinfo) and /proc/self/status.
MemoryFigures queryMemory();

// Fixed stand-ins for the desktop's colours (0x00BBGGRR) and metrics (pixels).
constexpr int32_t kButtonFaceColor = 0x00F0F0F0;
constexpr int32_t kButtonTextColor = 0x00000000;
constexpr int32_t kCaptionHeight = 23;
constexpr int32_t kSmallCaptionHeight = 23;
constexpr int32_t kFixedFrameHeight = 3;

// The system directory reported to hosts that ask where the system keeps its
// shared files.
constexpr const char* kSystemDirectory = "/usr/share";

}  // namespace mrv::platform
