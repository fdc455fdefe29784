// The MaskPlane: lifecycle and flags, whole-plane operations, the exchange
// with the current layer and the mask applied to alpha. Expected weights come
// from the grey-to-mask rule (g <= 255 -> 0xFFFF, g > 0xFF00 -> 0, else
// 0xFF00 - g) and the 8-bit weight rule alpha * (w + 1) / 256.
#include <gtest/gtest.h>
#include <morvane/morvane.h>

#include <cstring>
#include <vector>

#include "core/engine_state.h"

using mrv::engine;

namespace {

uint16_t* plane() { return engine().selection.maskPlane; }

class MaskPlaneTest : public ::testing::Test {
protected:
    static constexpr int W = 4, H = 4;
    void SetUp() override { MRV_CreateImage(nullptr, W, H, 8, 0); }
    void TearDown() override { MRV_DeleteImage(); }

    // Creates layer 1 (opaque white) and makes it current.
    uint16_t* makeCurrentLayer() {
        EXPECT_EQ(MRV_CreateLayer(1, W, H), 1);
        MRV_SetLayer(1);
        return engine().core.layers[1].pixels;
    }
    void setPlane(std::initializer_list<uint16_t> values) {
        size_t i = 0;
        for (uint16_t v : values) plane()[i++] = v;
    }
};

TEST_F(MaskPlaneTest, FreshCanvasIsFullyOpenAndEnabled) {
    for (int i = 0; i < W * H; ++i) EXPECT_EQ(plane()[i], 0xFFFF);
    EXPECT_EQ(engine().selection.maskEnabled, 1);
    makeCurrentLayer();
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) EXPECT_EQ(MRV_GetMask64(x, y), 0);
}

TEST_F(MaskPlaneTest, FlagsKeepTheLowByteAndOptionsSurviveANewCanvas) {
    MRV_EnableMask(0x100);  // low byte 0: disabled
    EXPECT_EQ(engine().selection.maskEnabled, 0);
    MRV_EnableMask(0x1FE);
    EXPECT_EQ(engine().selection.maskEnabled, 0xFE);
    MRV_DisplayMask(0x101);
    EXPECT_EQ(engine().selection.maskDisplayed, 1);
    MRV_SetMaskOptions(1, 2, 3, 4, 5, 0x1FF, 7);
    const mrv::MaskOverlayOptions& o = engine().selection.maskOverlay;
    EXPECT_EQ(o.colourA[0], 0x100);
    EXPECT_EQ(o.colourA[1], 0x200);
    EXPECT_EQ(o.colourA[2], 0x300);
    EXPECT_EQ(o.colourB[0], 0x400);
    EXPECT_EQ(o.colourB[1], 0x500);
    EXPECT_EQ(o.colourB[2], 0xFF00);  // 0x1FF << 8 kept in 16 bits
    EXPECT_EQ(o.fullStrength, 7);

    MRV_EnableMask(0);
    MRV_NewSize(nullptr, 3, 3, 8, 0);
    EXPECT_EQ(engine().selection.maskEnabled, 1);
    EXPECT_EQ(engine().selection.maskDisplayed, 1);
    EXPECT_EQ(o.colourB[2], 0xFF00);
    EXPECT_EQ(o.fullStrength, 7);
}

TEST_F(MaskPlaneTest, ClearMaskFollowsTheGreyRule) {
    struct Case {
        int32_t r, g, b;
        uint16_t want;
    };
    const Case cases[] = {
        {0, 0, 0, 0xFFFF},
        {1, 1, 2, 0xFFFF},           // g = 1
        {255, 255, 255, 0xFFFF},     // g = 255 still opens
        {256, 256, 256, 0xFE00},     // 0xFF00 - 256
        {0x8000, 0, 0, 0xFF00 - 0x2AAA},  // g = 32768 / 3 = 10922
        {0x8000, 0x8000, 0x8000, 0x7F00},
        {0xFF00, 0xFF00, 0xFF00, 0},  // g = 0xFF00: 0xFF00 - g
        {0xFFFF, 0xFFFF, 0xFFFF, 0},  // g > 0xFF00
    };
    for (const Case& c : cases) {
        MRV_ClearMask(c.r, c.g, c.b);
        for (int i = 0; i < W * H; ++i) ASSERT_EQ(plane()[i], c.want) << c.r << "," << c.g << "," << c.b;
    }
}

