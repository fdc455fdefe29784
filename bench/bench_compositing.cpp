// Compositing hot paths, each with 1 worker (the plain loop) and 2 workers:
//
//   Render/zoom:1      1920 x 1080 canvas shown 1:1 in a 1920 x 1080 view
//   Render/zoom:4      the 480 x 270 canvas rectangle magnified into 1920 x 1080
//   Render/scale:2.5   the whole 1920 x 1080 canvas reduced into 768 x 432
//       8 visible layers: an opaque background, Normal layers with soft
//       shapes (transparent, partly and fully covered areas), Multiply,
//       Screen, Overlay, Alpha Normal, a Layer Mask, plus a PaintLayer
//       holding a stroke on the current layer.
//   MergeLayer/Normal, MergeLayer/Multiply   two 4000 x 3000 layers
//   MergeRect          the whole 4000 x 3000 picture of 8 layers
#include <benchmark/benchmark.h>
#include <morvane/morvane.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "compositing/parallel.h"
#include "core/engine_state.h"

namespace {

struct LayerPlan {
    int32_t n;
    const char* mode;
    int32_t percent;
};

// Soft discs on a grid, each with its own colour: about a third of a layer
// is covered, with an alpha ramp at every edge.
void paintShapes(int32_t n, int32_t w, int32_t h, int32_t seed) {
    mrv::LayerSlot& s = mrv::engine().core.layers[n];
    const int32_t cell = 160 + 40 * (seed % 3);
    const float radius = cell * 0.38f;
    for (int32_t y = 0; y < h; ++y) {
        uint16_t* row = s.pixels + static_cast<size_t>(y) * s.stride;
        for (int32_t x = 0; x < w; ++x) {
            const int32_t cx = (x + seed * 37) % cell - cell / 2;
            const int32_t cy = (y + seed * 53) % cell - cell / 2;
            const float d = std::sqrt(static_cast<float>(cx * cx + cy * cy));
            const float cover = std::fmin(1.0f, std::fmax(0.0f, (radius - d) / 24.0f));
            uint16_t* p = row + static_cast<size_t>(x) * 4;
            p[0] = static_cast<uint16_t>((x * 251 + seed * 9000) % 65280);
            p[1] = static_cast<uint16_t>((y * 307 + seed * 5000) % 65280);
            p[2] = static_cast<uint16_t>(((x + y) * 97 + seed * 7000) % 65280);
            p[3] = static_cast<uint16_t>(cover * 65535.0f);
        }
    }
}

void buildPicture(int32_t w, int32_t h, bool withPaintLayer) {
    MRV_CreateImage(nullptr, w, h, 64, 0);
    const LayerPlan plan[] = {{1, "Normal", 100},   {2, "Normal", 100},       {3, "Multiply", 80},
                              {4, "Screen", 70},    {5, "Alpha Normal", 100}, {6, "Normal", 90},
                              {7, "Layer Mask", 100}, {8, "Overlay", 60}};
    for (const LayerPlan& p : plan) {
        MRV_CreateLayer(p.n, w, h);
        MRV_SetLayerOptions(p.n, 1, 0, p.percent, p.mode);
        if (p.n > 1) paintShapes(p.n, w, h, p.n);
    }
    MRV_SetLayer(6);
    if (withPaintLayer) {
        MRV_CreatePaintLayer(100, "Normal");
        mrv::LayerSlot& paint = mrv::engine().core.paintLayer;
        // A diagonal stroke 60 pixels wide.
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = y; x < y + 60 && x < w; ++x) {
                uint16_t* p = paint.pixels + static_cast<size_t>(y) * paint.stride + static_cast<size_t>(x) * 4;
                p[0] = 60000;
                p[1] = 10000;
                p[2] = 20000;
                p[3] = 50000;
            }
    }
}

int gScene = 0;  // 1 = view scene, 2 = merge scene
void viewScene() {
    if (gScene == 1) return;
    buildPicture(1920, 1080, true);
    gScene = 1;
}
void mergeScene() {
    if (gScene == 2) return;
    buildPicture(4000, 3000, false);
    gScene = 2;
}

void renderBench(benchmark::State& state, int32_t zoom, float scale, int32_t w, int32_t h) {
    viewScene();
    mrv::setCompositingThreads(static_cast<int32_t>(state.range(0)));
    MRV_SetScale(zoom, scale);
    MRV_SetViewSize(1920, 1080);
    const int32_t stride = 1920 * 3;
    std::vector<uint8_t> view(static_cast<size_t>(stride) * 1080);
    for (auto _ : state) {
        MRV_Render(view.data(), stride, 0, 0, w, h);
        benchmark::DoNotOptimize(view.data());
    }
    mrv::setCompositingThreads(0);
}

void BM_Render_OneToOne(benchmark::State& state) { renderBench(state, 1, 1.0f, 1920, 1080); }
void BM_Render_Zoom4(benchmark::State& state) { renderBench(state, 4, 1.0f, 480, 270); }
void BM_Render_Scale2_5(benchmark::State& state) { renderBench(state, 1, 2.5f, 1920, 1080); }

void mergeBench(benchmark::State& state, const char* mode) {
    mergeScene();
    mrv::setCompositingThreads(static_cast<int32_t>(state.range(0)));
    MRV_SetLayerOptions(3, 1, 0, 80, mode);
    for (auto _ : state) {
        MRV_MergeLayer(3, 2);
        benchmark::ClobberMemory();
    }
    MRV_SetLayerOptions(3, 1, 0, 80, "Multiply");
    mrv::setCompositingThreads(0);
}

void BM_MergeLayer_Normal(benchmark::State& state) { mergeBench(state, "Normal"); }
void BM_MergeLayer_Multiply(benchmark::State& state) { mergeBench(state, "Multiply"); }

void BM_MergeRect(benchmark::State& state) {
    mergeScene();
    mrv::setCompositingThreads(static_cast<int32_t>(state.range(0)));
    std::vector<uint16_t> out(size_t{4000} * 3000 * 4);
    for (auto _ : state) {
        MRV_MergeRect(out.data(), 0, 0, 4000, 3000);
        benchmark::DoNotOptimize(out.data());
    }
    mrv::setCompositingThreads(0);
}

}  // namespace

BENCHMARK(BM_Render_OneToOne)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Render_Zoom4)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Render_Scale2_5)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MergeLayer_Normal)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MergeLayer_Multiply)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MergeRect)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
