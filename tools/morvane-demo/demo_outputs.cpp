// Demo stage: demoWriteOutputs (filled in as the capability lands).
#include <cstdio>

#include "demo.h"

bool demoWriteOutputs(DemoContext& ctx) {
    std::printf("stage demoWriteOutputs: not built yet\n");
    return true;
}
