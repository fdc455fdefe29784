// Pixel transfer: conversion rules, the loaders unweighted and weighted by the
// selection and the paper texture, readers, host-buffer conversions, fills,
// alpha operations, the compressed blob, getters and bad input. Expected
// values are worked from the formulas: widen = v * 256, narrow = high byte,
// weighted write d' = (((s*256*w) >> 8) + ((d*(65535-w)) >> 8)) >> 8.
#include <gtest/gtest.h>
#include <morvane/morvane.h>
#include <zlib.h>

#include <array>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "compositing/blend_kernel.h"
#include "core/engine_state.h"
#include "core/pixel_formats.h"
#include "core/pixel_weights.h"
#include "platform/imaging/imaging.h"

using mrv::engine;
using Px = std::array<uint16_t, 4>;

namespace {

class PixelTransfer : public ::testing::Test {
protected:
    void SetUp() override { makeCanvas(kW, kH); }
    void TearDown() override {
        engine().core.textureMap = nullptr;  // never owned by a test when set by hand
        MRV_DeleteImage();
    }

    static void makeCanvas(int w, int h) {
        MRV_CreateImage(nullptr, w, h, 8, 0);
        ASSERT_EQ(MRV_CreateLayer(1, w, h), 1);
        ASSERT_EQ(MRV_CreateLayer(2, w, h), 1);
        MRV_SetLayer(2);
    }
    static uint16_t* px(int n, int x, int y) {
        mrv::LayerSlot& s = engine().core.layers[n];
        return s.pixels + y * s.stride + x * 4;
    }
    static Px get(int n, int x, int y) {
        const uint16_t* p = px(n, x, y);
        return {p[0], p[1], p[2], p[3]};
    }
    static void put(int n, int x, int y, Px v) { std::memcpy(px(n, x, y), v.data(), 8); }
    static void fillLayer(int n, Px v) {
        const mrv::LayerSlot& s = engine().core.layers[n];
        for (int y = 0; y < s.height; ++y)
            for (int x = 0; x < s.width; ++x) put(n, x, y, v);
    }
    static void fillMask(uint16_t m) {
        for (int i = 0; i < engine().core.canvasWidth * engine().core.canvasHeight; ++i)
            engine().selection.maskPlane[i] = m;
    }
    static std::vector<uint16_t> snapshot(int n) {
        const mrv::LayerSlot& s = engine().core.layers[n];
        return std::vector<uint16_t>(s.pixels, s.pixels + s.width * s.height * 4);
    }

