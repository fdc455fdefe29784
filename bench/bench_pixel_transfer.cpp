// Pixel transfer at 4000 x 3000: the loaders, the 8-bit readers, the
// compressed blob both ways and the run-length line codecs, each next to a
// plain memcpy of the same number of bytes so that the figures read as a
// ratio to memory bandwidth. Every operation here is one pass over memory.
//
//   Memcpy/RGBA32   48 MB   the size of an RGBA32 canvas (loader input, reader output)
//   Memcpy/RGBA64   96 MB   the size of a layer (loader output, RLE encoder input)
#include <benchmark/benchmark.h>
#include <morvane/morvane.h>

#include <cstring>
#include <vector>

#include "core/engine_state.h"

namespace {

constexpr int kW = 4000, kH = 3000;
constexpr size_t kPixels = size_t{kW} * kH;

// One canvas with a painted layer 2, a partly selected mask and host buffers,
// made once for the whole run.
struct Scene {
    std::vector<uint8_t> rgba32 = std::vector<uint8_t>(kPixels * 4);
    std::vector<uint8_t> rgb24 = std::vector<uint8_t>(kPixels * 3);
    std::vector<uint8_t> blob = std::vector<uint8_t>(kPixels * 4 + kPixels / 100 + 1024);
    int32_t blobLength = 0;
    std::vector<uint8_t> rle = std::vector<uint8_t>(size_t{kW} * 5 * kH);
    std::vector<int32_t> rleLength = std::vector<int32_t>(kH);

    Scene() {
        MRV_CreateImage(nullptr, kW, kH, 64, 0);
        MRV_CreateLayer(1, kW, kH);
        MRV_CreateLayer(2, kW, kH);
        MRV_SetLayer(2);
        // Smooth gradients with flat bands and a transparent margin: runs of
        // about 16 pixels for the codecs, realistic redundancy for zlib.
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) {
                uint8_t* p = &rgba32[(static_cast<size_t>(y) * kW + x) * 4];
                p[0] = static_cast<uint8_t>(x * 255 / kW);
                p[1] = static_cast<uint8_t>(y * 255 / kH);
                p[2] = static_cast<uint8_t>((x / 64 + y / 64) % 2 ? 200 : 40);
                p[3] = (x < 100 || y < 100) ? 0 : 255;
            }
        MRV_LoadRGBA32(rgba32.data(), kW * 4, 0);
        uint16_t* mask = mrv::engine().selection.maskPlane;
        for (size_t i = 0; i < kPixels; ++i) mask[i] = static_cast<uint16_t>((i % kW) * 65535 / (kW - 1));
        blobLength = MRV_GetRGBA32LayerCompressed(blob.data(), 0, static_cast<int32_t>(blob.size()), 2, -1);
    }
};

Scene& scene() {
    static Scene s;
    return s;
}

void BM_Memcpy(benchmark::State& state) {
    const size_t bytes = static_cast<size_t>(state.range(0)) * kPixels;
    std::vector<uint8_t> a(bytes, 1), b(bytes, 0);
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), bytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_Memcpy)->Arg(4)->ArgName("bytesPerPixel")->Arg(8)->Unit(benchmark::kMillisecond);

void BM_LoadRGBA32Layer(benchmark::State& state) {
    Scene& s = scene();
    const int32_t useSelection = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        MRV_LoadRGBA32Layer(s.rgba32.data(), kW * 4, 2, 0, 0, kW, kH, useSelection);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPixels * 8));
}
BENCHMARK(BM_LoadRGBA32Layer)->ArgName("weighted")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_GetRGBA32Layer(benchmark::State& state) {
    Scene& s = scene();
    for (auto _ : state) {
        MRV_GetRGBA32Layer(s.rgba32.data(), kW * 4, 2);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPixels * 8));
}
BENCHMARK(BM_GetRGBA32Layer)->Unit(benchmark::kMillisecond);

void BM_GetRGB24(benchmark::State& state) {
    Scene& s = scene();
    for (auto _ : state) {
        MRV_GetRGB24(s.rgb24.data(), kW * 3);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPixels * 8));
}
BENCHMARK(BM_GetRGB24)->Unit(benchmark::kMillisecond);

void BM_BlobCompress(benchmark::State& state) {
    Scene& s = scene();
    const int32_t level = static_cast<int32_t>(state.range(0));
    int32_t length = 0;
    for (auto _ : state) {
        length = MRV_GetRGBA32LayerCompressed(s.blob.data(), 0, static_cast<int32_t>(s.blob.size()), 2, level);
        benchmark::DoNotOptimize(length);
    }
    state.counters["blobMB"] = length / 1e6;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPixels * 8));
}
BENCHMARK(BM_BlobCompress)->ArgName("level")->Arg(1)->Arg(-1)->Unit(benchmark::kMillisecond);

void BM_BlobLoad(benchmark::State& state) {
    Scene& s = scene();
    for (auto _ : state) {
        benchmark::DoNotOptimize(MRV_LoadRGBA32LayerCompressed(s.blob.data(), 0, s.blobLength, 2));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPixels * 8));
}
BENCHMARK(BM_BlobLoad)->Unit(benchmark::kMillisecond);

void BM_RLEEncodeRows(benchmark::State& state) {
    Scene& s = scene();
    size_t total = 0;
    for (auto _ : state) {
        total = 0;
        for (int y = 0; y < kH; ++y) {
            s.rleLength[y] = MRV_GetRGBA32LayerLineRLE(s.rle.data() + static_cast<size_t>(y) * kW * 5, 2, y);
            total += s.rleLength[y];
        }
        benchmark::ClobberMemory();
    }
    state.counters["encodedMB"] = total / 1e6;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPixels * 8));
}
BENCHMARK(BM_RLEEncodeRows)->Unit(benchmark::kMillisecond);

void BM_RLEDecodeRows(benchmark::State& state) {
    Scene& s = scene();
    for (int y = 0; y < kH; ++y) MRV_GetRGBA32LayerLineRLE(s.rle.data() + static_cast<size_t>(y) * kW * 5, 2, y);
    for (auto _ : state) {
        for (int y = 0; y < kH; ++y) MRV_PutRGBA32LayerLineRLE(s.rle.data() + static_cast<size_t>(y) * kW * 5, 2, y);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPixels * 8));
}
BENCHMARK(BM_RLEDecodeRows)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
