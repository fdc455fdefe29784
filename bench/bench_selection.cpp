// Selection mask operations on a full 4000 x 3000 canvas: the range masks a
// user runs from a colour picker, and the whole-plane passes. Two source
// pictures: "noise" changes colour at every pixel (the worst case for the
// range masks' last-colour memo), "flat" has runs of 64 equal pixels.
#include <benchmark/benchmark.h>
#include <morvane/morvane.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "selection/mask_parallel.h"

namespace {

constexpr int32_t kWidth = 4000;
constexpr int32_t kHeight = 3000;
constexpr size_t kPixels = static_cast<size_t>(kWidth) * kHeight;

std::vector<uint8_t> makePicture(bool flat) {
    std::vector<uint8_t> img(kPixels * 4);
    uint32_t state = 12345;
    uint32_t colour = 0;
    for (size_t i = 0; i < kPixels; ++i) {
        if (!flat || i % 64 == 0) {
            state ^= state << 13, state ^= state >> 17, state ^= state << 5;
            colour = state;
        }
        std::memcpy(&img[i * 4], &colour, 4);
    }
    return img;
}

// range(0): 1 = plain loop, 2 = both cores.
struct Canvas {
    explicit Canvas(int64_t threads = 2) {
        mrv::setMaskThreadLimit(static_cast<int32_t>(threads));
        MRV_CreateImage(nullptr, kWidth, kHeight, 64, 0);
        MRV_CreateLayer(1, kWidth, kHeight);
        MRV_SetLayer(1);
    }
    ~Canvas() { MRV_DeleteImage(); }
};

void setBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kPixels) * 4);
}

void BM_ColorRange(benchmark::State& state) {
    Canvas c(state.range(0));
    const auto img = makePicture(false);
    for (auto _ : state) MRV_CreateMaskFromRGBAImageColorRange(img.data(), 120, 60, 200, 20, 0);
    setBytes(state);
}
BENCHMARK(BM_ColorRange)->Arg(1)->Arg(2)->ArgName("threads")->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_LuminanceRange(benchmark::State& state) {
    Canvas c(state.range(0));
    const auto img = makePicture(false);
    for (auto _ : state) MRV_CreateMaskFromRGBAImageLuminanceRange(img.data(), 120, 60, 200, 20, 0);
    setBytes(state);
}
BENCHMARK(BM_LuminanceRange)->Arg(1)->Arg(2)->ArgName("threads")->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_HueRange(benchmark::State& state) {
    Canvas c(state.range(1));
    const auto img = makePicture(state.range(0) != 0);
    for (auto _ : state) MRV_CreateMaskFromRGBAImageHueRange(img.data(), 255, 3, 45, 10, 0);
    setBytes(state);
}
BENCHMARK(BM_HueRange)->ArgsProduct({{0, 1}, {1, 2}})->ArgNames({"flat", "threads"})->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_HslRange(benchmark::State& state) {
    Canvas c(state.range(1));
    const auto img = makePicture(state.range(0) != 0);
    for (auto _ : state) MRV_CreateMaskFromRGBAImageHSLRange(img.data(), 255, 3, 45, 0.05, 0.3, 0.3, 0);
    setBytes(state);
}
BENCHMARK(BM_HslRange)->ArgsProduct({{0, 1}, {1, 2}})->ArgNames({"flat", "threads"})->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_InvertMask(benchmark::State& state) {
    Canvas c;
    for (auto _ : state) MRV_InvertMask();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kPixels) * 2);
}
BENCHMARK(BM_InvertMask)->Unit(benchmark::kMillisecond);

void BM_MaskFromImage(benchmark::State& state) {
    Canvas c;
    for (auto _ : state) MRV_CreateMaskFromImage();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kPixels) * 8);
}
BENCHMARK(BM_MaskFromImage)->Unit(benchmark::kMillisecond);

void BM_ApplyMaskToAlpha(benchmark::State& state) {
    Canvas c;
    auto img = makePicture(false);
    MRV_ClearMask(0x8000, 0x8000, 0x8000);
    for (auto _ : state) MRV_ApplyMaskToAlpha_RGBA32(img.data());
    setBytes(state);
}
BENCHMARK(BM_ApplyMaskToAlpha)->Unit(benchmark::kMillisecond);

void BM_SaveLoadMask(benchmark::State& state) {
    Canvas c;
    std::vector<uint8_t> grey(kPixels * 3);
    for (auto _ : state) {
        MRV_SaveMask(grey.data(), kWidth * 3);
        MRV_LoadMask(grey.data(), kWidth * 3, kWidth, kHeight);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kPixels) * 3 * 2);
}
BENCHMARK(BM_SaveLoadMask)->Unit(benchmark::kMillisecond);

// The floor for one pass: copying the picture's bytes once.
void BM_MemcpyPicture(benchmark::State& state) {
    const auto img = makePicture(false);
    std::vector<uint8_t> dst(img.size());
    for (auto _ : state) {
        std::memcpy(dst.data(), img.data(), img.size());
        benchmark::DoNotOptimize(dst.data());
    }
    setBytes(state);
}
BENCHMARK(BM_MemcpyPicture)->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();