    static constexpr int kW = 4, kH = 4;
};

// ---- Conversion rules -------------------------------------------------------------------

TEST_F(PixelTransfer, WideningIsTimes256AndNarrowingKeepsTheHighByte) {
    const uint8_t white[4] = {255, 255, 255, 255};
    MRV_LoadRGBA32Layer(white, 4, 2, 0, 0, 1, 1, 0);
    EXPECT_EQ(get(2, 0, 0), (Px{65280, 65280, 65280, 65280}));
    std::vector<uint8_t> out(kW * kH * 4, 0);
    ASSERT_EQ(MRV_GetRGBA32Layer(out.data(), kW * 4, 2), 1);
    EXPECT_EQ(out[0], 255);
    EXPECT_EQ(out[3], 255);
    // The background (all 65535) reads back as 255 everywhere.
    ASSERT_EQ(MRV_GetRGBA32Layer(out.data(), kW * 4, 1), 1);
    for (uint8_t b : out) ASSERT_EQ(b, 255);
    // 16 -> 8 -> 16 clears the low byte.
    put(2, 1, 0, Px{0x12FF, 0x3401, 0xFFFF, 0x80FF});
    ASSERT_EQ(MRV_GetRGBA32(out.data(), kW * 4), 1);
    EXPECT_EQ(out[4], 0x12);
    EXPECT_EQ(out[7], 0x80);
    MRV_LoadRGBA32(out.data(), kW * 4, 0);
    EXPECT_EQ(get(2, 1, 0), (Px{0x1200, 0x3400, 0xFF00, 0x8000}));
}

TEST_F(PixelTransfer, BlockConversionsRoundTrip) {
    const uint8_t src[2 * 4] = {0, 1, 127, 255, 9, 8, 7, 6};
    uint16_t wide[8];
    mrv::RGBA32ToRGBA64Block(src, wide, 2, 1);
    EXPECT_EQ(wide[0], 0);
    EXPECT_EQ(wide[1], 256);
    EXPECT_EQ(wide[2], 127 * 256);
    EXPECT_EQ(wide[3], 65280);
    wide[4] = 0x09FF;  // low bytes are dropped on the way back
    uint8_t back[8];
    mrv::RGBA64ToRGBA32Block(wide, back, 2, 1);
    EXPECT_EQ(0, std::memcmp(back, src, 8));
    // Negative sizes convert nothing.
    uint8_t untouched[4] = {1, 2, 3, 4};
    mrv::RGBA64ToRGBA32Block(wide, untouched, -1, 5);
    EXPECT_EQ(untouched[0], 1);
}

TEST_F(PixelTransfer, WeightFactorsFollowTheirOwnRoundings) {
    struct Case { uint8_t t; uint32_t load, plain; };
    // c = 2t: (c+1)*65535 >> 8 for the colour loaders, c*65535 >> 8 otherwise.
    const Case cases[] = {{0, 0, 0}, {4, 2303, 2047}, {64, 33023, 32767}, {127, 65279, 65023},
                          {128, 65535, 65535}, {250, 65535, 65535}};
    for (const Case& c : cases) {
        EXPECT_EQ(mrv::textureWeightLoad(c.t), c.load) << int(c.t);
        EXPECT_EQ(mrv::textureWeightPlain(c.t), c.plain) << int(c.t);
    }
    EXPECT_EQ(mrv::maskWeightHighByte(65535, 0x00FF), 0u);
    EXPECT_EQ(mrv::maskWeightHighByte(1000, 0xFF00), 1000u);
    EXPECT_EQ(mrv::maskWeightHighByte(65535, 0x7FFF), 32767u);  // (128 * 65535) >> 8
    EXPECT_EQ(mrv::maskWeight16(1000, 0xFFFF), 1000u);
    EXPECT_EQ(mrv::maskWeight16(65535, 0x8000), 32767u);  // (32768 * 65535) >> 16
    // The bare formula falls one short at both ends (51199, 12344), which is
    // why every caller writes s * 256 at full weight and skips weight 0.
    EXPECT_EQ(mrv::weightedWrite(200, 12345, 65535), 51199);
    EXPECT_EQ(mrv::weightedWrite(200, 12345, 0), 12344);
}

// ---- The RGBA32 loader --------------------------------------------------------------------

struct LoadCase {
    const char* name;
    Px dst;
    std::array<uint8_t, 4> src;
    bool locked;
    int useSelection;
    bool maskEnabled;
    uint16_t mask;
    int texture;  // TextureMap byte, or -1 for no map
    Px expected;
};

void PrintTo(const LoadCase& c, std::ostream* os) { *os << c.name; }

constexpr Px kD{10000, 20000, 30000, 40000};
constexpr std::array<uint8_t, 4> kS{200, 100, 50, 128};
constexpr std::array<uint8_t, 4> kS0{200, 100, 50, 0};

const LoadCase kLoadCases[] = {
    {"plain", kD, kS, false, 0, true, 0x7FFF, -1, {51200, 25600, 12800, 32768}},
    {"plain transparent source clears", kD, kS0, false, 0, true, 0xFFFF, -1, {0, 0, 0, 0}},
    {"plain locked keeps alpha", kD, kS0, true, 0, true, 0xFFFF, -1, {51200, 25600, 12800, 40000}},
    {"selection flag but nothing weights", kD, kS0, false, 1, false, 0x0000, -1, {0, 0, 0, 0}},
    {"full mask writes transparent colour", kD, kS0, false, 1, true, 0xFFFF, -1, {51200, 25600, 12800, 0}},
    {"full mask locked", kD, kS, true, 1, true, 0xFFFF, -1, {51200, 25600, 12800, 40000}},
    {"mask high byte 0 protects", kD, kS, false, 1, true, 0x00FF, -1, kD},
    {"half mask", kD, kS, false, 1, true, 0x7FFF, -1, {30599, 22799, 21399, 36383}},
    {"half mask locked", kD, kS, true, 1, true, 0x7FFF, -1, {30599, 22799, 21399, 40000}},
    {"half mask transparent destination", {10000, 20000, 30000, 0}, kS, false, 1, true, 0x7FFF, -1,
     {51200, 25600, 12800, 16383}},
    {"half mask transparent destination locked", {10000, 20000, 30000, 0}, kS, true, 1, true, 0x7FFF, -1,
     {51200, 25600, 12800, 0}},
    {"half mask transparent source erases", kD, kS0, false, 1, true, 0x7FFF, -1, {10000, 20000, 30000, 20000}},
    {"half mask transparent source locked", kD, kS0, true, 1, true, 0x7FFF, -1, kD},
    {"texture only", kD, kS, false, 1, false, 0, 64, {30760, 22821, 21332, 36355}},
    {"texture only transparent destination", {1, 2, 3, 0}, kS, false, 1, false, 0, 64,
     {51200, 25600, 12800, 16511}},
    {"texture only transparent source", kD, kS0, false, 1, false, 0, 64, {10000, 20000, 30000, 19843}},
    {"texture saturates", kD, kS, false, 1, false, 0, 128, {51200, 25600, 12800, 32768}},
    {"texture and mask", kD, kS, false, 1, true, 0x7FFF, 64, {20379, 21410, 25666, 38177}},
    {"texture and mask transparent source", kD, kS0, false, 1, true, 0x7FFF, 64, {10000, 20000, 30000, 29921}},
};

class LoadRGBA32Cases : public PixelTransfer, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(LoadRGBA32Cases, WritesTheWeightedPixel) {
    const LoadCase& c = GetParam();
    std::vector<uint8_t> texture(kW * kH, static_cast<uint8_t>(c.texture < 0 ? 0 : c.texture));
    if (c.texture >= 0) engine().core.textureMap = texture.data();
    engine().selection.maskEnabled = c.maskEnabled;
    fillMask(c.mask);
    MRV_SetLayerOptions(2, 1, c.locked, 100, "Normal");
    put(2, 1, 2, c.dst);
    put(2, 2, 2, c.dst);
    MRV_LoadRGBA32Layer(c.src.data(), 4, 2, 1, 2, 1, 1, c.useSelection);
    EXPECT_EQ(get(2, 1, 2), c.expected);
    EXPECT_EQ(get(2, 2, 2), c.dst) << "the neighbour is outside the block";
}

INSTANTIATE_TEST_SUITE_P(Cases, LoadRGBA32Cases, ::testing::ValuesIn(kLoadCases),
                         [](const ::testing::TestParamInfo<LoadCase>& i) {
                             std::string n = i.param.name;
                             for (char& ch : n)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return n;
                         });

TEST_F(PixelTransfer, TextureMapFromATexturize3LayerWeightsTheLoad) {
    // Layer 3 at (16384, 16384, 16384) casts t = 3 * 16384 / 768 = 64.
    ASSERT_EQ(MRV_CreateLayer(3, kW, kH), 1);
    fillLayer(3, Px{16384, 16384, 16384, 65535});
    MRV_SetLayerOptions(3, 1, 0, 100, "Texturize3");
    ASSERT_NE(engine().core.textureMap, nullptr);
    engine().selection.maskEnabled = 0;
    fillLayer(2, kD);
    MRV_LoadRGBA32Layer(kS.data(), 4, 2, 0, 0, 1, 1, 1);
    EXPECT_EQ(get(2, 0, 0), (Px{30760, 22821, 21332, 36355}));
    MRV_DeleteTexture();
}

TEST_F(PixelTransfer, NegativeOffsetsSkipSourceColumnsAndRows) {
    MRV_DeleteImage();
    makeCanvas(24, 3);
    // Source 30 x 3: pixel (sx, sy) carries red = sx, green = sy, alpha = 255.
    std::vector<uint8_t> src(30 * 3 * 4);
    for (int sy = 0; sy < 3; ++sy)
        for (int sx = 0; sx < 30; ++sx) {
            uint8_t* p = &src[(sy * 30 + sx) * 4];
            p[0] = static_cast<uint8_t>(sx);
            p[1] = static_cast<uint8_t>(sy);
            p[2] = 0;
            p[3] = 255;
        }
    MRV_LoadRGBA32Layer(src.data(), 30 * 4, 2, -10, -1, 30, 3, 0);
    for (int x = 0; x < 24; ++x) {
        const bool written = x < 20;  // columns 0..19 from source columns 10..29
        EXPECT_EQ(get(2, x, 0)[0], written ? (x + 10) * 256 : 0) << x;
        EXPECT_EQ(get(2, x, 0)[1], written ? 1 * 256 : 0) << x;
        EXPECT_EQ(get(2, x, 1)[1], written ? 2 * 256 : 0) << x;
        EXPECT_EQ(get(2, x, 2)[3], 0) << "source has only two rows below y = -1";
    }
}

TEST_F(PixelTransfer, ImpossibleRectanglesWriteNothing) {
    const std::vector<uint16_t> before = snapshot(2);
    const uint8_t src[4] = {1, 2, 3, 4};
    MRV_LoadRGBA32Layer(src, 4, 2, INT32_MAX - 1, 0, 10, 1, 0);
    MRV_LoadRGBA32Layer(src, 4, 2, 0, INT32_MIN, 1, 10, 0);
    MRV_LoadRGBA32Layer(src, 4, 2, -5, 0, 5, 1, 0);  // ends just before column 0
    MRV_LoadRGBA32Layer(src, 4, 2, 0, 0, -1, 1, 0);
    MRV_LoadRGBA32Layer(src, 4, 2, kW, 0, 1, 1, 1);
    EXPECT_EQ(snapshot(2), before);
}

TEST_F(PixelTransfer, WeightedLoadStaysInsideTheCanvasOnALargerLayer) {
    // The mask and texture only cover the canvas; a 6 x 6 layer on a 4 x 4
    // canvas takes the weighted load there and nowhere else.
    ASSERT_EQ(MRV_CreateLayer(3, 6, 6), 1);
    std::vector<uint8_t> src(6 * 6 * 4, 200);
    MRV_LoadRGBA32Layer(src.data(), 6 * 4, 3, 0, 0, 6, 6, 1);
    EXPECT_EQ(get(3, 3, 3), (Px{51200, 51200, 51200, 51200}));
    EXPECT_EQ(get(3, 4, 0), (Px{0, 0, 0, 0}));
    EXPECT_EQ(get(3, 0, 5), (Px{0, 0, 0, 0}));
    MRV_LoadRGBA32Layer(src.data(), 6 * 4, 3, 0, 0, 6, 6, 0);
    EXPECT_EQ(get(3, 5, 5), (Px{51200, 51200, 51200, 51200}));
}

TEST_F(PixelTransfer, LoadRGBA32IntoIsWeightedAndLoadRGBA32UsesTheCurrentLayer) {
    fillMask(0x00FF);  // protects fully for the colour loaders
    const uint8_t src[4] = {1, 2, 3, 4};
    MRV_LoadRGBA32Into(src, 4, 2, 0, 0, 1, 1);
    EXPECT_EQ(get(2, 0, 0), (Px{0, 0, 0, 0}));
    std::vector<uint8_t> full(kW * kH * 4, 7);
    MRV_LoadRGBA32(full.data(), kW * 4, 0);
    EXPECT_EQ(get(2, 3, 3), (Px{7 * 256, 7 * 256, 7 * 256, 7 * 256}));
    EXPECT_EQ(get(1, 3, 3), (Px{65535, 65535, 65535, 65535}));
}

// ---- RGB24 loaders and MRV_Load ---------------------------------------------------------

TEST_F(PixelTransfer, LoadRGB24WritesColourOnlyWithTheColourWeight) {
    fillLayer(2, kD);
    std::vector<uint8_t> src(kW * kH * 3);
    for (int i = 0; i < kW * kH; ++i) {
        src[i * 3 + 0] = 200;
        src[i * 3 + 1] = 100;
        src[i * 3 + 2] = 50;
    }
    std::vector<uint8_t> texture(kW * kH, 128);
    texture[1] = 4;  // pixel (1, 0): (c + 1) factor 2303
    engine().core.textureMap = texture.data();
    fillMask(0xFFFF);
    engine().selection.maskPlane[2] = 0x00FF;  // pixel (2, 0) protected
    MRV_LoadRGB24(src.data(), kW * 3, 1);
    EXPECT_EQ(get(2, 0, 0), (Px{51200, 25600, 12800, 40000}));
    EXPECT_EQ(get(2, 1, 0), (Px{11447, 20196, 29395, 40000}));
    EXPECT_EQ(get(2, 2, 0), kD);
    engine().core.textureMap = nullptr;
    MRV_LoadRGB24(src.data(), kW * 3, 0);
    EXPECT_EQ(get(2, 2, 0), (Px{51200, 25600, 12800, 40000}));
}

TEST_F(PixelTransfer, LoadRGB24ToAlphaSkipsTransparentPixelsAndUsesTheFullMask) {
    fillLayer(2, kD);
    put(2, 3, 0, Px{1, 2, 3, 0});
    std::vector<uint8_t> src(kW * kH * 3, 200);
    fillMask(0xFFFF);
    engine().selection.maskPlane[1] = 0x8000;  // 16-bit factor: 32767
    engine().selection.maskPlane[2] = 0x00FF;  // low values still weight a little here
    std::vector<uint8_t> texture(kW * kH, 250);
    texture[4] = 4;  // pixel (0, 1): plain factor 2047
    engine().core.textureMap = texture.data();
    MRV_LoadRGB24ToAlpha(src.data(), kW * 3, 1);
    EXPECT_EQ(get(2, 0, 0), (Px{10000, 20000, 30000, 51200}));
    EXPECT_EQ(get(2, 1, 0)[3], 45599);
    // w = (255 * 65535) >> 16 = 254: d' = ((51200*254 >> 8) + (40000*65281 >> 8)) >> 8 = 40042
    EXPECT_EQ(get(2, 2, 0)[3], 40042);
    EXPECT_EQ(get(2, 3, 0), (Px{1, 2, 3, 0}));
    EXPECT_EQ(get(2, 0, 1)[3], 40349);
    engine().core.textureMap = nullptr;
    MRV_LoadRGB24ToAlpha(src.data(), kW * 3, 0);
    EXPECT_EQ(get(2, 2, 0)[3], 51200);
    EXPECT_EQ(get(2, 3, 0)[3], 0);
}

TEST_F(PixelTransfer, LoadTakesBlueGreenRedAndClipsToTheCanvas) {
    // 6 x 5 host picture onto the 4 x 4 canvas.
    std::vector<uint8_t> bgr(6 * 5 * 3);
    for (int i = 0; i < 6 * 5; ++i) {
        bgr[i * 3 + 0] = 1;
        bgr[i * 3 + 1] = 2;
        bgr[i * 3 + 2] = static_cast<uint8_t>(i);
    }
    MRV_Load(bgr.data(), 6 * 3, 6, 5);
    EXPECT_EQ(get(2, 0, 0), (Px{0, 512, 256, 65535}));
    EXPECT_EQ(get(2, 3, 3), (Px{(3 * 6 + 3) * 256, 512, 256, 65535}));
    // A smaller picture covers only its own area.
    fillLayer(2, Px{0, 0, 0, 0});
    MRV_Load(bgr.data(), 6 * 3, 2, 1);
    EXPECT_EQ(get(2, 1, 0)[3], 65535);
    EXPECT_EQ(get(2, 2, 0)[3], 0);
    EXPECT_EQ(get(2, 0, 1)[3], 0);
}

// ---- Layer copies and readers -----------------------------------------------------------

TEST_F(PixelTransfer, RGBA64CopiesAreVerbatimAndRespectEmptyLayers) {
    std::vector<uint16_t> in(kW * kH * 4);
    for (size_t i = 0; i < in.size(); ++i) in[i] = static_cast<uint16_t>(i * 1000 + 7);
    EXPECT_EQ(MRV_SetRGBA64Layer(in.data(), kW * 8, 2), 1);
    EXPECT_EQ(snapshot(2), in);
    EXPECT_EQ(MRV_SetRGBA64Layer(in.data(), kW * 8, 5), 0);
    EXPECT_EQ(MRV_SetRGBA64Layer(in.data(), kW * 8, 64), 0);
    std::vector<uint16_t> out(kW * kH * 4, 0);
    MRV_GetRGBA64Layer(out.data(), kW * 8, 2);
    EXPECT_EQ(out, in);
    std::fill(out.begin(), out.end(), 0);
    MRV_GetLayerData(out.data(), 2);
    EXPECT_EQ(out, in);
    MRV_SetLayerData(out.data(), 1);
    EXPECT_EQ(snapshot(1), in);
    MRV_Clear(0, 0, 0, 0);
    MRV_CopyLayerData(1, 2);
    EXPECT_EQ(snapshot(2), in);
    MRV_CopyLayerData(1, 9);  // empty target: nothing
    MRV_CopyLayerData(9, 2);
    EXPECT_EQ(snapshot(2), in);
}

TEST_F(PixelTransfer, LayersOfAnotherSizeAreReadAndWrittenOnlyWhereTheyHoldPixels) {
    ASSERT_EQ(MRV_CreateLayer(3, 2, 2), 1);
    fillLayer(3, Px{0x1100, 0x2200, 0x3300, 0x4400});
    std::vector<uint8_t> out(kW * kH * 4, 0xEE);
    ASSERT_EQ(MRV_GetRGBA32Layer(out.data(), kW * 4, 3), 1);
    EXPECT_EQ(out[0], 0x11);
    EXPECT_EQ(out[(1 * kW + 1) * 4 + 3], 0x44);
    EXPECT_EQ(out[(0 * kW + 2) * 4], 0xEE);
    EXPECT_EQ(out[(2 * kW + 0) * 4], 0xEE);
    std::vector<uint16_t> data(kW * kH * 4, 5);
    MRV_SetLayerData(data.data(), 3);  // takes only the 2 x 2 it holds
    EXPECT_EQ(get(3, 1, 1), (Px{5, 5, 5, 5}));
    MRV_CopyLayerData(1, 3);
    EXPECT_EQ(get(3, 1, 1), (Px{65535, 65535, 65535, 65535}));
    MRV_SetLayer(3);
    MRV_LoadRGB24(out.data(), kW * 3, 0);
    MRV_Clear(1, 2, 3, 4);
    EXPECT_EQ(get(3, 1, 1), (Px{256, 512, 768, 1024}));
    EXPECT_EQ(MRV_GetRed64(2, 2), 0) << "outside the small layer";
    EXPECT_EQ(MRV_GetColorAtSurface(3, 0), 0xFFFFFFu);
}

TEST_F(PixelTransfer, RGB24ReadersDropAlphaOrSpreadIt) {
    fillLayer(2, Px{0x12FF, 0x34FF, 0x56FF, 0x78FF});
    std::vector<uint8_t> out(kW * kH * 3, 0);
    MRV_GetRGB24Layer(out.data(), kW * 3, 2);
    EXPECT_EQ(out[0], 0x12);
    EXPECT_EQ(out[1], 0x34);
    EXPECT_EQ(out[2], 0x56);
    std::fill(out.begin(), out.end(), 0);
    MRV_GetRGB24(out.data(), kW * 3);
    EXPECT_EQ(out[kW * kH * 3 - 1], 0x56);
    MRV_GetRGB24FromAlpha(out.data(), kW * 3);
    for (uint8_t b : out) ASSERT_EQ(b, 0x78);
}

TEST_F(PixelTransfer, RGBA64RectIsClippedAndPlacedFromTheFirstHostPixel) {
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) put(2, x, y, Px{uint16_t(x), uint16_t(y), 0, 1});
    // A 3 x 3 host buffer; the rectangle starts at (-1, -1).
    std::vector<uint16_t> host(3 * 3 * 4, 0xBEEF);
    MRV_GetRGBA64LayerRect(host.data(), 3 * 8, 2, -1, -1, 3, 3);
    auto at = [&](int x, int y) { return Px{host[(y * 3 + x) * 4], host[(y * 3 + x) * 4 + 1], host[(y * 3 + x) * 4 + 2], host[(y * 3 + x) * 4 + 3]}; };
    EXPECT_EQ(at(0, 0)[0], 0xBEEF);
    EXPECT_EQ(at(2, 0)[0], 0xBEEF);
    EXPECT_EQ(at(0, 2)[0], 0xBEEF);
    EXPECT_EQ(at(1, 1), (Px{0, 0, 0, 1}));
    EXPECT_EQ(at(2, 2), (Px{1, 1, 0, 1}));
    // Beyond the right and bottom edges: only the inside pixel is copied.
    std::fill(host.begin(), host.end(), 0xBEEF);
    MRV_GetRGBA64LayerRect(host.data(), 3 * 8, 2, 3, 3, 3, 3);
    EXPECT_EQ(at(0, 0), (Px{3, 3, 0, 1}));
    EXPECT_EQ(at(1, 0)[0], 0xBEEF);
    EXPECT_EQ(at(0, 1)[0], 0xBEEF);
    std::fill(host.begin(), host.end(), 0xBEEF);
    MRV_GetRGBA64LayerRect(host.data(), 3 * 8, 2, 100, 0, 3, 3);
    MRV_GetRGBA64LayerRect(host.data(), 3 * 8, 2, 0, 0, -3, 3);
    for (uint16_t v : host) ASSERT_EQ(v, 0xBEEF);
}

