// Demo stage: demoPaintStrokes (filled in as the capability lands).
#include <cstdio>

#include "demo.h"

bool demoPaintStrokes(DemoContext& ctx) {
    std::printf("stage demoPaintStrokes: not built yet\n");
    return true;
}
