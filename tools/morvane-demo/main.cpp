// morvane-demo: a host of our own that drives the engine through the public
// header alone. It creates a canvas and its layers, configures them and
// reports what the engine answers.
#include <morvane/morvane.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    const std::string outDir = argc > 1 ? argv[1] : "out";
    const int32_t width = 640, height = 480, brushMax = 256;

    MRV_SetRandomSeed(1234);
    MRV_CreateImage(nullptr, width, height, brushMax, 0);
    std::printf("canvas %d x %d, brush maximum %d\n", width, height, brushMax);

    struct LayerPlan { int32_t n; int32_t opacity; const char* mode; };
    const LayerPlan plan[] = {{1, 100, "Normal"}, {2, 100, "Normal"}, {3, 70, "Multiply"},
                              {4, 100, "Alpha Normal"}, {5, 100, "Layer Mask"}};
    for (const LayerPlan& p : plan) {
        if (!MRV_CreateLayer(p.n, width, height)) {
            std::fprintf(stderr, "layer %d could not be created: %s\n", p.n, MRV_GetLastError());
            return 1;
        }
        MRV_SetLayerOptions(p.n, 1, 0, p.opacity, p.mode);
        std::printf("layer %d: %s at %d %%\n", p.n, p.mode, p.opacity);
    }
    MRV_SetLayer(2);
    std::printf("%d layers, current layer %d\n", MRV_GetLayerCount(), MRV_GetLayerNum());
    std::printf("undo memory in use: %d MB of a %d MB budget\n", MRV_GetCurrentUndoMemory(), MRV_GetTotalUndoMemory());

    MRV_CreatePaintLayer(100, "Normal");
    MRV_DeletePaintLayer();
    MRV_DeleteImage();
    std::printf("output folder: %s (pictures arrive as painting lands)\n", outDir.c_str());
    return 0;
}