TEST_F(PixelTransfer, DataExtentsCoverNonTransparentPixels) {
    MRV_DeleteImage();
    makeCanvas(8, 9);
    int32_t l = -1, t = -1, r = -1, b = -1;
    MRV_FindDataExtentsLayer(2, &l, &t, &r, &b);
    EXPECT_EQ((std::array<int32_t, 4>{l, t, r, b}), (std::array<int32_t, 4>{8, 9, 0, 0}));
    put(2, 5, 7, Px{0, 0, 0, 1});
    MRV_FindDataExtentsLayer(2, &l, &t, &r, &b);
    EXPECT_EQ((std::array<int32_t, 4>{l, t, r, b}), (std::array<int32_t, 4>{5, 7, 5, 7}));
    put(2, 1, 8, Px{0, 0, 0, 1});
    put(2, 6, 2, Px{0, 0, 0, 65535});
    MRV_FindDataExtentsLayer(2, &l, &t, &r, &b);
    EXPECT_EQ((std::array<int32_t, 4>{l, t, r, b}), (std::array<int32_t, 4>{1, 2, 6, 8}));
    // Colour without alpha does not count; an empty layer writes nothing.
    MRV_FindDataExtentsLayer(1, &l, &t, &r, &b);
    EXPECT_EQ((std::array<int32_t, 4>{l, t, r, b}), (std::array<int32_t, 4>{0, 0, 7, 8}));
    l = t = r = b = -1;
    MRV_FindDataExtentsLayer(7, &l, &t, &r, &b);
    MRV_FindDataExtentsLayer(-1, &l, &t, &r, &b);
    EXPECT_EQ((std::array<int32_t, 4>{l, t, r, b}), (std::array<int32_t, 4>{-1, -1, -1, -1}));
    MRV_FindDataExtentsLayer(2, nullptr, nullptr, nullptr, nullptr);
}

