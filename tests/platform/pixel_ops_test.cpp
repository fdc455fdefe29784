// Overlay copy, compression, conversions, DIBs and the plane blur.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/imaging/imaging.h"

using namespace mrv::platform;

namespace {

// ---- Overlay -----------------------------------------------------------------

struct OverlayCase {
    int32_t bpp;
    int32_t x, y;
};

class OverlayTest : public ::testing::TestWithParam<OverlayCase> {};

TEST_P(OverlayTest, ReplacesClippedBlockAndNothingElse) {
    const auto c = GetParam();
    const int32_t dw = 4, dh = 4, dstStride = dw * c.bpp + 3;  // padding bytes must stay untouched
    const int32_t sw = 3, sh = 2, srcStride = sw * c.bpp + 1;
    std::vector<uint8_t> dst(static_cast<size_t>(dstStride) * dh, 0xEE);
    std::vector<uint8_t> src(static_cast<size_t>(srcStride) * sh);
    for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint8_t>(i + 1);
    ASSERT_TRUE(overlayImage(dst.data(), dw, dh, c.bpp, dstStride, src.data(), sw, sh, srcStride, c.x, c.y));
    for (int32_t y = 0; y < dh; ++y) {
        for (int32_t b = 0; b < dstStride; ++b) {
            const int32_t x = b / c.bpp, k = b % c.bpp;
            const int32_t sx = x - c.x, sy = y - c.y;
            uint8_t want = 0xEE;
            if (b < dw * c.bpp && sx >= 0 && sx < sw && sy >= 0 && sy < sh)
                want = src[static_cast<size_t>(sy) * srcStride + sx * c.bpp + k];
            ASSERT_EQ(dst[static_cast<size_t>(y) * dstStride + b], want) << "row " << y << " byte " << b;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, OverlayTest,
                         ::testing::Values(OverlayCase{1, -1, -1}, OverlayCase{2, 2, 3}, OverlayCase{4, 1, 1},
                                           OverlayCase{8, -2, 0}, OverlayCase{4, 3, -1}, OverlayCase{8, 0, 0},
                                           OverlayCase{1, 4, 0}, OverlayCase{2, -3, -2}));

TEST(Overlay, NegativeOffsetTakesLowerRightOfSource) {
    // 1 byte a pixel: a 2 x 2 source at (-1, -1) leaves only its last byte in the corner.
    uint8_t dst[16] = {};
    const uint8_t src[4] = {1, 2, 3, 4};
    ASSERT_TRUE(overlayImage(dst, 4, 4, 1, 4, src, 2, 2, 2, -1, -1));
    EXPECT_EQ(dst[0], 4);
    EXPECT_EQ(dst[1], 0);
    EXPECT_EQ(dst[4], 0);
}

TEST(Overlay, RefusesBadArgumentsAndSurvivesHugeOffsets) {
    uint8_t dst[16] = {};
    const uint8_t src[4] = {9, 9, 9, 9};
    EXPECT_FALSE(overlayImage(nullptr, 4, 4, 1, 4, src, 2, 2, 2, 0, 0));
    EXPECT_FALSE(overlayImage(dst, 4, 4, 1, 4, nullptr, 2, 2, 2, 0, 0));
    EXPECT_FALSE(overlayImage(dst, 4, 4, 5, 20, src, 1, 1, 5, 0, 0));   // no 5-byte pixels
    EXPECT_FALSE(overlayImage(dst, 4, 4, 1, 3, src, 2, 2, 2, 0, 0));    // stride below a row
    EXPECT_FALSE(overlayImage(dst, 4, 4, 1, 4, src, 2, 2, 1, 0, 0));
    EXPECT_FALSE(overlayImage(dst, 4, -4, 1, 4, src, 2, 2, 2, 0, 0));
    EXPECT_FALSE(overlayImage(dst, 4, 4, 1, 4, src, 0, 2, 2, 0, 0));
    EXPECT_TRUE(overlayImage(dst, 4, 4, 1, 4, src, 2, 2, 2, INT32_MAX, INT32_MAX));
    EXPECT_TRUE(overlayImage(dst, 4, 4, 1, 4, src, 2, 2, 2, INT32_MIN, 0));
    for (uint8_t v : dst) EXPECT_EQ(v, 0);
}

// ---- Compression --------------------------------------------------------------

std::vector<uint8_t> sampleData(size_t n) {
    std::vector<uint8_t> v(n);
    uint32_t s = 12345;
    for (size_t i = 0; i < n; ++i) {
        s = s * 214013u + 2531011u;
        v[i] = static_cast<uint8_t>((i % 7 == 0) ? (s >> 16) : i / 64);
    }
    return v;
}

TEST(Compression, RoundTripIsExactAtEveryLevel) {
    const auto data = sampleData(50000);
    for (int level : {-1, 0, 1, 9, 42}) {
        std::vector<uint8_t> packed(data.size() + 1000);
        size_t packedSize = 0;
        ASSERT_TRUE(deflateBuffer(data.data(), data.size(), packed.data(), packed.size(), &packedSize, level));
        ASSERT_GT(packedSize, 0u);
        std::vector<uint8_t> back(data.size());
        size_t backSize = 0;
        ASSERT_TRUE(inflateBuffer(packed.data(), packedSize, back.data(), back.size(), &backSize));
        EXPECT_EQ(backSize, data.size());
        EXPECT_EQ(back, data) << "level " << level;
    }
}

TEST(Compression, RefusesWhatDoesNotFitOrIsDamaged) {
    const auto data = sampleData(20000);
    std::vector<uint8_t> packed(data.size() + 1000);
    size_t packedSize = 0;
    ASSERT_TRUE(deflateBuffer(data.data(), data.size(), packed.data(), packed.size(), &packedSize, 6));

    // Deflate into too little room: refused, and nothing past the capacity written.
    std::vector<uint8_t> small(packedSize / 2 + 16, 0xAB);
    size_t out = 777;
    EXPECT_FALSE(deflateBuffer(data.data(), data.size(), small.data(), packedSize / 2, &out, 6));
    EXPECT_EQ(out, 777u);
    for (size_t i = packedSize / 2; i < small.size(); ++i) ASSERT_EQ(small[i], 0xAB);

    std::vector<uint8_t> back(data.size() + 16, 0xCD);
    // Output buffer one byte short.
    EXPECT_FALSE(inflateBuffer(packed.data(), packedSize, back.data(), data.size() - 1, &out));
    EXPECT_EQ(back[data.size() - 1], 0xCD);
    // Truncated stream, at several cuts.
    for (size_t cut : {size_t(1), size_t(2), packedSize / 3, packedSize - 1})
        EXPECT_FALSE(inflateBuffer(packed.data(), cut, back.data(), data.size(), &out)) << cut;
    // A flipped bit in the body (caught at the latest by the checksum).
    auto flipped = std::vector<uint8_t>(packed.begin(), packed.begin() + packedSize);
    flipped[packedSize / 2] ^= 0x10;
    EXPECT_FALSE(inflateBuffer(flipped.data(), flipped.size(), back.data(), data.size(), &out));
    // Trailing garbage after a complete stream.
    auto trailing = std::vector<uint8_t>(packed.begin(), packed.begin() + packedSize);
    trailing.push_back(0);
    EXPECT_FALSE(inflateBuffer(trailing.data(), trailing.size(), back.data(), data.size(), &out));
    // Not zlib at all, and null arguments.
    const uint8_t junk[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_FALSE(inflateBuffer(junk, sizeof junk, back.data(), back.size(), &out));
    EXPECT_FALSE(inflateBuffer(nullptr, 10, back.data(), back.size(), &out));
    EXPECT_FALSE(deflateBuffer(data.data(), data.size(), nullptr, 100, &out, 6));
    for (size_t i = data.size(); i < back.size(); ++i) ASSERT_EQ(back[i], 0xCD);
}

// ---- Conversions ----------------------------------------------------------------

TEST(Conversions, ChannelShuffles) {
    uint8_t px[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    swapRedBlue(px, 2);
    EXPECT_EQ(std::vector<uint8_t>(px, px + 8), (std::vector<uint8_t>{3, 2, 1, 4, 7, 6, 5, 8}));

    const uint8_t rgb[6] = {10, 20, 30, 40, 50, 60};
    uint8_t rgba[8];
    rgbToRgba(rgb, rgba, 2, 200);
    EXPECT_EQ(std::vector<uint8_t>(rgba, rgba + 8), (std::vector<uint8_t>{10, 20, 30, 200, 40, 50, 60, 200}));
    uint8_t back[6];
    rgbaToRgb(rgba, back, 2);
    EXPECT_EQ(std::memcmp(back, rgb, 6), 0);
}

TEST(Conversions, GreyWeights) {
    // (299 r + 587 g + 114 b + 500) / 1000, worked by hand.
    const uint8_t rgb[] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30, 255, 255, 255, 77, 77, 77};
    const uint8_t want[] = {76, 150, 29, 18, 255, 77};
    uint8_t grey[6];
    grayFromColor(rgb, 3, grey, 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(grey[i], want[i]) << i;
    const uint8_t rgba[] = {255, 0, 0, 9, 10, 20, 30, 0};
    grayFromColor(rgba, 4, grey, 2);
    EXPECT_EQ(grey[0], 76);
    EXPECT_EQ(grey[1], 18);
}

TEST(Conversions, SplitAndCombineChannels) {
    // 2 x 2 RGBA with a padded stride of 10 bytes.
    uint8_t img[20];
    for (int i = 0; i < 20; ++i) img[i] = static_cast<uint8_t>(i);
    uint8_t alpha[4] = {};
    uint8_t* planes[4] = {nullptr, nullptr, nullptr, alpha};
    ASSERT_TRUE(splitImage(img, 2, 2, 10, 4, planes));
    EXPECT_EQ(std::vector<uint8_t>(alpha, alpha + 4), (std::vector<uint8_t>{3, 7, 13, 17}));

    const uint8_t red[4] = {100, 101, 102, 103};
    const uint8_t* in[4] = {red, nullptr, nullptr, nullptr};
    ASSERT_TRUE(combineImageChannels(img, 2, 2, 10, 4, in));
    EXPECT_EQ(img[0], 100);
    EXPECT_EQ(img[4], 101);
    EXPECT_EQ(img[10], 102);
    EXPECT_EQ(img[14], 103);
    EXPECT_EQ(img[1], 1);   // other channels kept
    EXPECT_EQ(img[8], 8);   // padding kept
    EXPECT_FALSE(splitImage(img, 2, 2, 7, 4, planes));
    EXPECT_FALSE(combineImageChannels(img, 2, 2, 10, 5, in));
}

// ---- DIBs -------------------------------------------------------------------------

TEST(Dib, LayoutIsBottomUpAndPadded) {
    // 2 x 2: rows of 2 * 3 = 6 bytes padded to 8; first stored row is the bottom one.
    const uint8_t rgba[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    ASSERT_EQ(dibSize(2, 2, 24), 40u + 16u);
    ASSERT_EQ(dibSize(2, 2, 32), 40u + 16u);
    std::vector<uint8_t> dib(56, 0x55);
    ASSERT_TRUE(rgbaToDib(rgba, 2, 2, 24, dib.data(), dib.size()));
    EXPECT_EQ(dib[0], 40);
    EXPECT_EQ(dib[14], 24);
    EXPECT_EQ(std::vector<uint8_t>(dib.begin() + 40, dib.begin() + 48),
              (std::vector<uint8_t>{11, 10, 9, 15, 14, 13, 0, 0}));
    EXPECT_EQ(std::vector<uint8_t>(dib.begin() + 48, dib.end()), (std::vector<uint8_t>{3, 2, 1, 7, 6, 5, 0, 0}));
    uint8_t back[16];
    ASSERT_TRUE(dibToRgba(dib.data(), dib.size(), back));
    EXPECT_EQ(std::vector<uint8_t>(back, back + 16),
              (std::vector<uint8_t>{1, 2, 3, 255, 5, 6, 7, 255, 9, 10, 11, 255, 13, 14, 15, 255}));

    std::vector<uint8_t> dib32(56);
    ASSERT_TRUE(rgbaToDib(rgba, 2, 2, 32, dib32.data(), dib32.size()));
    ASSERT_TRUE(dibToRgba(dib32.data(), dib32.size(), back));
    EXPECT_EQ(std::memcmp(back, rgba, 16), 0);
    EXPECT_EQ(dibWidth(dib32.data(), dib32.size()), 2);
    EXPECT_EQ(dibHeight(dib32.data(), dib32.size()), 2);
    EXPECT_FALSE(rgbaToDib(rgba, 2, 2, 32, dib32.data(), 55));
}

TEST(Dib, TopDownZeroAlphaAndDamagedHeaders) {
    // 1 x 2 top-down 32-bit with all alpha bytes zero: reads opaque, rows in stored order.
    std::vector<uint8_t> dib(48, 0);
    dib[0] = 40;
    dib[4] = 1;
    const int32_t h = -2;
    std::memcpy(&dib[8], &h, 4);
    dib[12] = 1;
    dib[14] = 32;
    dib[40] = 30; dib[41] = 20; dib[42] = 10;  // top row: blue, green, red
    dib[44] = 3;
    uint8_t out[8];
    ASSERT_TRUE(dibToRgba(dib.data(), dib.size(), out));
    EXPECT_EQ(std::vector<uint8_t>(out, out + 8), (std::vector<uint8_t>{10, 20, 30, 255, 0, 0, 3, 255}));
    EXPECT_EQ(dibHeight(dib.data(), dib.size()), 2);

    EXPECT_FALSE(dibToRgba(dib.data(), 47, out));  // one byte short of the last row
    auto bad = dib;
    bad[14] = 16;
    EXPECT_EQ(dibWidth(bad.data(), bad.size()), 0);
    bad = dib;
    bad[16] = 1;  // run-length compression: not read here
    EXPECT_FALSE(dibToRgba(bad.data(), bad.size(), out));
    bad = dib;
    bad[0] = 200;  // header longer than the block
    EXPECT_FALSE(dibToRgba(bad.data(), bad.size(), out));
    EXPECT_FALSE(dibToRgba(nullptr, 100, out));
}

// ---- Plane blur ----------------------------------------------------------------------

TEST(BlurPlane, BinomialKernelAndStrengthMix) {
    // 4 x 4 zeros with 160 at (1, 1); rows 6 bytes apart.
    std::vector<uint8_t> src(24, 0), dst(24, 0xEE);
    src[6 + 1] = 160;
    ASSERT_TRUE(blurPlane(src.data(), dst.data(), 4, 4, 6, 100));
    EXPECT_EQ(dst[6 + 1], 40);   // 160 * 4 / 16
    EXPECT_EQ(dst[6 + 2], 20);   // 160 * 2 / 16
    EXPECT_EQ(dst[12 + 2], 10);  // 160 / 16
    EXPECT_EQ(dst[0], 10);
    EXPECT_EQ(dst[3], 0);
    EXPECT_EQ(dst[4], 0xEE);  // bytes past the width stay
    // Half strength: (160 * 50 * 16 + 640 * 50 + 800) / 1600 = 100.5 -> 100.
    ASSERT_TRUE(blurPlane(src.data(), dst.data(), 4, 4, 6, 50));
    EXPECT_EQ(dst[6 + 1], 100);
    // Strength 0 copies; a flat plane stays flat at any strength.
    ASSERT_TRUE(blurPlane(src.data(), dst.data(), 4, 4, 6, 0));
    EXPECT_EQ(dst[6 + 1], 160);
    std::vector<uint8_t> flat(16, 77), flatOut(16);
    ASSERT_TRUE(blurPlane(flat.data(), flatOut.data(), 4, 4, 4, 37));
    EXPECT_EQ(flatOut, flat);
}

TEST(BlurPlane, InPlaceMatchesSeparateOutputAndRefusals) {
    std::vector<uint8_t> src(5 * 3);
    for (size_t i = 0; i < src.size(); ++i) src[i] = static_cast<uint8_t>(i * 37);
    std::vector<uint8_t> out(src.size());
    ASSERT_TRUE(blurPlane(src.data(), out.data(), 5, 3, 5, 100));
    ASSERT_TRUE(blurPlane(src.data(), src.data(), 5, 3, 5, 100));
    EXPECT_EQ(src, out);
    EXPECT_FALSE(blurPlane(nullptr, out.data(), 5, 3, 5, 100));
    EXPECT_FALSE(blurPlane(src.data(), out.data(), 5, 3, 4, 100));
    EXPECT_FALSE(blurPlane(src.data(), out.data(), 0, 3, 5, 100));
}

}  // namespace