TEST_F(MaskPlaneTest, InvertTwiceRestores) {
    setPlane({0, 1, 0x7F00, 0x8000, 0xFFFF, 0x1234});
    MRV_InvertMask();
    EXPECT_EQ(plane()[0], 0xFFFF);
    EXPECT_EQ(plane()[1], 0xFFFE);
    EXPECT_EQ(plane()[2], 0x80FF);
    EXPECT_EQ(plane()[3], 0x7FFF);
    EXPECT_EQ(plane()[4], 0);
    EXPECT_EQ(plane()[5], 0xEDCB);
    MRV_InvertMask();
    const uint16_t want[] = {0, 1, 0x7F00, 0x8000, 0xFFFF, 0x1234};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(plane()[i], want[i]);
}

// 16 x 16 canvas: one grey level per pixel; the grey image goes in and comes back unchanged.
TEST(MaskPlaneGreyImages, LoadThenSaveReturnsEveryGreyLevel) {
    MRV_CreateImage(nullptr, 16, 16, 8, 0);
    const int stride = 16 * 3 + 5;  // padded rows
    std::vector<uint8_t> src(static_cast<size_t>(stride) * 16, 0xEE);
    for (int k = 0; k < 256; ++k) {
        uint8_t* p = &src[(k / 16) * stride + (k % 16) * 3];
        p[0] = p[1] = p[2] = static_cast<uint8_t>(k);
    }
    MRV_LoadMask(src.data(), stride, 16, 16);
    EXPECT_EQ(engine().selection.maskPlane[0], 0xFFFF);  // grey 0 opens fully
    for (int k = 1; k < 256; ++k) ASSERT_EQ(engine().selection.maskPlane[k], (255 - k) * 256) << k;

    std::vector<uint8_t> out(src.size(), 0x5A);
    MRV_SaveMask(out.data(), stride);
    for (int k = 0; k < 256; ++k) {
        const uint8_t* p = &out[(k / 16) * stride + (k % 16) * 3];
        ASSERT_EQ(p[0], k);
        ASSERT_EQ(p[1], k);
        ASSERT_EQ(p[2], k);
    }
    for (int y = 0; y < 16; ++y)  // the padding is not the engine's
        for (int i = 48; i < stride; ++i) ASSERT_EQ(out[y * stride + i], 0x5A);
    MRV_DeleteImage();
}

TEST_F(MaskPlaneTest, LoadMaskAveragesAndStaysInsideTheCanvas) {
    // A 6 x 6 image over a 4 x 4 canvas: only the covered 4 x 4 part is read.
    std::vector<uint8_t> src(6 * 6 * 3, 0);
    src[0] = 10, src[1] = 20, src[2] = 31;  // (61 / 3) = 20 -> (255 - 20) * 256
    uint8_t* p13 = &src[(3 * 6 + 1) * 3];
    p13[0] = p13[1] = p13[2] = 255;  // -> 0
    MRV_LoadMask(src.data(), 6 * 3, 6, 6);
    EXPECT_EQ(plane()[0], 235 * 256);
    EXPECT_EQ(plane()[3 * W + 1], 0);
    EXPECT_EQ(plane()[1], 0xFFFF);

    // A 2 x 1 image changes the top-left corner only.
    MRV_ClearMask(0xFFFF, 0xFFFF, 0xFFFF);
    const uint8_t small[6] = {0, 0, 0, 3, 3, 3};
    MRV_LoadMask(small, 6, 2, 1);
    EXPECT_EQ(plane()[0], 0xFFFF);
    EXPECT_EQ(plane()[1], 252 * 256);
    EXPECT_EQ(plane()[2], 0);
    EXPECT_EQ(plane()[W], 0);
    MRV_LoadMask(small, 6, -3, 5);  // nothing to read
    EXPECT_EQ(plane()[1], 252 * 256);
}

