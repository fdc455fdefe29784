// Imaging platform hot paths: PNG and JPEG encode and decode of a 4000 x 3000
// picture, every resampler from 4000 x 3000 down to 2000 x 1500 and up to
// 8000 x 6000 at 4 and 8 bytes a pixel, and the overlay copy of a whole
// 4000 x 3000 RGBA64 canvas.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/imaging/imaging.h"

using namespace mrv::platform;

namespace {

constexpr int32_t kW = 4000, kH = 3000;

// A photo-like test picture: smooth gradients with a little grain.
std::vector<uint8_t> picture(int32_t bytesPerPixel) {
    std::vector<uint8_t> img(static_cast<size_t>(kW) * kH * bytesPerPixel);
    uint32_t s = 99;
    for (int32_t y = 0; y < kH; ++y)
        for (int32_t x = 0; x < kW; ++x) {
            s = s * 214013u + 2531011u;
            const int grain = static_cast<int>((s >> 16) & 7);
            const uint8_t v[4] = {static_cast<uint8_t>((x * 255 / kW + grain) & 0xFF),
                                  static_cast<uint8_t>((y * 255 / kH + grain) & 0xFF),
                                  static_cast<uint8_t>(((x + y) * 127 / (kW + kH)) + grain), 255};
            uint8_t* p = &img[(static_cast<size_t>(y) * kW + x) * bytesPerPixel];
            if (bytesPerPixel == 8) {
                for (int c = 0; c < 4; ++c) p[c * 2] = static_cast<uint8_t>(s >> 8), p[c * 2 + 1] = v[c];
            } else {
                for (int c = 0; c < bytesPerPixel; ++c) p[c] = v[c];
            }
        }
    return img;
}

std::string tempFile(const char* ext) { return "/tmp/mrv_bench_" + std::to_string(getpid()) + ext; }

std::vector<uint8_t> slurp(const std::string& path) {
    std::vector<uint8_t> out;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return out;
    std::fseek(f, 0, SEEK_END);
    out.resize(static_cast<size_t>(std::ftell(f)));
    std::fseek(f, 0, SEEK_SET);
    if (std::fread(out.data(), 1, out.size(), f) != out.size()) out.clear();
    std::fclose(f);
    return out;
}

void BM_PngEncode(benchmark::State& state) {
    const auto img = picture(4);
    const std::string path = tempFile(".png");
    for (auto _ : state) {
        if (!writePng(path.c_str(), img.data(), kW, kH, 4, 2835)) state.SkipWithError("write failed");
    }
    state.SetLabel("4000x3000 RGBA32, " + std::to_string(slurp(path).size() / 1024) + " KiB");
    std::remove(path.c_str());
}

void BM_PngDecode(benchmark::State& state) {
    const auto img = picture(4);
    const std::string path = tempFile(".png");
    writePng(path.c_str(), img.data(), kW, kH, 4, 2835);
    const auto bytes = slurp(path);
    std::remove(path.c_str());
    for (auto _ : state) {
        DecodedImage out{};
        if (!readImageToRGBAFromMemory(bytes.data(), bytes.size(), &out)) state.SkipWithError("read failed");
        std::free(out.pixels);
    }
    state.SetLabel("4000x3000 RGBA32");
}

void BM_JpegEncode(benchmark::State& state) {
    const auto img = picture(3);
    const std::string path = tempFile(".jpg");
    for (auto _ : state) {
        if (!writeJpeg(path.c_str(), img.data(), kW, kH, 3, 90, 300)) state.SkipWithError("write failed");
    }
    state.SetLabel("4000x3000 RGB24 q90, " + std::to_string(slurp(path).size() / 1024) + " KiB");
    std::remove(path.c_str());
}

void BM_JpegDecode(benchmark::State& state) {
    const auto img = picture(3);
    const std::string path = tempFile(".jpg");
    writeJpeg(path.c_str(), img.data(), kW, kH, 3, 90, 300);
    const auto bytes = slurp(path);
    std::remove(path.c_str());
    for (auto _ : state) {
        DecodedImage out{};
        if (!readImageToRGBAFromMemory(bytes.data(), bytes.size(), &out)) state.SkipWithError("read failed");
        std::free(out.pixels);
    }
    state.SetLabel("4000x3000 to RGBA32");
}

using Resampler = bool (*)(const uint8_t*, int32_t, int32_t, int32_t, uint8_t*, int32_t, int32_t, int32_t, int32_t);

bool areaAverage(const uint8_t* s, int32_t sw, int32_t sh, int32_t ss, uint8_t* d, int32_t dw, int32_t dh, int32_t ds,
                 int32_t bpp) {
    return decimateImage(s, sw, sh, ss, d, dw, dh, ds, bpp, 1);
}

// Arguments: method index, bytes per pixel, 0 = down to 2000 x 1500, 1 = up to 8000 x 6000.
void BM_Resample(benchmark::State& state) {
    static const Resampler methods[4] = {resizeImage, resizeImageBicubic, areaAverage, simpleResampleImage};
    static const char* names[4] = {"bilinear", "bicubic", "area-average", "nearest"};
    const int method = static_cast<int>(state.range(0));
    const int32_t bpp = static_cast<int32_t>(state.range(1));
    const bool up = state.range(2) == 1;
    const int32_t dw = up ? 8000 : 2000, dh = up ? 6000 : 1500;
    const auto src = picture(bpp);
    std::vector<uint8_t> dst(static_cast<size_t>(dw) * dh * bpp);
    for (auto _ : state) {
        if (!methods[method](src.data(), kW, kH, kW * bpp, dst.data(), dw, dh, dw * bpp, bpp))
            state.SkipWithError("resample failed");
        benchmark::DoNotOptimize(dst.data());
    }
    state.SetLabel(std::string(names[method]) + " 4000x3000->" + std::to_string(dw) + "x" + std::to_string(dh) +
                   " " + std::to_string(bpp) + " B/px");
}

void BM_OverlayCanvas(benchmark::State& state) {
    const auto src = picture(8);
    std::vector<uint8_t> dst(src.size());
    for (auto _ : state) {
        overlayImage(dst.data(), kW, kH, 8, kW * 8, src.data(), kW, kH, kW * 8, 0, 0);
        benchmark::DoNotOptimize(dst.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(src.size()));
    state.SetLabel("4000x3000 RGBA64");
}

BENCHMARK(BM_PngEncode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegEncode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JpegDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Resample)
    ->ArgsProduct({{0, 1, 2, 3}, {4, 8}, {0, 1}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OverlayCanvas)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