// ---- Host-buffer conversions ------------------------------------------------------------

TEST_F(PixelTransfer, HostConversionsStartAtTheFirstPixelOfBothBuffers) {
    // 2 x 2 source at a stride of 3 pixels, destination rows padded too.
    std::vector<uint16_t> src(3 * 2 * 4, 0);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            for (int k = 0; k < 4; ++k) src[(y * 3 + x) * 4 + k] = static_cast<uint16_t>(((y * 3 + x) * 16 + k) << 8 | 0xFF);
    std::vector<uint8_t> dst(5 * 2 * 4, 0xEE);
    MRV_GetRGBA32FromRGBA64Rect(dst.data(), 5 * 4, src.data(), 3 * 8, 7, 9, 2, 2);
    EXPECT_EQ(dst[0], 0);
    EXPECT_EQ(dst[7], 16 + 3);
    EXPECT_EQ(dst[5 * 4 + 4 + 2], 4 * 16 + 2);  // (1, 1) from source pixel 4
    EXPECT_EQ(dst[8], 0xEE);
    std::vector<uint8_t> rgb(2 * 2 * 3, 0xEE);
    MRV_GetRGB24FromRGBA64Rect(rgb.data(), 2 * 3, src.data(), 3 * 8, 0, 0, 2, 2);
    EXPECT_EQ(rgb[3 * 3 + 2], 4 * 16 + 2);
    std::fill(dst.begin(), dst.end(), 0xEE);
    MRV_GetRGBA32FromRGBA64(dst.data(), 5 * 4, 1, 2, src.data(), 3 * 8);
    EXPECT_EQ(dst[5 * 4], 3 * 16);
    EXPECT_EQ(dst[4], 0xEE);
    MRV_GetRGBA32FromRGBA64(nullptr, 5 * 4, 1, 2, src.data(), 3 * 8);
    MRV_GetRGBA32FromRGBA64(dst.data(), 5 * 4, 1, 2, nullptr, 3 * 8);
    // Canvas-sized form.
    std::vector<uint16_t> canvas(kW * kH * 4, 0xAB00);
    std::vector<uint8_t> canvasRgb(kW * kH * 3, 0);
    MRV_GetRGB24FromRGBA64(canvasRgb.data(), kW * 3, canvas.data(), kW * 8);
    for (uint8_t b : canvasRgb) ASSERT_EQ(b, 0xAB);
    MRV_GetRGB24FromRGBA64(canvasRgb.data(), kW * 3, nullptr, kW * 8);
}

