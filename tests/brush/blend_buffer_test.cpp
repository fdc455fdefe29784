// Blend buffer: pick-up copy and mix from the four sources, tint, mask copy,
// clear, fill and filter, on clipped and unclipped footprints. Expected values
// are worked from the weight formulas by hand in the comments.
#include <gtest/gtest.h>
#include <morvane/morvane.h>

#include <climits>
#include <cstring>
#include <vector>

#include "brush/blend_buffer.h"
#include "core/engine_state.h"

namespace {

using mrv::engine;

constexpr int32_t kSide = 8;      // canvas 8 x 8
constexpr int32_t kBrushMax = 16;  // buffer 16 x 16, stride 64
constexpr uint16_t kSentinel = 0x5A5A;

struct Px {
    uint16_t r, g, b, a;
};

class BlendBuffer : public ::testing::Test {
protected:
    void SetUp() override {
        MRV_CreateImage(nullptr, kSide, kSide, kBrushMax, 0);
        ASSERT_EQ(MRV_CreateLayer(1, kSide, kSide), 1);
        ASSERT_EQ(MRV_CreateLayer(2, kSide, kSide), 1);
        MRV_SetLayer(2);
        mrv::BrushState& b = engine().brush;
        b.brushSize = 4;
        b.blendStrength = 128;
        b.mixMode = 32;
        setBrush({0x1000, 0x8000, 0xFF00, 0xFFFF});
        engine().selection.maskEnabled = 0;
        fillBuffer(kSentinel);
    }
    void TearDown() override { MRV_DeleteImage(); }

