// Dab throughput: one MRV_DrawDabGrit per iteration on a 1024 x 1024 canvas
// (brush maximum 256), the dab centre walking over the canvas so that the
// dabs land on fresh and on already painted pixels as in a stroke. Reported
// per dab; items_per_second is dabs per second.
//
// Families: a hard round brush into the current layer and into the
// PaintLayer, a soft round brush (translucent rims, the division path), grit
// from a paper-like texture, pick-up with remix, rotation, and the
// floating-point mode "Soft Light" (42).
#include <benchmark/benchmark.h>
#include <morvane/morvane.h>

#include <cmath>
#include <cstdint>

#include "brush/mix_modes.h"
#include "core/engine_state.h"

using namespace mrv;

namespace {

constexpr int32_t kCanvas = 1024;
constexpr int32_t kBrushMax = 256;

enum class Kind { Hard, HardPaintLayer, Soft, Grit, PickUp, Rotate, SoftLight };

// A round shape of the given size: full inside, and with a soft rim a linear
// ramp over the outer half of the radius.
void makeRoundShape(int32_t size, bool soft) {
    BrushState& b = engine().brush;
    const double r = size * 0.5;
    const int32_t c = size / 2;
    for (int32_t y = 0; y < kBrushMax; ++y) {
        for (int32_t x = 0; x < kBrushMax; ++x) {
            uint16_t v = 0;
            if (y < size && x < size) {
                const double d = std::sqrt(double((x - c) * (x - c) + (y - c) * (y - c)));
                if (d <= r) v = soft ? static_cast<uint16_t>(std::fmin(65535.0, 65535.0 * (r - d) / (r * 0.5))) : 65535;
            }
            b.brushShape[y * kBrushMax + x] = v;
        }
    }
}

void setUp(Kind kind, int32_t size) {
    MRV_SetRandomSeed(7);
    MRV_CreateImage(nullptr, kCanvas, kCanvas, kBrushMax, 0);
    MRV_CreateLayer(1, kCanvas, kCanvas);
    MRV_CreateLayer(2, kCanvas, kCanvas);
    MRV_SetLayer(2);
    BrushState& b = engine().brush;
    b.brushSize = b.dabSize = size;
    for (int32_t i = 0; i < size; ++i) b.dabScaleTable[i] = i;
    b.alphaPercent = 100;
    b.alphaScale = 128;
    b.mixMode = kMixNormal;
    b.mixAmount = 256;
    b.mixInverse = 0;
    b.densityLimit = 255;
    makeRoundShape(size, kind == Kind::Soft);

    switch (kind) {
        case Kind::HardPaintLayer:
            MRV_CreatePaintLayer(100, "Normal");
            break;
        case Kind::Grit:
            // A paper-like grain: grey values from a smooth pattern with noise.
            for (int32_t t = 0; t < kGritTextureCount; ++t) {
                uint8_t* tex = b.gritTextures[t];
                const int32_t side = kBrushMax + kGritMargin;
                for (int32_t i = 0; i < side * side; ++i)
                    tex[i] = static_cast<uint8_t>((i * 2654435761u >> 24) & 0xFF);
            }
            b.gritCellSize = 4;
            b.gritInterval = 8;
            b.gritCountdown = 8;
            b.gritCursor = b.gritTextures[19];
            b.densityLimit = 160;
            break;
        case Kind::PickUp:
            b.blendStrength = 128;
            b.blendInverse = 128;
            b.blendRemix = 1;
            for (int32_t i = 0; i < kBrushMax * kBrushMax; ++i) {
                uint16_t* p = b.blendBuffer.pixels + i * 4;
                p[0] = 0x4000;
                p[1] = 0x8000;
                p[2] = 0xC000;
                p[3] = 0xFFFF;
            }
            break;
        case Kind::Rotate:
            b.rotateMode = 1;
            b.rotateSin = std::sin(30 * (1 / 180.0) * 3.14159);
            b.rotateCos = std::cos(30 * (1 / 180.0) * 3.14159);
            break;
        case Kind::SoftLight:
            b.mixMode = kMixSoftLight;
            b.mixAmount = 200;
            b.mixInverse = 56;
            break;
        default:
            break;
    }
}

void BM_Dab(benchmark::State& state, Kind kind) {
    const int32_t size = static_cast<int32_t>(state.range(0));
    setUp(kind, size);
    BrushState& b = engine().brush;
    int32_t i = 0;
    for (auto _ : state) {
        // A walk with a step of a quarter of the size, wrapping over the canvas.
        const int32_t step = size / 4 + 1;
        const int32_t x = 128 + (i * step) % (kCanvas - 256);
        const int32_t y = 128 + ((i * step) / (kCanvas - 256) * 37) % (kCanvas - 256);
        MRV_DrawDabGrit(x, y, 0xC000 + (i & 0xFF), 0x4000, 0x2000);
        if (kind == Kind::Grit) --b.gritCountdown;
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
    MRV_DeleteImage();
}

}  // namespace

BENCHMARK_CAPTURE(BM_Dab, hard_current_layer, Kind::Hard)->Arg(8)->Arg(16)->Arg(32)->Arg(64)->Arg(128)->Arg(256);
BENCHMARK_CAPTURE(BM_Dab, hard_paint_layer, Kind::HardPaintLayer)->Arg(8)->Arg(32)->Arg(64)->Arg(128)->Arg(256);
BENCHMARK_CAPTURE(BM_Dab, soft_round, Kind::Soft)->Arg(8)->Arg(32)->Arg(64)->Arg(128)->Arg(256);
BENCHMARK_CAPTURE(BM_Dab, grit_paper, Kind::Grit)->Arg(8)->Arg(32)->Arg(64)->Arg(128)->Arg(256);
BENCHMARK_CAPTURE(BM_Dab, pickup_remix, Kind::PickUp)->Arg(8)->Arg(32)->Arg(64)->Arg(128)->Arg(256);
BENCHMARK_CAPTURE(BM_Dab, rotated, Kind::Rotate)->Arg(8)->Arg(32)->Arg(64)->Arg(128)->Arg(256);
BENCHMARK_CAPTURE(BM_Dab, soft_light_42, Kind::SoftLight)->Arg(8)->Arg(32)->Arg(64)->Arg(128)->Arg(256);

BENCHMARK_MAIN();