TEST_F(MaskPlaneTest, GetMask64NeedsLayerCanvasAndEnabledMask) {
    plane()[2 * W + 1] = 0x1234;
    EXPECT_EQ(MRV_GetMask64(1, 2), 0);  // no current layer yet
    makeCurrentLayer();
    EXPECT_EQ(MRV_GetMask64(1, 2), 0xFFFF - 0x1234);
    plane()[0] = 0;
    EXPECT_EQ(MRV_GetMask64(0, 0), 0xFFFF);
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {W, 0}, {0, H}, {1 << 30, 1 << 30}}) EXPECT_EQ(MRV_GetMask64(x, y), 0);
    MRV_EnableMask(0);
    EXPECT_EQ(MRV_GetMask64(0, 0), 0);  // the plane still holds 0
    EXPECT_EQ(plane()[0], 0);
}

TEST_F(MaskPlaneTest, ImageFromMaskCapsAtEightBitWhite) {
    uint16_t* px = makeCurrentLayer();
    setPlane({0, 0xFFFF, 0x1234, 0x00FF});
    MRV_CreateImageFromMask();
    const uint16_t grey[] = {0xFF00, 0, 0xEDCB, 0xFF00};  // min(0xFFFF - m, 0xFF00)
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(px[i * 4 + 0], grey[i]) << i;
        EXPECT_EQ(px[i * 4 + 1], grey[i]);
        EXPECT_EQ(px[i * 4 + 2], grey[i]);
        EXPECT_EQ(px[i * 4 + 3], 0xFFFF);
    }
}

TEST_F(MaskPlaneTest, MaskFromImageAveragesColourAndIgnoresAlpha) {
    uint16_t* px = makeCurrentLayer();
    const uint16_t pixels[][4] = {
        {0x9000, 0x3000, 0x0000, 0},       // g = 0xC000 / 3 = 0x4000 -> 0xBF00
        {100, 100, 100, 0xFFFF},           // g = 100 -> open
        {0xFFFF, 0xFFFF, 0xFF00, 0x1234},  // g = 196350 / 3 = 65450 > 0xFF00 -> 0
        {0xFFFF, 0xFFFF, 0xFFFF, 0},       // no 16-bit overflow in the sum
    };
    std::memcpy(px, pixels, sizeof(pixels));
    MRV_CreateMaskFromImage();
    EXPECT_EQ(plane()[0], 0xBF00);
    EXPECT_EQ(plane()[1], 0xFFFF);
    EXPECT_EQ(plane()[2], 0);
    EXPECT_EQ(plane()[3], 0);
    EXPECT_EQ(plane()[4], 0);  // layer 1 is opaque white: g = 0xFFFF
}

TEST_F(MaskPlaneTest, AlphaAndMaskExchangeExactly) {
    uint16_t* px = makeCurrentLayer();
    for (int i = 0; i < W * H; ++i) plane()[i] = static_cast<uint16_t>(i * 4099 + 7);
    MRV_CreateAlphaFromMask();
    for (int i = 0; i < W * H; ++i) {
        EXPECT_EQ(px[i * 4 + 3], static_cast<uint16_t>(i * 4099 + 7));
        EXPECT_EQ(px[i * 4 + 0], 0xFFFF);  // colour untouched
    }
    MRV_ClearMask(0, 0, 0);
    MRV_CreateMaskFromAlpha();
    for (int i = 0; i < W * H; ++i) EXPECT_EQ(plane()[i], static_cast<uint16_t>(i * 4099 + 7));
}

TEST_F(MaskPlaneTest, LayerExchangeWithoutCurrentLayerDoesNothing) {
    setPlane({0x1111, 0x2222});
    MRV_CreateLayer(2, W, H);  // exists, but not current
    MRV_CreateImageFromMask();
    MRV_CreateMaskFromImage();
    MRV_CreateAlphaFromMask();
    MRV_CreateMaskFromAlpha();
    EXPECT_EQ(plane()[0], 0x1111);
    EXPECT_EQ(plane()[1], 0x2222);
    EXPECT_EQ(engine().core.layers[2].pixels[3], 0);
}

