// Tool set-up cost: MRV_SetTool with random grit (20 textures of
// (brushSize + 25)^2 cells) and the round brush shape, at several brush sizes.
// Hosts call it on every tool change, so it must stay well under a frame.
#include <benchmark/benchmark.h>
#include <morvane/morvane.h>

namespace {

MRV_ToolRecord gritTool(int32_t cell) {
    MRV_ToolRecord t{};
    t.shapeStrength = 1.0f;
    t.gritCellSize = cell;
    t.gritCellThreshold = 160;
    t.gritPixelThreshold = 200;
    t.shapeSoftness = 128;
    t.gritInterval = 10;
    t.paperPath = "";
    t.shapePath = "";
    return t;
}

// Args: brush size, grit cell size (0 = round shape only).
void BM_SetTool(benchmark::State& state) {
    const int32_t size = static_cast<int32_t>(state.range(0));
    MRV_CreateImage(nullptr, 64, 64, size, 0);
    MRV_SetSize(size);
    const MRV_ToolRecord tool = gritTool(static_cast<int32_t>(state.range(1)));
    for (auto _ : state) {
        MRV_SetTool(tool);
        benchmark::ClobberMemory();
    }
    state.SetLabel(std::to_string(size) + " px brush, cell " + std::to_string(state.range(1)));
    MRV_DeleteImage();
}
BENCHMARK(BM_SetTool)
    ->ArgsProduct({{32, 128, 512, 1000}, {0, 4}})
    ->Unit(benchmark::kMillisecond);

// The round shape alone.
void BM_RoundShape(benchmark::State& state) {
    const int32_t size = static_cast<int32_t>(state.range(0));
    MRV_CreateImage(nullptr, 64, 64, size, 0);
    MRV_SetSize(size);
    MRV_SetTool(gritTool(0));
    for (auto _ : state) {
        MRV_SetBrushShape("", 0);
        benchmark::ClobberMemory();
    }
    MRV_DeleteImage();
}
BENCHMARK(BM_RoundShape)->Arg(64)->Arg(256)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
