// morvane-demo: a host of our own that paints a picture from nothing through
// the public header alone. It creates a canvas and its layers, then runs the
// stages of demo.h: layer content, brush strokes, undo and smudging, output.
#include <cstdio>

#include "demo.h"

namespace {

struct LayerPlan {
    int32_t n;
    int32_t opacity;
    const char* mode;
};

bool createLayers(const DemoContext& ctx) {
    const LayerPlan plan[] = {{1, 100, "Normal"},       {2, 100, "Normal"},     {3, 70, "Multiply"},
                              {4, 100, "Alpha Normal"}, {5, 100, "Layer Mask"}, {6, 100, "Normal"}};
    for (const LayerPlan& p : plan) {
        if (!MRV_CreateLayer(p.n, ctx.width, ctx.height)) {
            std::fprintf(stderr, "layer %d could not be created: %s\n", p.n, MRV_GetLastError());
            return false;
        }
        MRV_SetLayerOptions(p.n, 1, 0, p.opacity, p.mode);
        std::printf("layer %d: %s at %d %%\n", p.n, p.mode, p.opacity);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    DemoContext ctx{800, 600, 256, argc > 1 ? argv[1] : "out"};

    MRV_SetRandomSeed(1234);
    MRV_CreateImage(nullptr, ctx.width, ctx.height, ctx.brushMaxSize, 0);
    std::printf("canvas %d x %d, brush maximum %d\n", ctx.width, ctx.height, ctx.brushMaxSize);
    if (!createLayers(ctx)) return 1;
    MRV_SetLayer(2);
    std::printf("%d layers, current layer %d\n", MRV_GetLayerCount(), MRV_GetLayerNum());

    const bool ok = demoBuildLayers(ctx) && demoPaintStrokes(ctx) && demoUndoAndSmudge(ctx) && demoWriteOutputs(ctx);
    if (!ok) {
        std::fprintf(stderr, "demo failed: %s\n", MRV_GetLastError());
        MRV_DeleteImage();
        return 1;
    }
    std::printf("undo memory in use: %d MB\n", MRV_GetCurrentUndoMemory());
    MRV_DeleteImage();
    return 0;
}