TEST_F(PixelTransfer, RectToPackedReadsTheRectangleAndRefusesImpossibleOnes) {
    std::vector<uint16_t> src(4 * 3 * 4);
    for (int i = 0; i < 4 * 3; ++i)
        for (int k = 0; k < 4; ++k) src[i * 4 + k] = static_cast<uint16_t>((i * 4 + k) << 8);
    std::vector<uint8_t> out(2 * 2 * 4, 0xEE);
    MRV_RGBA64RectToRGBA32(src.data(), 1, 1, 2, 2, 4, 0, out.data());
    // (1, 1) is source pixel 5, (2, 2) is pixel 10.
    EXPECT_EQ(out[0], 5 * 4);
    EXPECT_EQ(out[3 * 4 + 3], 10 * 4 + 3);
    std::vector<uint8_t> rgb(2 * 2 * 3, 0xEE);
    MRV_RGBA64RectToRGBA24(src.data(), 1, 1, 2, 2, 4, 0, rgb.data());
    EXPECT_EQ(rgb[3], 6 * 4);
    EXPECT_EQ(rgb[11], 10 * 4 + 2);
    std::vector<uint8_t> untouched(16, 0xEE);
    MRV_RGBA64RectToRGBA32(src.data(), -1, 0, 2, 2, 4, 0, untouched.data());
    MRV_RGBA64RectToRGBA32(src.data(), 0, -1, 2, 2, 4, 0, untouched.data());
    MRV_RGBA64RectToRGBA32(src.data(), 3, 0, 2, 1, 4, 0, untouched.data());
    for (uint8_t b : untouched) ASSERT_EQ(b, 0xEE);
}

TEST_F(PixelTransfer, SetPixelRGB24WritesHighBytesInsideTheCanvasOnly) {
    std::vector<uint8_t> rgb(kW * kH * 3, 0);
    MRV_SetPixelRGB24(rgb.data(), kW * 3, 3, 3, 0x12FF, 0x3400, 0xFFFF);
    EXPECT_EQ(rgb[(3 * kW + 3) * 3 + 0], 0x12);
    EXPECT_EQ(rgb[(3 * kW + 3) * 3 + 1], 0x34);
    EXPECT_EQ(rgb[(3 * kW + 3) * 3 + 2], 0xFF);
    const std::vector<uint8_t> before = rgb;
    MRV_SetPixelRGB24(rgb.data(), kW * 3, 4, 0, 0xFFFF, 0xFFFF, 0xFFFF);
    MRV_SetPixelRGB24(rgb.data(), kW * 3, 0, -1, 0xFFFF, 0xFFFF, 0xFFFF);
    MRV_SetPixelRGB24(nullptr, kW * 3, 0, 0, 0xFFFF, 0xFFFF, 0xFFFF);
    EXPECT_EQ(rgb, before);
}

// ---- Fills ------------------------------------------------------------------------------

TEST_F(PixelTransfer, ClearMaskedBlendsPartlySelectedPixelsToOpaque) {
    fillLayer(2, kD);
    fillMask(0xFFFF);
    engine().selection.maskPlane[1] = 0x0000;
    engine().selection.maskPlane[2] = 0x00FF;  // weight 255 here, unlike the loaders
    MRV_ClearMasked(255, 0, 0, 128);
    EXPECT_EQ(get(2, 0, 0), (Px{65280, 0, 0, 32768}));
    EXPECT_EQ(get(2, 1, 0), kD);
    // d' = ((65280*255 >> 8) + (10000*65280 >> 8)) >> 8 = 10214; green 20000 -> 19921; blue 30000 -> 29882
    EXPECT_EQ(get(2, 2, 0), (Px{10214, 19921, 29882, 65535}));
    engine().selection.maskEnabled = 0;
    MRV_ClearMasked(1, 2, 3, 4);
    EXPECT_EQ(get(2, 1, 0), (Px{256, 512, 768, 1024}));
}

TEST_F(PixelTransfer, ClearMaskedAlphaLoadsTheColourThroughTheSelection) {
    fillLayer(2, kD);
    fillMask(0xFFFF);
    engine().selection.maskPlane[1] = 0x7FFF;
    engine().selection.maskPlane[2] = 0x00FF;
    EXPECT_EQ(MRV_ClearMaskedAlpha(200, 100, 50, 128), 1);
    EXPECT_EQ(get(2, 0, 0), (Px{51200, 25600, 12800, 32768}));
    EXPECT_EQ(get(2, 1, 0), (Px{30599, 22799, 21399, 36383}));
    EXPECT_EQ(get(2, 2, 0), kD);
    engine().selection.maskEnabled = 0;
    EXPECT_EQ(MRV_ClearMaskedAlpha(0, 0, 0, 0), 1);
    EXPECT_EQ(get(2, 2, 0), (Px{0, 0, 0, 0}));
}

TEST_F(PixelTransfer, HostBufferFillsUseTheirOwnSizes) {
    std::vector<uint16_t> b64(kW * kH * 4 + 4, 0);
    MRV_ClearRGBA64(b64.data(), kW * 8, 1, 0x8000, 0xFFFF, 65536 + 9);
    EXPECT_EQ(b64[(kW * kH - 1) * 4 + 1], 0x8000);
    EXPECT_EQ(b64[(kW * kH - 1) * 4 + 3], 9) << "the low 16 bits";
    EXPECT_EQ(b64[kW * kH * 4], 0) << "nothing past the canvas";
    std::vector<uint8_t> b32(kW * kH * 4 + 4, 0);
    MRV_ClearRGBA32(b32.data(), kW * 4, 1, 2, 3, 260);
    EXPECT_EQ(b32[(kW * kH - 1) * 4 + 3], 4);
    EXPECT_EQ(b32[kW * kH * 4], 0);
    std::vector<uint8_t> packed(3 * 2 * 4 + 4, 0);
    MRV_ClearRGBA32Buf(packed.data(), 3, 2, 9, 8, 7, 6);
    EXPECT_EQ(packed[5 * 4 + 3], 6);
    EXPECT_EQ(packed[6 * 4], 0);
    MRV_ClearRGBA32Buf(packed.data(), -3, 2, 1, 1, 1, 1);
    MRV_ClearRGBA32Buf(nullptr, 3, 2, 1, 1, 1, 1);
    EXPECT_EQ(packed[0], 9);
}

// ---- Alpha and colour keys ----------------------------------------------------------------