// After a resize the host may not have recreated its layers yet: only the part
// the layer shares with the canvas is exchanged.
TEST_F(MaskPlaneTest, LayerOfAnotherSizeIsWalkedOnlyWhereItOverlaps) {
    uint16_t* px = makeCurrentLayer();
    MRV_NewSize(nullptr, 6, 3, 8, 0);  // wider, shorter than the 4 x 4 layer
    plane()[0] = 0x0100;
    plane()[5] = 0x0200;  // column 5 has no layer pixel
    MRV_CreateAlphaFromMask();
    EXPECT_EQ(px[3], 0x0100);
    EXPECT_EQ(px[3 * 4 * 4 + 3], 0xFFFF);  // layer row 3 lies outside the canvas
    MRV_CreateMaskFromAlpha();
    EXPECT_EQ(plane()[5], 0x0200);
    EXPECT_EQ(plane()[4], 0xFFFF);  // (4, 0): no layer pixel, unchanged
    EXPECT_EQ(plane()[6 + 1], 0xFFFF);  // (1, 1) from the layer's white alpha
    MRV_CreateImageFromMask();
    MRV_CreateMaskFromImage();
    EXPECT_EQ(plane()[5], 0x0200);
}

TEST_F(MaskPlaneTest, ApplyMaskToAlphaScalesByTheHighByte) {
    setPlane({0x80FF, 0x00FF, 0xFF00, 0x0100, 0x7F00});
    std::vector<uint8_t> img(W * H * 4, 200);
    MRV_EnableMask(0);  // not consulted
    MRV_ApplyMaskToAlpha_RGBA32(img.data());
    EXPECT_EQ(img[3], 100);        // 200 * 129 / 256
    EXPECT_EQ(img[7], 0);          // w = 0
    EXPECT_EQ(img[11], 200);       // w = 255
    EXPECT_EQ(img[15], 1);         // w = 1: 200 * 2 / 256
    EXPECT_EQ(img[19], 100);       // w = 127: 200 * 128 / 256
    EXPECT_EQ(img[23], 200);       // untouched weight 0xFFFF
    EXPECT_EQ(img[0], 200);        // colour untouched
}

TEST_F(MaskPlaneTest, ApplyMaskToAlphaRectIsInclusiveAndClipped) {
    MRV_ClearMask(0xFFFF, 0xFFFF, 0xFFFF);  // fully protected: alpha -> 0
    // Rectangle (1, 1)-(2, 2) in a 2 x 2 image of its own, stride 8 bytes + 4 padding.
    std::vector<uint8_t> img(12 * 2, 77);
    MRV_ApplyMaskToAlphaRect_RGBA32(img.data(), 12, 1, 1, 2, 2);
    EXPECT_EQ(img[3], 0);
    EXPECT_EQ(img[7], 0);
    EXPECT_EQ(img[11], 77);  // padding
    EXPECT_EQ(img[12 + 3], 0);
    EXPECT_EQ(img[12 + 7], 0);

    // A rectangle hanging over every edge: the image covers (-1, -1)-(4, 4), 6 x 6.
    std::vector<uint8_t> big(6 * 6 * 4, 90);
    plane()[0] = 0x80FF;
    MRV_ApplyMaskToAlphaRect_RGBA32(big.data(), 6 * 4, -1, -1, 4, 4);
    for (int y = -1; y <= 4; ++y)
        for (int x = -1; x <= 4; ++x) {
            const uint8_t a = big[((y + 1) * 6 + (x + 1)) * 4 + 3];
            const bool inside = x >= 0 && y >= 0 && x < W && y < H;
            const int want = !inside ? 90 : (x == 0 && y == 0 ? 90 * 129 / 256 : 0);
            EXPECT_EQ(a, want) << x << "," << y;
        }

    std::vector<uint8_t> same(16 * 4, 50);
    MRV_ApplyMaskToAlphaRect_RGBA32(same.data(), 16, 2, 0, 1, 3);  // x0 > x1
    MRV_ApplyMaskToAlphaRect_RGBA32(same.data(), 16, 0, 3, 3, 0);  // y0 > y1
    MRV_ApplyMaskToAlphaRect_RGBA32(same.data(), 16, 5, 5, 9, 9);  // wholly outside
    for (uint8_t v : same) EXPECT_EQ(v, 50);
}

