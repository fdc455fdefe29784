// Resampling: flat pictures stay flat, values worked out by hand, 16-bit
// precision kept, refusals.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/imaging/imaging.h"

using namespace mrv::platform;

namespace {

enum Method { kBilinear, kBicubic, kArea, kNearest };

bool run(Method m, const uint8_t* src, int32_t sw, int32_t sh, int32_t ss, uint8_t* dst, int32_t dw, int32_t dh,
         int32_t ds, int32_t bpp) {
    switch (m) {
        case kBilinear: return resizeImage(src, sw, sh, ss, dst, dw, dh, ds, bpp);
        case kBicubic: return resizeImageBicubic(src, sw, sh, ss, dst, dw, dh, ds, bpp);
        case kArea: return decimateImage(src, sw, sh, ss, dst, dw, dh, ds, bpp, 1);
        case kNearest: return simpleResampleImage(src, sw, sh, ss, dst, dw, dh, ds, bpp);
    }
    return false;
}

// A flat picture whose channels differ, so a channel mix-up also shows.
std::vector<uint8_t> flatPixel(int32_t bpp) {
    if (bpp == 8) {
        const uint16_t v[4] = {65535, 12345, 1, 40000};
        std::vector<uint8_t> p(8);
        std::memcpy(p.data(), v, 8);
        return p;
    }
    const uint8_t v[4] = {173, 255, 0, 91};
    return std::vector<uint8_t>(v, v + bpp);
}

struct SizeCase {
    int32_t sw, sh, dw, dh;
};

TEST(Resample, FlatPicturesStayFlatThroughEveryMethodAndPixelSize) {
    const SizeCase sizes[] = {{7, 5, 3, 2}, {3, 2, 11, 7}, {9, 4, 4, 9}, {1, 1, 5, 3}, {6, 6, 1, 1}, {10, 3, 10, 3}};
    for (Method m : {kBilinear, kBicubic, kArea, kNearest}) {
        for (int32_t bpp : {1, 3, 4, 8}) {
            const auto px = flatPixel(bpp);
            for (const auto& s : sizes) {
                const int32_t ss = s.sw * bpp + 2, ds = s.dw * bpp + 3;
                std::vector<uint8_t> src(static_cast<size_t>(ss) * s.sh, 0x5A);
                for (int32_t y = 0; y < s.sh; ++y)
                    for (int32_t x = 0; x < s.sw; ++x) std::memcpy(&src[y * ss + x * bpp], px.data(), bpp);
                std::vector<uint8_t> dst(static_cast<size_t>(ds) * s.dh, 0xC3);
                ASSERT_TRUE(run(m, src.data(), s.sw, s.sh, ss, dst.data(), s.dw, s.dh, ds, bpp));
                for (int32_t y = 0; y < s.dh; ++y) {
                    for (int32_t x = 0; x < s.dw; ++x)
                        ASSERT_EQ(std::memcmp(&dst[y * ds + x * bpp], px.data(), bpp), 0)
                            << "method " << m << " bpp " << bpp << " " << s.sw << "x" << s.sh << "->" << s.dw << "x"
                            << s.dh << " at " << x << "," << y;
                    for (int32_t b = s.dw * bpp; b < ds; ++b) ASSERT_EQ(dst[y * ds + b], 0xC3) << "row padding";
                }
            }
        }
    }
}

std::vector<uint16_t> run16(Method m, const std::vector<uint16_t>& row, int32_t dw) {
    // One row of 16-bit grey in all four channels of 8-byte pixels.
    const int32_t sw = static_cast<int32_t>(row.size());
    std::vector<uint16_t> src(sw * 4), dst(dw * 4);
    for (int32_t x = 0; x < sw; ++x)
        for (int c = 0; c < 4; ++c) src[x * 4 + c] = row[x];
    EXPECT_TRUE(run(m, reinterpret_cast<const uint8_t*>(src.data()), sw, 1, sw * 8,
                    reinterpret_cast<uint8_t*>(dst.data()), dw, 1, dw * 8, 8));
    std::vector<uint16_t> out(dw);
    for (int32_t x = 0; x < dw; ++x) {
        out[x] = dst[x * 4];
        for (int c = 1; c < 4; ++c) EXPECT_EQ(dst[x * 4 + c], out[x]);
    }
    return out;
}

TEST(Resample, SixteenBitPrecisionIsKept) {
    // Bilinear 2 -> 4: centres at 0.25, 0.75, 1.25, 1.75 source pixels:
    // 1000, 0.75*1000 + 0.25*1003 = 1000.75 -> 1001, 1002.25 -> 1002, 1003.
    EXPECT_EQ(run16(kBilinear, {1000, 1003}, 4), (std::vector<uint16_t>{1000, 1001, 1002, 1003}));
    // Area 4 -> 2: (1000 + 1001) / 2 = 1000.5 -> 1001 (half up), (1003 + 1004) / 2 -> 1004.
    EXPECT_EQ(run16(kArea, {1000, 1001, 1003, 1004}, 2), (std::vector<uint16_t>{1001, 1004}));
    // Area 3 -> 2: output 0 covers pixel 0 whole and half of pixel 1:
    // (2*0 + 300) / 3 = 100; output 1: (300 + 2*600) / 3 = 500.
    EXPECT_EQ(run16(kArea, {0, 300, 600}, 2), (std::vector<uint16_t>{100, 500}));
}

TEST(Resample, LinearRampsAndNearestPicks) {
    // A ramp 40 a pixel stays a ramp inside the picture: value = 40 (c - 0.5)
    // for output centre c = (d + 0.5) / 2 when doubling.
    const uint8_t ramp[6] = {0, 40, 80, 120, 160, 200};
    uint8_t out[12];
    ASSERT_TRUE(resizeImageBicubic(ramp, 6, 1, 6, out, 12, 1, 12, 1));
    EXPECT_EQ(out[4], 70);
    EXPECT_EQ(out[5], 90);
    EXPECT_EQ(out[6], 110);
    EXPECT_EQ(out[7], 130);
    ASSERT_TRUE(resizeImage(ramp, 6, 1, 6, out, 12, 1, 12, 1));
    EXPECT_EQ(out[0], 0);   // centre 0.25 reaches only pixel 0
    EXPECT_EQ(out[1], 10);
    EXPECT_EQ(out[6], 110);
    EXPECT_EQ(out[11], 200);
    // Bicubic overshoot at a hard edge is clamped, never wrapped.
    const uint8_t step[4] = {0, 0, 255, 255};
    uint8_t up[16];
    ASSERT_TRUE(resizeImageBicubic(step, 4, 1, 4, up, 16, 1, 16, 1));
    EXPECT_EQ(up[0], 0);
    EXPECT_EQ(up[15], 255);
    for (int i = 1; i < 16; ++i) EXPECT_GE(up[i], up[i - 1]) << "a step must not ring into wrapped values";

    // Nearest: output d takes source (2d + 1) sw / 2dw.
    const uint8_t four[4] = {10, 20, 30, 40};
    uint8_t two[2], eight[8];
    ASSERT_TRUE(simpleResampleImage(four, 4, 1, 4, two, 2, 1, 2, 1));
    EXPECT_EQ(two[0], 20);
    EXPECT_EQ(two[1], 40);
    ASSERT_TRUE(simpleResampleImage(four, 4, 1, 4, eight, 8, 1, 8, 1));
    EXPECT_EQ(std::vector<uint8_t>(eight, eight + 8), (std::vector<uint8_t>{10, 10, 20, 20, 30, 30, 40, 40}));
    // Decimation mode 0 is the same nearest pick.
    ASSERT_TRUE(decimateImage(four, 4, 1, 4, two, 2, 1, 2, 1, 0));
    EXPECT_EQ(two[0], 20);
}

TEST(Resample, TwoDimensionalAreaAverage) {
    // 4 x 4 RGBA -> 2 x 2: each output is the mean of its 2 x 2 block, rounded half up.
    std::vector<uint8_t> src(64);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            for (int c = 0; c < 4; ++c) src[(y * 4 + x) * 4 + c] = static_cast<uint8_t>(y * 40 + x * 10 + c);
    std::vector<uint8_t> dst(16);
    ASSERT_TRUE(decimateImage(src.data(), 4, 4, 16, dst.data(), 2, 2, 8, 4, 1));
    // Top-left block: (0 + 10 + 40 + 50) / 4 = 25 (+ c); top-right: (20+30+60+70)/4 = 45;
    // bottom-left: (80+90+120+130)/4 = 105; bottom-right: 125.
    const uint8_t want[4] = {25, 45, 105, 125};
    for (int i = 0; i < 4; ++i)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(dst[i * 4 + c], want[i] + c) << i << "," << c;
}

TEST(Resample, Refusals) {
    uint8_t src[64] = {}, dst[64];
    std::memset(dst, 0xAA, sizeof dst);
    for (Method m : {kBilinear, kBicubic, kArea, kNearest}) {
        EXPECT_FALSE(run(m, nullptr, 2, 2, 8, dst, 2, 2, 8, 4));
        EXPECT_FALSE(run(m, src, 2, 2, 8, nullptr, 2, 2, 8, 4));
        EXPECT_FALSE(run(m, src, 2, 2, 4, dst, 2, 2, 4, 2));   // 2-byte pixels are not resampled
        EXPECT_FALSE(run(m, src, 2, 2, 7, dst, 2, 2, 8, 4));   // source stride below a row
        EXPECT_FALSE(run(m, src, 2, 2, 8, dst, 2, 2, 7, 4));
        EXPECT_FALSE(run(m, src, 0, 2, 8, dst, 2, 2, 8, 4));
        EXPECT_FALSE(run(m, src, 2, 2, 8, dst, 2, -1, 8, 4));
        EXPECT_FALSE(run(m, src, 2, 2, 8, dst, 100000, 100000, 400000, 4));  // above the pixel limit
    }
    EXPECT_FALSE(decimateImage(src, 2, 2, 8, dst, 1, 1, 4, 4, 2));
    for (uint8_t v : dst) EXPECT_EQ(v, 0xAA);
}

}  // namespace