TEST_F(PixelTransfer, AlphaOperations) {
    fillLayer(2, Px{1, 2, 3, 40001});
    MRV_InvertAlpha(2);
    EXPECT_EQ(get(2, 3, 3), (Px{1, 2, 3, 25534}));
    MRV_SetLayerAlpha(2, 0x1FFFF);
    EXPECT_EQ(get(2, 0, 0)[3], 0xFFFF);
    MRV_SetLayerAlpha(2, 40001);
    // Opacity 50 % is 128: alpha = (128 * 40001) >> 8 = 20000.
    MRV_SetLayerOptions(2, 1, 0, 50, "Normal");
    MRV_NormalizeLayerAlpha(2);
    EXPECT_EQ(get(2, 1, 1)[3], 20000);
    EXPECT_EQ(engine().core.layers[2].opacity, 256);
    // Above 100 % the baked alpha saturates instead of wrapping.
    MRV_SetLayerOptions(2, 1, 0, 200, "Normal");
    MRV_NormalizeLayerAlpha(2);
    EXPECT_EQ(get(2, 1, 1)[3], 40000);
    MRV_SetLayerOptions(2, 1, 0, 400, "Normal");
    MRV_NormalizeLayerAlpha(2);
    EXPECT_EQ(get(2, 1, 1)[3], 65535);
    std::vector<uint8_t> rgba(kW * kH * 4 + 4, 10);
    MRV_InvertAlpha_RGBA32(rgba.data());
    EXPECT_EQ(rgba[(kW * kH - 1) * 4 + 3], 245);
    EXPECT_EQ(rgba[(kW * kH - 1) * 4 + 2], 10);
    EXPECT_EQ(rgba[kW * kH * 4 + 3], 10);
}

TEST_F(PixelTransfer, ColourKeys) {
    put(2, 0, 0, Px{9, 9, 9, 255});
    put(2, 1, 0, Px{9, 9, 9, 256});
    MRV_SetColorAlpha(255, 0, 0);
    EXPECT_EQ(get(2, 0, 0), (Px{65535, 0, 0, 0}));
    EXPECT_EQ(get(2, 1, 0), (Px{9, 9, 9, 256}));
    EXPECT_EQ(get(2, 2, 0), (Px{65535, 0, 0, 0}));
    uint8_t buf[3 * 4] = {1, 1, 1, 0, 2, 2, 2, 5, 7, 8, 9, 0};
    MRV_SetColorAlphaRGBABuf(buf, 3, 1, 50, 60, 70);
    EXPECT_EQ(buf[0], 50);
    EXPECT_EQ(buf[4], 2);
    EXPECT_EQ(buf[10], 70);
    MRV_SetColorRGBABuf(buf, 3, 1, 3, 4, 5);
    EXPECT_EQ(buf[4], 3);
    EXPECT_EQ(buf[7], 5) << "alpha kept";
    std::vector<uint8_t> canvas(kW * kH * 4, 255);
    canvas[4 * 5 + 0] = 254;
    MRV_SetAlphaFromRGBAImageColor(canvas.data(), 255, 255, 255);
    EXPECT_EQ(canvas[3], 0);
    EXPECT_EQ(canvas[4 * 5 + 3], 255);
    EXPECT_EQ(canvas[4 * 15 + 3], 0);
}

TEST_F(PixelTransfer, BlurPaintLayerAlphaKeepsTheSolidCoreAndSoftensTheRest) {
    MRV_BlurPaintLayerAlpha();  // no PaintLayer: nothing, no error
    MRV_CreatePaintLayer(100, "Normal");
    mrv::LayerSlot& p = engine().core.paintLayer;
    ASSERT_NE(p.pixels, nullptr);
    std::vector<uint8_t> plane(p.width * p.height, 0);
    plane[1 * p.width + 1] = 240;
    plane[2 * p.width + 2] = 239;
    for (int i = 0; i < p.width * p.height; ++i) {
        p.pixels[i * 4 + 3] = static_cast<uint16_t>(plane[i] << 8 | 0x7F);
        p.pixels[i * 4 + 0] = 77;
    }
    std::vector<uint8_t> blurred(plane.size());
    ASSERT_TRUE(mrv::platform::blurPlane(plane.data(), blurred.data(), p.width, p.height, p.width, 100));
    MRV_BlurPaintLayerAlpha();
    EXPECT_EQ(p.pixels[(1 * p.width + 1) * 4 + 3], 65535);
    EXPECT_LT(blurred[2 * p.width + 2], 239) << "the 239 pixel is softened, not kept";
    for (int i = 0; i < p.width * p.height; ++i) {
        if (i == 1 * p.width + 1) continue;
        ASSERT_EQ(p.pixels[i * 4 + 3], blurred[i] << 8) << i;
        ASSERT_EQ(p.pixels[i * 4 + 0], 77);
    }
}

// ---- Compressed blob ------------------------------------------------------------------------

TEST_F(PixelTransfer, BlobIsPlainZlibOfRGBA32AndRoundTrips) {
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) put(2, x, y, Px{uint16_t(x << 12 | 0xFF), uint16_t(y << 12), 0x8000, uint16_t((x + y) << 8)});
    std::vector<uint8_t> blob(1024);
    const int32_t len = MRV_GetRGBA32LayerCompressed(blob.data(), 0, 1024, 2, 9);
    ASSERT_GT(len, 0);
    // Any zlib reader inflates it into canvasWidth * 4 bytes a row.
    std::vector<uint8_t> plain(kW * kH * 4);
    uLongf plainLen = plain.size();
    ASSERT_EQ(uncompress(plain.data(), &plainLen, blob.data(), len), Z_OK);
    ASSERT_EQ(plainLen, plain.size());
    EXPECT_EQ(plain[(2 * kW + 3) * 4 + 0], 3 << 4);
    EXPECT_EQ(plain[(2 * kW + 3) * 4 + 1], 2 << 4);
    EXPECT_EQ(plain[(2 * kW + 3) * 4 + 2], 0x80);
    EXPECT_EQ(plain[(2 * kW + 3) * 4 + 3], 5);
    ASSERT_EQ(MRV_CreateLayer(4, kW, kH), 1);
    EXPECT_EQ(MRV_LoadRGBA32LayerCompressed(blob.data(), 0, len, 4), 1);
    EXPECT_EQ(get(4, 3, 2), (Px{3 << 12, 2 << 12, 0x8000, 5 << 8}));
    // Transparent pixel (0, 0) loads as all zeros (unweighted, unlocked).
    EXPECT_EQ(get(4, 0, 0), (Px{0, 0, 0, 0}));
    // Too little room and empty layers give 0.
    EXPECT_EQ(MRV_GetRGBA32LayerCompressed(blob.data(), 0, 4, 2, -1), 0);
    EXPECT_EQ(MRV_GetRGBA32LayerCompressed(blob.data(), 0, 1024, 8, -1), 0);
    EXPECT_EQ(MRV_GetRGBA32LayerCompressed(nullptr, 0, 1024, 2, -1), 0);
}

TEST_F(PixelTransfer, BadBlobsAreRefusedAndLeaveTheLayer) {
    std::vector<uint8_t> blob(1024);
    const int32_t len = MRV_GetRGBA32LayerCompressed(blob.data(), 0, 1024, 1, -1);
    ASSERT_GT(len, 0);
    fillLayer(2, kD);
    const std::vector<uint16_t> before = snapshot(2);
    // A blob of a 2 x 2 picture: inflates to the wrong size.
    std::vector<uint8_t> small(16, 9), smallBlob(256);
    uLongf smallLen = smallBlob.size();
    ASSERT_EQ(compress(smallBlob.data(), &smallLen, small.data(), small.size()), Z_OK);
    std::vector<uint8_t> corrupt(blob.begin(), blob.begin() + len);
    corrupt[len / 2] ^= 0x5A;
    corrupt[len - 1] ^= 0xFF;
    struct Bad { const char* name; const uint8_t* data; int32_t length; };
    const Bad bad[] = {{"truncated", blob.data(), len - 3}, {"corrupt", corrupt.data(), len},
                       {"too small", smallBlob.data(), static_cast<int32_t>(smallLen)},
                       {"null", nullptr, len}, {"negative length", blob.data(), -5}};
    for (const Bad& b : bad) {
        MRV_SetLastError("");
        EXPECT_EQ(MRV_LoadRGBA32LayerCompressed(b.data, 0, b.length, 2), 0) << b.name;
        EXPECT_STREQ(MRV_GetLastError(), "LoadRGBA32LayerCompressed Excpt") << b.name;
        EXPECT_EQ(snapshot(2), before) << b.name;
    }
    // Into an empty layer: nothing, and nothing to report.
    MRV_SetLastError("");
    EXPECT_EQ(MRV_LoadRGBA32LayerCompressed(blob.data(), 0, len, 30), 0);
    EXPECT_STREQ(MRV_GetLastError(), "");
}