// With no canvas, or with null buffers, every operation is a clean no-op.
TEST(MaskPlaneBadInput, NoCanvasAndNullBuffers) {
    uint8_t buf[64];
    std::memset(buf, 9, sizeof buf);
    auto runAll = [&](uint8_t* image) {
        MRV_InvertMask();
        MRV_ClearMask(1, 2, 3);
        MRV_SaveMask(image, 12);
        MRV_LoadMask(image, 12, 4, 4);
        MRV_CreateImageFromMask();
        MRV_CreateMaskFromImage();
        MRV_CreateAlphaFromMask();
        MRV_CreateMaskFromAlpha();
        MRV_CreateMaskFromDiff_RGBA32(image, image, 1);
        MRV_CreateMaskFromRGBAImageColor(image, 9, 9, 9, 0);
        MRV_CreateMaskFromRGB24ImageColor(image, 9, 9, 9, 0);
        MRV_CreateMaskFromFloodMask(image, 0);
        MRV_CreateMaskFromRGBAImageColorRange(image, 9, 9, 9, 100, 0);
        MRV_CreateMaskFromRGBAImageAlphaRange(image, 9, 100, 0);
        MRV_CreateMaskFromRGBAImageLuminanceRange(image, 9, 9, 9, 100, 0);
        MRV_CreateMaskFromRGBAImageHueRange(image, 9, 9, 9, 100, 0);
        MRV_CreateMaskFromRGBAImageHSLRange(image, 9, 9, 9, 1.0, 1.0, 1.0, 0);
        MRV_ApplyMaskToAlphaRect_RGBA32(image, 16, 0, 0, 3, 3);
        MRV_ApplyMaskToAlpha_RGBA32(image);
        MRV_ReplaceFromRGBAImageAlphaRange(image, 9, 100, 1, 1, 1, 1);
        EXPECT_EQ(MRV_GetMask64(0, 0), 0);
    };
    runAll(buf);  // before any canvas
    for (uint8_t v : buf) EXPECT_EQ(v, 9);

    MRV_CreateImage(nullptr, 4, 4, 8, 0);
    MRV_CreateLayer(1, 4, 4);
    MRV_SetLayer(1);
    plane()[0] = 0x4321;
    MRV_DeleteImage();
    runAll(buf);  // after the canvas is gone
    for (uint8_t v : buf) EXPECT_EQ(v, 9);

    MRV_CreateImage(nullptr, 4, 4, 8, 0);
    MRV_ClearMask(0x8000, 0x8000, 0x8000);
    // Null buffers must not disturb the plane (InvertMask/ClearMask have none, so skip them).
    MRV_SaveMask(nullptr, 12);
    MRV_LoadMask(nullptr, 12, 4, 4);
    MRV_CreateMaskFromDiff_RGBA32(nullptr, buf, 1);
    MRV_CreateMaskFromDiff_RGBA32(buf, nullptr, 1);
    MRV_CreateMaskFromRGBAImageColor(nullptr, 0, 0, 0, 0);
    MRV_CreateMaskFromRGB24ImageColor(nullptr, 0, 0, 0, 0);
    MRV_CreateMaskFromFloodMask(nullptr, 0);
    MRV_CreateMaskFromRGBAImageColorRange(nullptr, 0, 0, 0, 100, 0);
    MRV_CreateMaskFromRGBAImageAlphaRange(nullptr, 0, 100, 0);
    MRV_CreateMaskFromRGBAImageLuminanceRange(nullptr, 0, 0, 0, 100, 0);
    MRV_CreateMaskFromRGBAImageHueRange(nullptr, 0, 0, 0, 100, 0);
    MRV_CreateMaskFromRGBAImageHSLRange(nullptr, 0, 0, 0, 1.0, 1.0, 1.0, 0);
    MRV_ApplyMaskToAlphaRect_RGBA32(nullptr, 16, 0, 0, 3, 3);
    MRV_ApplyMaskToAlpha_RGBA32(nullptr);
    MRV_ReplaceFromRGBAImageAlphaRange(nullptr, 0, 100, 0, 0, 0, 0);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(plane()[i], 0x7F00);
    MRV_DeleteImage();
}

}  // namespace