    static void setBrush(Px c) {
        uint16_t* p = engine().brush.brushColor;
        p[0] = c.r;
        p[1] = c.g;
        p[2] = c.b;
        p[3] = c.a;
    }
    static void fillBuffer(uint16_t v) {
        std::fill(engine().brush.blendBuffer.pixels, engine().brush.blendBuffer.pixels + kBrushMax * kBrushMax * 4, v);
    }
    static uint16_t* buf(int32_t row, int32_t col) {
        return engine().brush.blendBuffer.pixels + row * kBrushMax * 4 + col * 4;
    }
    static Px bufPx(int32_t row, int32_t col) {
        const uint16_t* p = buf(row, col);
        return {p[0], p[1], p[2], p[3]};
    }
    static void setBuf(int32_t row, int32_t col, Px v) {
        uint16_t* p = buf(row, col);
        p[0] = v.r;
        p[1] = v.g;
        p[2] = v.b;
        p[3] = v.a;
    }
    static void setLayerPx(int32_t n, int32_t x, int32_t y, Px v) {
        uint16_t* p = engine().core.layers[n].pixels + (y * kSide + x) * 4;
        p[0] = v.r;
        p[1] = v.g;
        p[2] = v.b;
        p[3] = v.a;
    }
    static void fillLayer(int32_t n, Px v) {
        for (int32_t y = 0; y < kSide; ++y)
            for (int32_t x = 0; x < kSide; ++x) setLayerPx(n, x, y, v);
    }
    static std::vector<uint16_t> bufferCopy() {
        const uint16_t* p = engine().brush.blendBuffer.pixels;
        return std::vector<uint16_t>(p, p + kBrushMax * kBrushMax * 4);
    }
};

void expectPx(Px got, Px want, const char* what) {
    EXPECT_EQ(got.r, want.r) << what;
    EXPECT_EQ(got.g, want.g) << what;
    EXPECT_EQ(got.b, want.b) << what;
    EXPECT_EQ(got.a, want.a) << what;
}

TEST_F(BlendBuffer, CopyWeightsAndTheChannelCeiling) {
    struct Case {
        const char* what;
        Px source;
        int32_t weight, flag;
        Px want;
    };
    // Brush (4096, 32768, 65280, 65535).
    const Case cases[] = {
        // w 0: min(65280, S + 1), alpha = source alpha.
        {"w0 opaque", {65535, 1000, 0, 65535}, 0, 0, {65280, 1001, 1, 65535}},
        // w 256: min(65280, brush + 1), brush alpha.
        {"w256 opaque", {1, 2, 3, 65535}, 256, 0, {4097, 32769, 65280, 65535}},
        // w 128: (20000*128 + 4096*128) >> 8 = 12048, +1; alpha (30000 + 65535)*128 >> 8 = 47767.
        {"w128", {20000, 40000, 60000, 30000}, 128, 0, {12049, 36385, 62641, 47767}},
        // Transparent source: brush colour, alpha (w & 0xFF) * 256 or ((256 - w) & 0xFF) * 256.
        {"w256 transparent", {9, 9, 9, 0}, 256, 0, {4096, 32768, 65280, 0}},
        {"w256 transparent flag", {9, 9, 9, 0}, 256, 1, {4096, 32768, 65280, 0}},
        {"w64 transparent", {9, 9, 9, 0}, 64, 0, {4096, 32768, 65280, 16384}},
        {"w64 transparent flag", {9, 9, 9, 0}, 64, 1, {4096, 32768, 65280, 49152}},
        // The flag counts in its low byte only: 0x100 is 0.
        {"w64 transparent flag 0x100", {9, 9, 9, 0}, 64, 0x100, {4096, 32768, 65280, 16384}},
    };
    for (const Case& k : cases) {
        fillBuffer(kSentinel);
        fillLayer(2, k.source);
        // Centre (4, 4), size 4: canvas (2..5, 2..5), inside the 8 x 8 canvas.
        MRV_CopyBlendBufferSurface(4, 4, k.weight, k.flag);
        expectPx(bufPx(0, 0), k.want, k.what);
        expectPx(bufPx(3, 3), k.want, k.what);
        // Unclipped: nothing outside the 4 x 4 square is written.
        EXPECT_EQ(buf(0, 4)[0], kSentinel) << k.what;
        EXPECT_EQ(buf(4, 0)[3], kSentinel) << k.what;
    }
}

TEST_F(BlendBuffer, CopyReadsTheFootprintInPlace) {
    for (int32_t y = 0; y < kSide; ++y)
        for (int32_t x = 0; x < kSide; ++x)
            setLayerPx(2, x, y, {static_cast<uint16_t>(x * 1000), static_cast<uint16_t>(y * 1000), 0, 65535});
    // Centre (5, 3), size 4: left 3, top 1; buffer (row j, column i) <- canvas (3 + i, 1 + j).
    MRV_CopyBlendBufferSurface(5, 3, 0, 0);
    expectPx(bufPx(0, 0), {3001, 1001, 1, 65535}, "top-left");
    expectPx(bufPx(2, 3), {6001, 3001, 1, 65535}, "row 2 column 3");
}

TEST_F(BlendBuffer, ClippedCopyPrefillsTheSquare) {
    engine().brush.brushSize = 10;
    for (int32_t y = 0; y < kSide; ++y)
        for (int32_t x = 0; x < kSide; ++x)
            setLayerPx(2, x, y, {static_cast<uint16_t>(x * 1000 + 10), static_cast<uint16_t>(y * 1000), 2000, 65535});
    // Centre (0, 0), size 10: left = top = -5, so skip 5; canvas (0..4, 0..4)
    // lands in buffer rows and columns 5..9, the rest is the brush colour at
    // alpha (128 & 0xFF) * 256 = 32768.
    MRV_CopyBlendBufferSurface(0, 0, 128, 0);
    expectPx(bufPx(0, 0), {4096, 32768, 65280, 32768}, "pre-filled corner");
    expectPx(bufPx(4, 9), {4096, 32768, 65280, 32768}, "pre-filled above the canvas");
    // Canvas (0,0) = (10, 0, 2000): R (10*128 + 4096*128) >> 8 = 2053, +1;
    // G 32768*128 >> 8 = 16384, +1; B (2000 + 65280)*128 >> 8 = 33640, +1;
    // alpha (65535 + 65535)*128 >> 8 = 65535.
    expectPx(bufPx(5, 5), {2054, 16385, 33641, 65535}, "canvas (0,0)");
    // Canvas (4,4) = (4010, 4000, 2000): R (4010 + 4096)*128 >> 8 = 4053, +1.
    expectPx(bufPx(9, 9), {4054, 18385, 33641, 65535}, "canvas (4,4)");
    EXPECT_EQ(buf(10, 10)[0], kSentinel);
    EXPECT_EQ(buf(0, 10)[3], kSentinel);

    // With the flag the pre-fill only raises alpha; the colour stays.
    fillBuffer(kSentinel);
    MRV_CopyBlendBufferSurface(0, 0, 128, 1);
    expectPx(bufPx(0, 0), {kSentinel, kSentinel, kSentinel, 65535}, "flag pre-fill");

    // Clipped on the right and bottom: centre (7, 7), size 4 covers 5..8.
    engine().brush.brushSize = 4;
    fillBuffer(kSentinel);
    MRV_CopyBlendBufferSurface(7, 7, 0, 0);
    expectPx(bufPx(3, 3), {4096, 32768, 65280, 0}, "off the canvas, w 0");
    expectPx(bufPx(0, 0), {5011, 5001, 2001, 65535}, "canvas (5,5)");
}

TEST_F(BlendBuffer, SelectionWeightsTheSourceAlpha) {
    fillLayer(2, {1000, 2000, 3000, 60000});
    engine().selection.maskEnabled = 1;
    uint16_t* mask = engine().selection.maskPlane;
    mask[2 * kSide + 2] = 0x8000;  // canvas (2,2) -> buffer (0,0)
    mask[2 * kSide + 3] = 0;       // canvas (3,2) -> buffer (0,1)
    MRV_CopyBlendBufferSurface(4, 4, 0, 0);
    // k = (32768 * 65535) >> 16 = 32767; Sa = trunc(60000 * 32767 / 65535) = 29999.
    expectPx(bufPx(0, 0), {1001, 2001, 3001, 29999}, "half mask");
    // Weight 0 makes the pixel transparent: brush colour, alpha 0.
    expectPx(bufPx(0, 1), {4096, 32768, 65280, 0}, "protected");
    expectPx(bufPx(0, 2), {1001, 2001, 3001, 60000}, "open");
    // A disabled selection is not consulted.
    engine().selection.maskEnabled = 0;
    MRV_CopyBlendBufferSurface(4, 4, 0, 0);
    expectPx(bufPx(0, 1), {1001, 2001, 3001, 60000}, "mask disabled");
}

TEST_F(BlendBuffer, MixRulesAndModes) {
    struct Case {
        const char* what;
        int32_t mode;
        int32_t weight;
        Px buffer, source;
        Px want;
    };
    const Px p{10000, 20000, 30000, 40000};
    const Px s{30000, 40000, 50000, 65535};
    // L = 32768 at weight 128; colour ((F*32768 >> 8) + (S*32768 >> 8)) >> 8, +1;
    // alpha ((Fa*32768 >> 8) + (Sa*32768 >> 8)) >> 8 = (5120000 + 8388480) >> 8 = 52767.
    const Case cases[] = {
        {"normal averages", 32, 128, p, s, {20001, 30001, 40001, 52767}},
        // L = 65535: (10000 >> 8) + (30000*65535 >> 8) = 39 + 7679882, >> 8 = 29999, +1.
        {"full weight", 32, 256, p, s, {30000, 40000, 50000, 65534}},
        // F = P*S >> 16: 10000*30000 >> 16 = 4577; (585856 + 3840000) >> 8 = 17288, +1;
        // G: 12207 -> (1562496 + 5120000) >> 8 = 26103, +1; B: 22888 -> 36444, +1.
        {"multiply", 33, 128, p, s, {17289, 26104, 36445, 52767}},
        // F = 65535 - ((35535 * 55535) >> 16) = 35423; (4534144 + 3840000) >> 8 = 32711, +1;
        // G: 65535 - (1162736225 >> 16) = 47794 -> (6117632 + 5120000) >> 8 = 43897, +1;
        // B: 65535 - (552036225 >> 16) = 57112 -> (7310336 + 6400000) >> 8 = 53556, +1.
        {"screen", 34, 128, p, s, {32712, 43898, 53557, 52767}},
        // F = min(65535, 40000) -> (5120000 + 3840000) >> 8 = 35000, +1; G: 60000 -> 50001;
        // B: 65535 -> (8388480 + 6400000) >> 8 = 57767, +1.
        {"add", 47, 128, p, s, {35001, 50001, 57768, 52767}},
        // Bank 0 (4352, 8704, 13056) since L' = 20000 < 32767: (557056 + 3840000) >> 8 = 17176, +1.
        {"bank 249", 249, 128, p, s, {17177, 24353, 31529, 52767}},
        // L' = 20000 < 20479: keep, F = S and Fa = Sa: (8388480 * 2) >> 8 = 65535.
        {"keep 256", 256, 128, p, s, {30001, 40001, 50001, 65535}},
        // F = 32767, Fa = L' = 20000: (4194176 + 3840000) >> 8 = 31383, +1;
        // alpha (2560000 + 8388480) >> 8 = 42767.
        {"grey 340", 340, 128, p, s, {31384, 36384, 41384, 42767}},
        // The ceiling: 65535 mixed with 65535 gives 65535 + 1, limited to 65280.
        {"ceiling", 32, 128, {65535, 65535, 65535, 65535}, {65535, 65535, 65535, 65535}, {65280, 65280, 65280, 65535}},
        // Transparent source: alpha ((65536 - 32768) * 40000) >> 16 = 20000, colour stays.
        {"transparent source", 32, 128, p, {1, 2, 3, 0}, {10000, 20000, 30000, 20000}},
        // L = 0 leaves the pixel.
        {"weight 0", 32, 0, p, s, p},
        // Empty buffer pixel: takes the source, colour limited.
        {"empty buffer", 33, 128, {7, 7, 7, 0}, {65535, 100, 200, 1234}, {65280, 100, 200, 1234}},
    };
    engine().brush.colorBanks[0][0] = 0x1100;
    engine().brush.colorBanks[0][1] = 0x2200;
    engine().brush.colorBanks[0][2] = 0x3300;
    for (const Case& k : cases) {
        engine().brush.mixMode = k.mode;
        fillLayer(2, k.source);
        for (int32_t r = 0; r < 4; ++r)
            for (int32_t c = 0; c < 4; ++c) setBuf(r, c, k.buffer);
        MRV_MixBlendBufferSurface(4, 4, k.weight);
        expectPx(bufPx(1, 2), k.want, k.what);
    }
}

TEST_F(BlendBuffer, MixPosterizeUsesTheShiftOfTheMixAmount) {
    engine().brush.mixMode = 295;
    fillLayer(2, {30000, 40000, 50000, 65535});
    // mixShift -16: n = the low 5 bits = 16, so F = 0: (0 + 3840000) >> 8 = 15000, +1.
    engine().brush.mixShift = -16;
    setBuf(0, 0, {10000, 20000, 30000, 40000});
    MRV_MixBlendBufferSurface(4, 4, 128);
    expectPx(bufPx(0, 0), {15001, 20001, 25001, 52767}, "n 16");
    // n = 0 behaves as "Normal".
    engine().brush.mixShift = 0;
    setBuf(0, 0, {10000, 20000, 30000, 40000});
    MRV_MixBlendBufferSurface(4, 4, 128);
    expectPx(bufPx(0, 0), {20001, 30001, 40001, 52767}, "n 0");
}

TEST_F(BlendBuffer, MixDoesNotPrefillAClippedFootprint) {
    fillLayer(2, {30000, 40000, 50000, 65535});
    MRV_MixBlendBufferSurface(0, 0, 128);
    // Centre (0,0), size 4: left -2, so buffer (2..3, 2..3) pair with canvas (0..1, 0..1).
    EXPECT_EQ(buf(0, 0)[0], kSentinel);
    EXPECT_EQ(buf(1, 3)[3], kSentinel);
    EXPECT_NE(buf(2, 2)[0], kSentinel);
}

TEST_F(BlendBuffer, TintTowardsAnEightBitColour) {
    for (int32_t r = 0; r < 4; ++r)
        for (int32_t c = 0; c < 4; ++c) setBuf(r, c, {10000, 0, 65535, 40000});
    setBuf(1, 1, {5, 5, 5, 0});
    // T = (0x12 * 256, 0xFF * 256, 0) = (4608, 65280, 0); the high bits of r are dropped.
    MRV_DoColorBlendBuffer(4, 4, 0x112, 0xFF, 0, 999, 128);
    // R ((10000*32768 >> 8) + (4608*32768 >> 8)) >> 8 = 7304, +1; G 8355840 >> 8 = 32640, +1;
    // B 8388480 >> 8 = 32767, +1; alpha unchanged.
    expectPx(bufPx(0, 0), {7305, 32641, 32768, 40000}, "tinted");
    expectPx(bufPx(1, 1), {4608, 65280, 0, 0}, "transparent takes the tint");
    EXPECT_EQ(buf(0, 4)[0], kSentinel);
    // Weight 0 still adds 1, up to the ceiling.
    setBuf(0, 0, {65280, 100, 0, 1});
    MRV_DoColorBlendBuffer(4, 4, 0, 0, 0, 0, 0);
    expectPx(bufPx(0, 0), {65280, 101, 1, 1}, "weight 0");
}

TEST_F(BlendBuffer, MaskCopyInMaskLayout) {
    setBrush({0x4000, 0x4000, 0x4000, 0xFFFF});  // grey 16384 -> M0 = 65280 - 16384 = 48896
    uint16_t* mask = engine().selection.maskPlane;
    mask[2 * kSide + 2] = 0x1000;
    mask[3 * kSide + 5] = 0xFFFF;
    engine().selection.maskEnabled = 0;  // read regardless of the flag
    MRV_DoCopyBlendBufferMask(4, 4, 64);
    const uint16_t* v = engine().brush.blendBuffer.pixels;
    // (4096*192 + 48896*64) >> 8 = 15296, +1.
    EXPECT_EQ(v[0], 15297);
    // Canvas (5,3) -> buffer row 1, column 3 at 1 * 64 + 3: (65535*192 + 48896*64) >> 8 = 61375, +1.
    EXPECT_EQ(v[1 * kBrushMax * 4 + 3], 61376);
    EXPECT_EQ(v[4], kSentinel);  // mask layout: column 4 is outside the 4-wide square
    // Weight 0 over an open pixel: 65535 + 1, limited to 65280.
    MRV_DoCopyBlendBufferMask(4, 4, 0);
    EXPECT_EQ(v[1 * kBrushMax * 4 + 3], 65280);

    // Clipped: the 4 x 4 square is first filled with M0; black brush gives 65535.
    setBrush({0, 0, 0, 0xFFFF});
    fillBuffer(kSentinel);
    MRV_DoCopyBlendBufferMask(0, 0, 256);
    EXPECT_EQ(v[0], 65535);
    EXPECT_EQ(v[1 * kBrushMax * 4 + 1], 65535);
    // Buffer (2,2) <- canvas (0,0) = 0xFFFF: (0 + 65535*256) >> 8 + 1, limited.
    EXPECT_EQ(v[2 * kBrushMax * 4 + 2], 65280);
    EXPECT_EQ(v[4], kSentinel);
}

TEST_F(BlendBuffer, ClearAndFillCoverTheMaskExtentOnly) {
    uint8_t* bytes = reinterpret_cast<uint8_t*>(engine().brush.blendBuffer.pixels);
    const size_t extent = 2 * kBrushMax * kBrushMax;  // 512 of the 2048 bytes
    MRV_FillBlendBuffer(7, 7, 0x12, 0x1AB);
    EXPECT_EQ(bytes[0], 0xAB);
    EXPECT_EQ(bytes[extent - 1], 0xAB);
    EXPECT_EQ(bytes[extent], 0x5A);
    engine().brush.blendStrength = 0;  // clear and fill ignore the strength
    MRV_ClearBlendBuffer();
    EXPECT_EQ(bytes[0], 0);
    EXPECT_EQ(bytes[extent - 1], 0);
    EXPECT_EQ(bytes[extent], 0x5A);
}

TEST_F(BlendBuffer, FilterKinds) {
    struct Case {
        int32_t kind, level;
        Px in, want;
    };
    const Case cases[] = {
        {289, 0, {100, 200, 301, 7}, {200, 200, 200, 7}},
        {290, 0, {0, 1000, 65535, 7}, {65535, 64535, 0, 7}},
        // e = trunc(50 * 655.35) = 32767: below becomes 0, 32767 itself stays.
        {291, 50, {32766, 32767, 40000, 7}, {0, 32767, 40000, 7}},
        // Above e becomes 65280.
        {292, 50, {32767, 32768, 65535, 7}, {32767, 65280, 65280, 7}},
        {288, 50, {1, 2, 3, 4}, {1, 2, 3, 4}},
    };
    engine().brush.blendStrength = 0;  // filtering ignores the strength
    for (const Case& k : cases) {
        fillBuffer(kSentinel);
        setBuf(3, 3, k.in);
        setBuf(4, 4, k.in);
        MRV_FilterBlendBuffer(k.kind, k.level);
        expectPx(bufPx(3, 3), k.want, "inside");
        expectPx(bufPx(4, 4), k.in, "outside the brush square");
    }
}

TEST_F(BlendBuffer, EachSourceIsReadFromItsOwnBuffer) {
    fillLayer(1, {1000, 0, 0, 65535});
    fillLayer(2, {2000, 0, 0, 65535});
    ASSERT_EQ(MRV_CreateLayer(0, kSide, kSide), 1);
    fillLayer(0, {3000, 0, 0, 65535});
    // The back buffer still holds layer 2 as it was when selected (blank).
    MRV_CopyBlendBufferSurface(4, 4, 0, 0);
    EXPECT_EQ(bufPx(0, 0).r, 2001);
    MRV_CopyBlendBufferLayer(1, 4, 4, 0);
    EXPECT_EQ(bufPx(0, 0).r, 1001);
    MRV_CopyBlendBufferTrace(4, 4, 0);
    EXPECT_EQ(bufPx(0, 0).r, 3001);
    MRV_CopyBlendBufferHistory(4, 4, 0);
    expectPx(bufPx(0, 0), {4096, 32768, 65280, 0}, "history: transparent");
    MRV_SaveUndoBackBuffer(2);
    MRV_CopyBlendBufferUnderLayer(4, 4, 0);
    EXPECT_EQ(bufPx(0, 0).r, 2001);
    std::vector<uint16_t> src(kSide * kSide * 4, 0);
    for (size_t i = 0; i < src.size(); i += 4) {
        src[i] = 5000;
        src[i + 3] = 65535;
    }
    MRV_DoCopyBlendBuffer(4, 4, src.data(), 0, 0);
    EXPECT_EQ(bufPx(0, 0).r, 5001);
    setBuf(0, 0, {0, 0, 0, 0});
    MRV_MixBlendBufferTrace(4, 4, 128);
    EXPECT_EQ(bufPx(0, 0).r, 3000);
    setBuf(0, 0, {0, 0, 0, 0});
    MRV_MixBlendBufferLayer(1, 4, 4, 128);
    EXPECT_EQ(bufPx(0, 0).r, 1000);
    setBuf(0, 0, {0, 0, 0, 0});
    MRV_DoMixBlendBuffer(4, 4, src.data(), 128);
    EXPECT_EQ(bufPx(0, 0).r, 5000);
    setBuf(0, 0, {0, 0, 0, 0});
    MRV_MixBlendBufferUnderLayer(4, 4, 128);
    EXPECT_EQ(bufPx(0, 0).r, 2000);
}

TEST_F(BlendBuffer, ZeroStrengthAndMissingSourcesChangeNothing) {
    fillLayer(2, {2000, 0, 0, 65535});
    const auto untouched = bufferCopy();
    engine().brush.blendStrength = 0;
    MRV_CopyBlendBufferSurface(4, 4, 0, 0);
    MRV_MixBlendBufferSurface(4, 4, 128);
    MRV_DoColorBlendBuffer(4, 4, 1, 2, 3, 0, 128);
    MRV_DoCopyBlendBufferMask(4, 4, 0);
    EXPECT_EQ(bufferCopy(), untouched);

    engine().brush.blendStrength = 128;
    MRV_CopyBlendBufferTrace(4, 4, 0);  // layer 0 is empty
    MRV_MixBlendBufferTrace(4, 4, 0);
    MRV_CopyBlendBufferLayer(64, 4, 4, 0);
    MRV_CopyBlendBufferLayer(-1, 4, 4, 0);
    MRV_CopyBlendBufferLayer(5, 4, 4, 0);  // empty slot
    MRV_MixBlendBufferLayer(INT32_MIN, 4, 4, 0);
    MRV_DoCopyBlendBuffer(4, 4, nullptr, 0, 0);
    MRV_DoMixBlendBuffer(4, 4, nullptr, 0);
    ASSERT_EQ(MRV_CreateLayer(3, 2, 2), 1);  // not canvas-sized
    MRV_CopyBlendBufferLayer(3, 4, 4, 0);
    // Squares that miss the canvas entirely read nothing (and are unclipped
    // nowhere, so only the pre-fill of the copy may write).
    MRV_MixBlendBufferSurface(INT32_MAX, INT32_MAX, 128);
    MRV_MixBlendBufferSurface(INT32_MIN, -50, 128);
    MRV_DoColorBlendBuffer(100, 100, 1, 2, 3, 0, 128);
    EXPECT_EQ(bufferCopy(), untouched);
    MRV_CopyBlendBufferSurface(INT32_MIN, INT32_MAX, 0, 0);
    EXPECT_EQ(bufPx(0, 0).a, 0);  // pre-filled: brush colour at (0 & 0xFF) * 256
    EXPECT_EQ(buf(4, 4)[0], kSentinel);
}

TEST_F(BlendBuffer, BrushLargerThanTheBufferIsCutToIt) {
    engine().brush.brushSize = 1000;  // buffer holds 16 x 16
    fillLayer(2, {2000, 0, 0, 65535});
    MRV_CopyBlendBufferSurface(4, 4, 0, 0);
    MRV_MixBlendBufferSurface(4, 4, 128);
    MRV_DoColorBlendBuffer(4, 4, 1, 2, 3, 0, 128);
    MRV_DoCopyBlendBufferMask(4, 4, 0);
    MRV_FilterBlendBuffer(290, 0);
    // Size 16 at centre 4: left = -4, so canvas (0,0) lands in buffer (4,4).
    EXPECT_EQ(bufPx(4, 4).a, 65535);
    engine().brush.brushSize = 0;
    const auto before = bufferCopy();
    MRV_CopyBlendBufferSurface(4, 4, 0, 0);
    MRV_FilterBlendBuffer(290, 0);
    EXPECT_EQ(bufferCopy(), before);
}

// A smudge stroke end to end: pick red up from the canvas, drag it over white
// with two dabs that remix the buffer, record the stroke and undo it. Brush
// 1 x 1 at full coverage, pick-up strength 128, "Normal", straight into the
// layer.
TEST_F(BlendBuffer, SmudgeStrokePicksUpRemixesAndUndoes) {
    mrv::BrushState& b = engine().brush;
    b.brushSize = b.dabSize = 1;
    b.dabScaleTable[0] = 0;
    b.brushShape[0] = 65535;
    b.alphaPercent = 100;
    b.alphaScale = 128;
    b.mixAmount = 256;
    b.mixInverse = 0;
    b.densityLimit = 255;
    b.blendStrength = 128;
    b.blendInverse = 128;
    b.blendRemix = 1;
    engine().selection.maskEnabled = 1;  // fully open: changes nothing
    MRV_SetUndoMB(64);
    MRV_SetUndoLevels(10);
    const Px white{65280, 65280, 65280, 65535};
    fillLayer(2, white);
    setLayerPx(2, 0, 1, {65280, 0, 0, 65535});
    MRV_SaveUndoBuffer(1, 0);  // the picture as loaded
    std::vector<uint16_t> before(engine().core.layers[2].pixels,
                                 engine().core.layers[2].pixels + kSide * kSide * 4);

    // Pick-up at weight 0: min(65280, S + 1) = (65280, 1, 1), alpha 65535.
    MRV_CopyBlendBufferSurface(0, 1, 0, 0);
    expectPx(bufPx(0, 0), {65280, 1, 1, 65535}, "picked up");

    // Dab 1 at (1,1) over white, V = 65535:
    // N = ((1 * D) >> 8 + (65535 * C) >> 8) >> 8: R (255 + 16711425) >> 8 = 65280,
    // G (255 + 255) >> 8 = 1; NA (255 + 16776704) >> 8 = 16776959 >> 8 = 65534.
    // Remix ((128 * D + 128 * C) >> 8) + 1: R 65281, G 8355968 >> 8 = 32640, +1.
    MRV_DrawDabGrit(1, 1, 0, 0, 0);
    const uint16_t* px1 = engine().core.layers[2].pixels + (1 * kSide + 1) * 4;
    EXPECT_EQ(px1[0], 65280);
    EXPECT_EQ(px1[1], 1);
    EXPECT_EQ(px1[3], 65534);
    expectPx(bufPx(0, 0), {65281, 32641, 32641, 65535}, "remixed once");

    // Dab 2 at (2,1) carries the remixed colour:
    // R (255 + (65535 * 65281 >> 8 = 16711680)) >> 8 = 65280;
    // G (255 + (65535 * 32641 >> 8 = 8355968)) >> 8 = 32641.
    // Remix: R (8355840 + 8355968) >> 8 = 65280, +1; G (8355840 + 4178048) >> 8 = 48960, +1.
    MRV_DrawDabGrit(2, 1, 0, 0, 0);
    const uint16_t* px2 = engine().core.layers[2].pixels + (1 * kSide + 2) * 4;
    EXPECT_EQ(px2[0], 65280);
    EXPECT_EQ(px2[1], 32641);
    EXPECT_EQ(px2[2], 32641);
    expectPx(bufPx(0, 0), {65281, 48961, 48961, 65535}, "remixed twice");

    // During the stroke the history still shows the picture before it.
    MRV_CopyBlendBufferHistory(1, 1, 0);
    expectPx(bufPx(0, 0), {65280, 65280, 65280, 65535}, "history under the stroke");
    MRV_CopyBlendBufferSurface(1, 1, 0, 0);
    expectPx(bufPx(0, 0), {65280, 2, 2, 65534}, "surface under the stroke");

    // The dabs widened the undo rectangle to (1,1)-(3,2): the record holds it.
    std::vector<uint16_t> after(px1 - (1 * kSide + 1) * 4, px1 - (1 * kSide + 1) * 4 + kSide * kSide * 4);
    MRV_SaveUndoBuffer(1, 0);
    const mrv::UndoRecord& r = engine().undo.records[0];
    EXPECT_EQ(r.left, 1);
    EXPECT_EQ(r.top, 1);
    EXPECT_EQ(r.right, 3);
    EXPECT_EQ(r.bottom, 2);
    EXPECT_EQ(MRV_GetUndoCount(), 2);
    const uint16_t* layer = engine().core.layers[2].pixels;
    MRV_Undo();
    EXPECT_EQ(std::vector<uint16_t>(layer, layer + kSide * kSide * 4), before);
    MRV_Redo();
    EXPECT_EQ(std::vector<uint16_t>(layer, layer + kSide * kSide * 4), after);
}

// The same smudge the way a host paints a stroke: dabs go into the
// PaintLayer while pick-up reads the layer under it, the stroke is merged
// into the layer and recorded, and undo takes the merge back bit for bit.
TEST_F(BlendBuffer, SmudgeThroughThePaintLayerMergesAndUndoes) {
    mrv::BrushState& b = engine().brush;
    b.brushSize = b.dabSize = 1;
    b.dabScaleTable[0] = 0;
    b.brushShape[0] = 65535;
    b.alphaPercent = 100;
    b.alphaScale = 128;
    b.mixAmount = 256;
    b.densityLimit = 255;
    b.blendStrength = 128;
    b.blendInverse = 128;
    b.blendRemix = 1;
    MRV_SetUndoMB(64);
    MRV_SetUndoLevels(10);
    fillLayer(2, {65280, 65280, 65280, 65535});
    setLayerPx(2, 0, 1, {65280, 0, 0, 65535});
    MRV_SaveUndoBuffer(1, 0);
    const uint16_t* layer = engine().core.layers[2].pixels;
    const std::vector<uint16_t> before(layer, layer + kSide * kSide * 4);
    MRV_CreatePaintLayer(100, "Normal");

    MRV_CopyBlendBufferSurface(0, 1, 0, 0);
    MRV_DrawDabGrit(1, 1, 0, 0, 0);
    // Into the transparent PaintLayer the picked colour lands as it is, with
    // alpha (65535 * 65535) >> 16 = 65534.
    const uint16_t* p = engine().core.paintLayer.pixels + (1 * kSide + 1) * 4;
    EXPECT_EQ(p[0], 65280);
    EXPECT_EQ(p[1], 1);
    EXPECT_EQ(p[3], 65534);
    // The layer itself is untouched until the merge; pick-up still reads it.
    EXPECT_EQ(std::vector<uint16_t>(layer, layer + kSide * kSide * 4), before);
    MRV_CopyBlendBufferSurface(2, 1, 0, 0);
    expectPx(bufPx(0, 0), {65280, 65280, 65280, 65535}, "surface under the PaintLayer");

    MRV_MergePaintLayer(2);
    const uint16_t* merged = layer + (1 * kSide + 1) * 4;
    EXPECT_GT(merged[0], 60000);
    EXPECT_LT(merged[1], 1000);  // red smudged over white
    const std::vector<uint16_t> after(layer, layer + kSide * kSide * 4);
    MRV_SaveUndoBuffer(1, 0);
    EXPECT_EQ(MRV_GetUndoCount(), 2);
    MRV_Undo();
    EXPECT_EQ(std::vector<uint16_t>(layer, layer + kSide * kSide * 4), before);
    MRV_Redo();
    EXPECT_EQ(std::vector<uint16_t>(layer, layer + kSide * kSide * 4), after);
    MRV_DeletePaintLayer();
}

TEST(BlendBufferNoCanvas, EveryOperationIsANoOp) {
    mrv::BrushState& b = engine().brush;
    b.brushSize = 4;
    b.blendStrength = 128;
    MRV_CopyBlendBufferSurface(1, 1, 0, 0);
    MRV_CopyBlendBufferHistory(1, 1, 0);
    MRV_MixBlendBufferTrace(1, 1, 0);
    MRV_DoCopyBlendBufferMask(1, 1, 0);
    MRV_DoColorBlendBuffer(1, 1, 1, 1, 1, 0, 0);
    MRV_ClearBlendBuffer();
    MRV_FillBlendBuffer(0, 0, 0, 1);
    MRV_FilterBlendBuffer(289, 10);
    MRV_CreateImage(nullptr, 4, 4, 8, 0);
    ASSERT_EQ(MRV_CreateLayer(1, 4, 4), 1);
    MRV_SetLayer(1);
    MRV_DeleteImage();
    MRV_CopyBlendBufferSurface(1, 1, 0, 0);
    MRV_CopyBlendBufferHistory(1, 1, 0);
    MRV_DoCopyBlendBufferMask(1, 1, 0);
    MRV_ClearBlendBuffer();
    MRV_FilterBlendBuffer(289, 10);
    EXPECT_EQ(b.blendBuffer.pixels, nullptr);
}

}  // namespace