// ---- Getters ------------------------------------------------------------------------------

TEST_F(PixelTransfer, PackedGettersAtAndBeyondTheEdges) {
    put(2, 0, 0, Px{0x1234, 0x5678, 0x9ABC, 0xDEF0});
    put(2, 3, 3, Px{0x0100, 0x0200, 0x0300, 0x0400});
    const uint16_t* buf = engine().core.layers[2].pixels;
    struct Case { int x, y; uint32_t rgba, argb; };
    const Case cases[] = {
        {0, 0, 0x12569ADE, 0xDE12569A},  {-1, 0, 0x12569ADE, 0xFFFFFF}, {0, -5, 0x12569ADE, 0xFFFFFF},
        {3, 3, 0x01020304, 0x04010203},  {4, 3, 0x01020304, 0xFFFFFF},  {99, 99, 0x01020304, 0xFFFFFF},
        {INT32_MIN, INT32_MAX, 0, 0xFFFFFF},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MRV_GetRGBAAt(c.x, c.y, buf), c.rgba) << c.x << "," << c.y;
        EXPECT_EQ(MRV_GetRGBAAtSurface(c.x, c.y), c.rgba) << c.x << "," << c.y;
        EXPECT_EQ(MRV_GetRGBAAtLayer(c.x, c.y, 2), c.rgba) << c.x << "," << c.y;
        EXPECT_EQ(MRV_GetColorAt(c.x, c.y, buf), c.argb) << c.x << "," << c.y;
        EXPECT_EQ(MRV_GetColorAtSurface(c.x, c.y), c.argb) << c.x << "," << c.y;
        EXPECT_EQ(MRV_GetColorAtLayer(c.x, c.y, 2), c.argb) << c.x << "," << c.y;
    }
    EXPECT_EQ(MRV_GetRGBAAt(0, 0, nullptr), 0u);
    EXPECT_EQ(MRV_GetColorAt(-1, 0, nullptr), 0u);
    EXPECT_EQ(MRV_GetRGBAAtLayer(0, 0, 64), 0u);
    EXPECT_EQ(MRV_GetColorAtLayer(-1, 0, 9), 0u);
    EXPECT_EQ(MRV_GetRGBAAtLayer(0, 0, 1), 0xFFFFFFFFu);
    // Trace is layer 0: 0 while empty.
    EXPECT_EQ(MRV_GetRGBAAtTrace(0, 0), 0u);
    EXPECT_EQ(MRV_GetColorAtTrace(9, 9), 0u);
    ASSERT_EQ(MRV_CreateLayer(0, kW, kH), 1);
    put(0, 1, 1, Px{0xFF00, 0, 0, 0xFF00});
    EXPECT_EQ(MRV_GetRGBAAtTrace(1, 1), 0xFF0000FFu);
    EXPECT_EQ(MRV_GetColorAtTrace(1, 1), 0xFFFF0000u);
}

TEST_F(PixelTransfer, ChannelAndMaskGetters) {
    put(2, 1, 2, Px{11, 22, 33, 44});
    EXPECT_EQ(MRV_GetRed64(1, 2), 11);
    EXPECT_EQ(MRV_GetGreen64(1, 2), 22);
    EXPECT_EQ(MRV_GetBlue64(1, 2), 33);
    EXPECT_EQ(MRV_GetAlpha64(1, 2), 44);
    EXPECT_EQ(MRV_GetAlpha64(4, 2), 0);
    EXPECT_EQ(MRV_GetRed64(-1, 0), 0);
    engine().selection.maskPlane[2 * kW + 1] = 0x1000;
    EXPECT_EQ(MRV_GetMask64(1, 2), 65535 - 0x1000);
    EXPECT_EQ(MRV_GetMask64(0, 0), 0);
    EXPECT_EQ(MRV_GetMask64(1, 4), 0);
    engine().selection.maskEnabled = 0;
    EXPECT_EQ(MRV_GetMask64(1, 2), 0);
    std::vector<uint16_t> mask(kW * kH + 1, 7);
    MRV_GetMaskData16(mask.data());
    EXPECT_EQ(mask[2 * kW + 1], 0x1000);
    EXPECT_EQ(mask[0], 0xFFFF);
    EXPECT_EQ(mask[kW * kH], 7);
    mask[5] = 1234;
    MRV_SetMaskData16(mask.data());
    EXPECT_EQ(engine().selection.maskPlane[5], 1234);
    MRV_SetMaskData16(nullptr);
    MRV_GetMaskData16(nullptr);
}

TEST_F(PixelTransfer, UnderLayerAndHistoryReadTheBackBuffer) {
    // Selecting a layer saves it into the back buffer; later edits do not show there.
    put(2, 1, 1, Px{0x1100, 0x2200, 0x3300, 0x4400});
    MRV_SetLayer(2);
    put(2, 1, 1, Px{0xFF00, 0xFF00, 0xFF00, 0xFF00});
    EXPECT_EQ(MRV_GetRGBAAtUnderLayer(1, 1), 0x11223344u);
    EXPECT_EQ(MRV_GetColorAtUnderLayer(1, 1), 0x44112233u);
    EXPECT_EQ(MRV_GetColorAtUnderLayer(1, -1), 0xFFFFFFu);
    EXPECT_EQ(MRV_GetRGBAAtSurface(1, 1), 0xFFFFFFFFu);
    // History answers only while a record sits at the current position.
    EXPECT_EQ(MRV_GetColorAtHistory(1, 1), 0u);
    mrv::UndoRecord& r = engine().undo.records[engine().undo.undoPosition];
    uint16_t block[4] = {};
    r.mask = block;
    EXPECT_EQ(MRV_GetColorAtHistory(1, 1), 0x44112233u);
    EXPECT_EQ(MRV_GetColorAtHistory(-1, 1), 0xFFFFFFu);
    r.mask = nullptr;
}

// ---- Bad input --------------------------------------------------------------------------------

