// Demo stage: demoUndoAndSmudge (filled in as the capability lands).
#include <cstdio>

#include "demo.h"

bool demoUndoAndSmudge(DemoContext& ctx) {
    std::printf("stage demoUndoAndSmudge: not built yet\n");
    return true;
}
