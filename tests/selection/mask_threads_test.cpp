// The range masks split large canvases over two threads; the result must be
// the plain loop's, pixel for pixel.
#include <gtest/gtest.h>
#include <morvane/morvane.h>

#include <cstring>
#include <functional>
#include <vector>

#include "core/engine_state.h"
#include "selection/mask_parallel.h"

using mrv::engine;

namespace {

constexpr int W = 700, H = 500;  // above the size where the split starts
static_assert(static_cast<size_t>(W) * H >= mrv::kMaskParallelMinPixels);

std::vector<uint8_t> noisePicture(size_t bytes, uint32_t seed) {
    std::vector<uint8_t> v(bytes);
    for (size_t i = 0; i < bytes; ++i) {
        seed = seed * 214013u + 2531011u;
        // Runs of repeated pixels too, so that the last-colour memo is exercised.
        v[i] = (i / 4) % 7 < 3 ? static_cast<uint8_t>(seed >> 16) : v[i >= 4 ? i - 4 : i];
    }
    return v;
}

TEST(MaskThreads, SplitPassesMatchThePlainLoop) {
    MRV_CreateImage(nullptr, W, H, 8, 0);
    const size_t n = static_cast<size_t>(W) * H;
    const auto a = noisePicture(n * 4, 1);
    auto b = a;
    for (size_t i = 0; i < n; i += 3) b[i * 4 + 1] ^= 1;
    const auto region = noisePicture(n, 7);
    const auto startPlane = noisePicture(n * 2, 3);

    const std::vector<std::function<void()>> ops = {
        [&] { MRV_CreateMaskFromDiff_RGBA32(a.data(), b.data(), 0x1234); },
        [&] { MRV_CreateMaskFromRGBAImageColor(a.data(), a[0], a[1], a[2], 10); },
        [&] { MRV_CreateMaskFromRGB24ImageColor(a.data(), a[0], a[1], a[2], 10); },
        [&] { MRV_CreateMaskFromFloodMask(region.data(), 20); },
        [&] { MRV_CreateMaskFromRGBAImageColorRange(a.data(), 128, 64, 200, 30, 30); },
        [&] { MRV_CreateMaskFromRGBAImageAlphaRange(a.data(), 100, 20, 40); },
        [&] { MRV_CreateMaskFromRGBAImageLuminanceRange(a.data(), 128, 64, 200, 10, 50); },
        [&] { MRV_CreateMaskFromRGBAImageHueRange(a.data(), 255, 3, 45, 20, 60); },
        [&] { MRV_CreateMaskFromRGBAImageHSLRange(a.data(), 255, 3, 45, 0.1, 0.4, 0.3, 70); },
    };
    for (size_t k = 0; k < ops.size(); ++k) {
        std::vector<uint16_t> results[2];
        for (int threads = 1; threads <= 2; ++threads) {
            mrv::setMaskThreadLimit(threads);
            std::memcpy(engine().selection.maskPlane, startPlane.data(), n * 2);
            ops[k]();
            results[threads - 1].assign(engine().selection.maskPlane, engine().selection.maskPlane + n);
        }
        EXPECT_EQ(results[0], results[1]) << "operation " << k;
        // The operation did something, and not everywhere.
        size_t changed = 0;
        for (size_t i = 0; i < n; ++i) changed += results[0][i] != reinterpret_cast<const uint16_t*>(startPlane.data())[i];
        EXPECT_GT(changed, 0u) << "operation " << k;
        EXPECT_LT(changed, n) << "operation " << k;
    }

    std::vector<uint8_t> replaced[2];
    for (int threads = 1; threads <= 2; ++threads) {
        mrv::setMaskThreadLimit(threads);
        replaced[threads - 1] = a;
        MRV_ReplaceFromRGBAImageAlphaRange(replaced[threads - 1].data(), 100, 20, 1, 2, 3, 4);
    }
    EXPECT_EQ(replaced[0], replaced[1]);
    EXPECT_NE(replaced[0], a);
    MRV_DeleteImage();
}

}  // namespace
