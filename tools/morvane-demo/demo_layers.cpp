// Demo stage: demoBuildLayers (filled in as the capability lands).
#include <cstdio>

#include "demo.h"

bool demoBuildLayers(DemoContext& ctx) {
    std::printf("stage demoBuildLayers: not built yet\n");
    return true;
}