TEST_F(PixelTransfer, NoCurrentLayerAndNoCanvasAreHarmless) {
    MRV_DeleteImage();
    // No canvas, no layers, no current layer.
    std::vector<uint8_t> b8(64, 3);
    std::vector<uint16_t> b16(64, 3);
    MRV_LoadRGBA32(b8.data(), 16, 1);
    MRV_LoadRGB24(b8.data(), 12, 1);
    MRV_LoadRGB24ToAlpha(b8.data(), 12, 1);
    MRV_Load(b8.data(), 12, 4, 4);
    MRV_Clear(1, 1, 1, 1);
    MRV_ClearMasked(1, 1, 1, 1);
    EXPECT_EQ(MRV_ClearMaskedAlpha(1, 1, 1, 1), 0);
    MRV_SetColorAlpha(1, 1, 1);
    EXPECT_EQ(MRV_GetRGBA32(b8.data(), 16), 0);
    MRV_GetRGB24(b8.data(), 12);
    MRV_GetRGB24FromAlpha(b8.data(), 12);
    MRV_BlurPaintLayerAlpha();
    EXPECT_EQ(MRV_GetRed64(0, 0), 0);
    EXPECT_EQ(MRV_GetMask64(0, 0), 0);
    EXPECT_EQ(MRV_GetRGBAAtSurface(0, 0), 0u);
    EXPECT_EQ(MRV_GetRGBAAtUnderLayer(0, 0), 0u);
    EXPECT_EQ(MRV_GetColorAtUnderLayer(0, 0), 0u);
    EXPECT_EQ(MRV_GetColorAtHistory(0, 0), 0u);
    EXPECT_EQ(MRV_GetRGBAAt(0, 0, b16.data()), 0u) << "a zero-sized canvas has no pixel to clamp to";
    MRV_GetMaskData16(b16.data());
    MRV_SetMaskData16(b16.data());
    for (uint8_t v : b8) ASSERT_EQ(v, 3);
    for (uint16_t v : b16) ASSERT_EQ(v, 3);
    makeCanvas(kW, kH);  // for TearDown
}

TEST_F(PixelTransfer, BadLayerNumbersAndNullBuffersChangeNothing) {
    fillLayer(2, kD);
    const std::vector<uint16_t> before = snapshot(2);
    std::vector<uint8_t> b8(kW * kH * 4, 3);
    std::vector<uint16_t> b16(kW * kH * 4, 3);
    for (int n : {-1, 5, 64, INT32_MIN}) {
        MRV_LoadRGBA32Layer(b8.data(), kW * 4, n, 0, 0, kW, kH, 0);
        MRV_LoadRGBA32Into(b8.data(), kW * 4, n, 0, 0, kW, kH);
        EXPECT_EQ(MRV_SetRGBA64Layer(b16.data(), kW * 8, n), 0);
        MRV_SetLayerData(b16.data(), n);
        MRV_CopyLayerData(n, 2);
        MRV_CopyLayerData(2, n);
        EXPECT_EQ(MRV_GetRGBA32Layer(b8.data(), kW * 4, n), 0);
        MRV_GetRGB24Layer(b8.data(), kW * 3, n);
        MRV_GetRGBA64Layer(b16.data(), kW * 8, n);
        MRV_GetRGBA64LayerRect(b16.data(), kW * 8, n, 0, 0, 2, 2);
        MRV_GetLayerData(b16.data(), n);
        MRV_InvertAlpha(n);
        MRV_SetLayerAlpha(n, 0);
        MRV_NormalizeLayerAlpha(n);
    }
    for (uint8_t v : b8) ASSERT_EQ(v, 3);
    for (uint16_t v : b16) ASSERT_EQ(v, 3);
    MRV_LoadRGBA32Layer(nullptr, kW * 4, 2, 0, 0, kW, kH, 1);
    MRV_LoadRGBA32(nullptr, kW * 4, 0);
    MRV_LoadRGB24(nullptr, kW * 3, 0);
    MRV_LoadRGB24ToAlpha(nullptr, kW * 3, 0);
    MRV_Load(nullptr, kW * 3, kW, kH);
    MRV_Load(b8.data(), kW * 3, -1, kH);
    EXPECT_EQ(MRV_SetRGBA64Layer(nullptr, kW * 8, 2), 0);
    MRV_SetLayerData(nullptr, 2);
    EXPECT_EQ(MRV_GetRGBA32Layer(nullptr, kW * 4, 2), 0);
    MRV_GetRGB24Layer(nullptr, kW * 3, 2);
    MRV_GetRGBA64Layer(nullptr, kW * 8, 2);
    MRV_GetRGBA64LayerRect(nullptr, kW * 8, 2, 0, 0, 1, 1);
    MRV_GetLayerData(nullptr, 2);
    MRV_InvertAlpha_RGBA32(nullptr);
    MRV_SetColorAlphaRGBABuf(nullptr, 2, 2, 0, 0, 0);
    MRV_SetColorRGBABuf(nullptr, 2, 2, 0, 0, 0);
    MRV_SetAlphaFromRGBAImageColor(nullptr, 0, 0, 0);
    MRV_ClearRGBA64(nullptr, kW * 8, 0, 0, 0, 0);
    MRV_ClearRGBA32(nullptr, kW * 4, 0, 0, 0, 0);
    MRV_RGBA64RectToRGBA32(nullptr, 0, 0, 1, 1, 1, 0, b8.data());
    MRV_RGBA64RectToRGBA24(b16.data(), 0, 0, 1, 1, 1, 0, nullptr);
    EXPECT_EQ(snapshot(2), before);
}

}  // namespace

namespace {

// The older blended loader: adjust, clear the selection on the current layer,
// then lay the picture over layer n through the compositing path.
TEST_F(PixelTransfer, BlendedLoaderAdjustsClearsAndBlends) {
    fillLayer(2, kD);
    ASSERT_EQ(MRV_CreateLayer(3, kW, kH), 1);
    ASSERT_EQ(MRV_CreateLayer(4, kW, kH), 1);
    fillMask(0xFFFF);
    engine().selection.maskPlane[1] = 0x8000;
    std::vector<uint8_t> data(kW * kH * 4);
    for (int i = 0; i < kW * kH; ++i) {
        data[i * 4 + 0] = 200;
        data[i * 4 + 1] = 100;
        data[i * 4 + 2] = 50;
        data[i * 4 + 3] = 255;
    }
    MRV_LoadRGBA32Layer_BAD(data.data(), 0, 3, kW, kH, 1);
    // Alpha weighted by 16-bit mask: w = (32768 * 65535) >> 16 = 32767;
    // trunc(32767 / 65535 * 255) = 127. Full-weight pixels keep 255.
    EXPECT_EQ(data[1 * 4 + 3], 127);
    EXPECT_EQ(data[0 * 4 + 3], 255);
    // The current layer was cleared under the selection: fully selected ->
    // (0, 0, 0, 0); weight 32768 -> colour (d * 32767 >> 8) >> 8, alpha 65535.
    EXPECT_EQ(get(2, 0, 0), (Px{0, 0, 0, 0}));
    EXPECT_EQ(get(2, 1, 0), (Px{4999, 9999, 14999, 65535}));
    // Layer 3 got exactly what the compositing path makes of the adjusted data.
    mrv::applyRGBA32ToLayer(data.data(), engine().core.layers[4], 0, 0, 255, 0);
    EXPECT_EQ(snapshot(3), snapshot(4));
    EXPECT_NE(get(3, 0, 0), (Px{0, 0, 0, 0}));
    // An alpha-locked target keeps its alpha; an empty target changes nothing,
    // not even the current layer.
    fillLayer(3, Px{1, 2, 3, 777});
    MRV_SetLayerOptions(3, 1, 1, 100, "Normal");
    MRV_LoadRGBA32Layer_BAD(data.data(), 0, 3, kW, kH, 0);
    EXPECT_EQ(get(3, 2, 2)[3], 777);
    fillLayer(2, kD);
    MRV_LoadRGBA32Layer_BAD(data.data(), 0, 9, kW, kH, 1);
    MRV_LoadRGBA32Layer_BAD(nullptr, 0, 3, kW, kH, 1);
    EXPECT_EQ(get(2, 0, 0), kD);
}

}  // namespace
