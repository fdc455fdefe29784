// The dab renderer on tiny canvases. The brush fields and the BrushShape are
// set directly so that every coverage value is known; expected pixels are
// worked out from the fixed-point formulas by hand (the arithmetic is in the
// comments next to each case).
#include <gtest/gtest.h>
#include <morvane/morvane.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <algorithm>
#include <vector>

#include "brush/dab_renderer.h"
#include "brush/mix_modes.h"
#include "core/engine_state.h"
#include "core/random.h"

using namespace mrv;

namespace {

using Px = std::array<int32_t, 4>;

constexpr int32_t kBm = 16;  // brushMaxSize of every fixture

BrushState& brush() { return engine().brush; }

// A canvas with layers 1 (white) and 2 (transparent, current) and a plain
// tool: Normal, full opacity, no grit, no pick-up, no variation.
void makeCanvas(int32_t w, int32_t h) {
    MRV_DeletePaintLayer();
    MRV_DeleteTexture();
    engine().selection.maskEnabled = 0;
    MRV_CreateImage(nullptr, w, h, kBm, 0);
    ASSERT_EQ(MRV_CreateLayer(1, w, h), 1);
    ASSERT_EQ(MRV_CreateLayer(2, w, h), 1);
    for (int32_t n = 0; n < 3; ++n) MRV_SetLayerOptions(n, 1, 0, 100, "Normal");
    MRV_SetLayer(2);
    // The engine state is process-wide: put every tool field a test may
    // touch back to a plain brush.
    BrushState& b = brush();
    b.colorVary = b.pixelColorVary = b.pixelLumVary = 0;
    b.rotateMode = b.solidBrushMode = b.imageBrushMode = b.alphaLevel = 0;
    b.lockBlob = b.lockColor = b.lockAlpha = 0;
    b.blendStrength = b.primaryColorStrength = 0;
    b.blendRemix = b.tempDisableBlend = b.maskMakerOn = b.eraseModeOn = 0;
    b.gritCellSize = 0;
    b.mixShift = 0;
    b.alphaPercent = 100;
    b.alphaScale = 128;
    b.mixMode = kMixNormal;
    b.mixAmount = 256;
    b.mixInverse = 0;
    b.densityLimit = 255;
}

// brushSize = dabSize = n with the identity table and every shape value v.
void setBrush(int32_t n, uint16_t v) {
    BrushState& b = brush();
    b.brushSize = b.dabSize = n;
    for (int32_t i = 0; i < n; ++i) b.dabScaleTable[i] = i;
    for (int32_t r = 0; r < kBm; ++r)
        for (int32_t c = 0; c < kBm; ++c) b.brushShape[r * kBm + c] = (r < n && c < n) ? v : 0;
}

void setShape(int32_t r, int32_t c, uint16_t v) { brush().brushShape[r * kBm + c] = v; }

uint16_t* pixelOf(LayerSlot& s, int32_t x, int32_t y) { return s.pixels + y * s.stride + x * 4; }

Px px(int32_t layer, int32_t x, int32_t y) {
    const uint16_t* p = pixelOf(engine().core.layers[layer], x, y);
    return {p[0], p[1], p[2], p[3]};
}

void setPx(int32_t layer, int32_t x, int32_t y, Px v) {
    uint16_t* p = pixelOf(engine().core.layers[layer], x, y);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint16_t>(v[i]);
}

void fillLayer(int32_t layer, Px v) {
    LayerSlot& s = engine().core.layers[layer];
    for (int32_t y = 0; y < s.height; ++y)
        for (int32_t x = 0; x < s.width; ++x) setPx(layer, x, y, v);
}

uint16_t* blendPx(int32_t row, int32_t col) {
    return brush().blendBuffer.pixels + row * engine().core.brushMaxStride + col * 4;
}

void setMix(int32_t mode, int32_t amount) {
    BrushState& b = brush();
    b.mixMode = mode;
    b.mixAmount = amount;
    b.mixInverse = 256 - amount;
}

// A one-pixel dab (brush 1 x 1, coverage v) at (0, 0) of a 1 x 1 canvas.
class OnePixel : public ::testing::Test {
protected:
    void SetUp() override {
        makeCanvas(1, 1);
        setBrush(1, 65535);
    }
    Px paint(Px target, int32_t r, int32_t g, int32_t b, uint16_t v = 65535) {
        setPx(2, 0, 0, target);
        setShape(0, 0, v);
        MRV_DrawDabGrit(0, 0, r, g, b);
        return px(2, 0, 0);
    }
};

// ---- Straight compositing: "Normal" and "Multiply"

TEST_F(OnePixel, NormalOverOpaqueTransparentAndTranslucent) {
    // Full coverage over opaque: s = 65535, NA = 65535, red (65535 * 65280) >> 16 = 65279.
    EXPECT_EQ(paint({1, 2, 3, 65535}, 0xFFFF, 0, 0), (Px{65279, 0, 0, 65535}));
    // Over transparent: N is the colour, NA = (65535 * 65535) >> 16 = 65534.
    EXPECT_EQ(paint({9, 9, 9, 0}, 0xFF00, 0, 0), (Px{65280, 0, 0, 65534}));
    // Half coverage over opaque: s = 32768; green pD = 65534, 65534 * 32767 / 65535 = 32766;
    // red sC = 32768 * 65280 >> 16 = 32640; blue sC = 32768 * 32768 >> 16 = 16384.
    EXPECT_EQ(paint({0, 65535, 0, 65535}, 0xFF00, 0, 0x8000, 32768), (Px{32640, 32766, 16384, 65535}));
    // Half coverage over alpha 32768: NA = 32767 * 32768 / 65535 + 32768 = 49151;
    // red pD = 32640, 32640 * 32767 / 65535 = 16319, 16319 * 65535 / 49151 = 21758;
    // blue sC = 32640, 32640 * 65535 / 49151 = 43520.
    EXPECT_EQ(paint({65280, 0, 0, 32768}, 0, 0, 0xFF00, 32768), (Px{21758, 0, 43520, 49151}));
}

// Full coverage of an opaque colour over a pixel with alpha has a fixed
// result; the renderer takes it without the general arithmetic. A lightness
// variation whose factor is exactly 0 (range 2, byte 1: f = 0.5) changes no
// channel but forces the general path: both must agree on every target.
TEST(DabShortcut, FullCoverageMatchesTheGeneralPath) {
    std::vector<uint8_t> ones(3 * kBm, 1);
    std::vector<Px> results[2];
    for (int pass = 0; pass < 2; ++pass) {
        makeCanvas(4, 4);
        setBrush(4, 65535);
        setShape(1, 1, 65534);  // one pixel just below full coverage
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 0; x < 4; ++x)
                setPx(2, x, y, {x * 20000, y * 21000, 65535 - x * 9000, (x + 4 * y) * 4369});  // alpha 0..65535
        if (pass == 1) {
            brush().pixelLumBytes = RandArrayByte{ones.data(), 256, 0, 3 * kBm};
            brush().pixelLumVary = 2;
        }
        MRV_DrawDabGrit(2, 2, 0xC300, 0x1200, 0x7F00);
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 0; x < 4; ++x) results[pass].push_back(px(2, x, y));
        brush().pixelLumBytes = RandArrayByte{};
    }
    EXPECT_EQ(results[0], results[1]);
    // (65535 * 0xC300) >> 16 = 49919, 0x1200 gives 4607, 0x7F00 32511, over any alpha but 0;
    // over alpha 0 the colour itself.
    EXPECT_EQ(results[0][6], (Px{49919, 4607, 32511, 65535}));
    EXPECT_EQ(results[0][0], (Px{0xC300, 0x1200, 0x7F00, 65534}));
}

TEST_F(OnePixel, MultiplyForModeThirtyThreeAndBelowThirtyTwo) {
    // C = (32768, 65280, 0), D = (65535, 32768, 65535) opaque, full coverage:
    // red pD * sC / 65535 = 65534 * 32767 / 65535 = 32766; green 32767 * 65279 / 65535 = 32639.
    for (int32_t mode : {33, 0, -5, 31}) {
        setMix(mode, 256);
        EXPECT_EQ(paint({65535, 32768, 65535, 65535}, 0x8000, 0xFF00, 0), (Px{32766, 32639, 0, 65535})) << mode;
    }
}

TEST_F(OnePixel, UnlistedModesPaintAsNormal) {
    for (int32_t mode : {49, 100, 248, 263, 294, 296, 339, 341, 100000}) {
        setMix(mode, 77);
        EXPECT_EQ(paint({0, 65535, 0, 65535}, 0xFF00, 0, 0x8000, 32768), (Px{32640, 32766, 16384, 65535})) << mode;
    }
}

// ---- Mode functions 34..48: F worked by hand for C (brush) over D (target).

struct ModeCase {
    int32_t mode;
    int32_t c;
    int32_t d;
    int32_t f;
};

TEST(MixModes, LayerStyleFunctions) {
    const ModeCase cases[] = {
        {34, 32768, 32768, 49152},  // 65535 - ((32767 * 32767) >> 16 = 16383)
        {35, 16384, 30000, 16384},  {36, 16384, 30000, 30000},
        {37, 16384, 30000, 13616},  {38, 65280, 30000, 35790},  // 65535 - |65535 - 30000 - 65280|
        {39, 16384, 40000, 36384},  // 40000 - 20000 + 16384
        {40, 24576, 20000, 15000},  // (20000 * 24576) >> 15
        {40, 40960, 50000, 53885},  // 65535 - ((15535 * 24575 = 381772625) >> 15 = 11650)
        {41, 24576, 50000, 37500},  // (50000 * 24576) >> 15
        {41, 49152, 20000, 42769},  // 65535 - ((45535 * 16383) >> 15 = 22766)
        {43, 32768, 10000, 20000},  // 10000 * 65536 / 32767
        {43, 65280, 10000, 65535},  {43, 65535, 0, 65535},
        {44, 32768, 50000, 34465},  // 65535 - 15535 * 65536 / 32768
        {44, 8192, 50000, 0},       {44, 0, 50000, 0},
        {45, 32768, 20000, 12207},  // 20000^2 / 32767
        {45, 65535, 5, 65535},
        {46, 32768, 20000, 23580},  // 32768^2 / 45535
        {46, 5, 65535, 65535},
        {47, 32768, 40000, 65535},  {47, 32768, 20000, 52768},
        {48, 32768, 40000, 7233},   {48, 32768, 20000, 0},
    };
    for (const ModeCase& k : cases)
        EXPECT_EQ(blendModeFunction(k.mode, k.c, k.d), k.f) << k.mode << " " << k.c << " " << k.d;
}

TEST(MixModes, SoftLightUsesBothBranches) {
    // c = 16384 / 65535 = 0.2500038 < 0.5, d = 32768 / 65535 = 0.5000076:
    // d * (2c + (1 - 2c) * d) = 0.5000076 * (0.5000076 + 0.25) = 0.3750095; * 65535 = 24576.25.
    EXPECT_EQ(blendModeFunction(42, 16384, 32768), 24576);
    // c = 1: 2d * 0 + sqrt(d) * 1 with d = 0.2500038: 0.5000038 * 65535 = 32767.75.
    EXPECT_EQ(blendModeFunction(42, 65535, 16384), 32767);
    // c = 0: d * d; d = 1 gives 65535.
    EXPECT_EQ(blendModeFunction(42, 0, 65535), 65535);
}

TEST_F(OnePixel, ModeResultIsMixedWithTheBrushByAmount) {
    // "Add", C = 0x8000 over D = 32767: F = 65535; amount 256 gives F exactly,
    // amount 128 gives ((128 * 32768) >> 4 + (128 * 65535) >> 4) >> 4 = 49151.
    setMix(47, 256);
    EXPECT_EQ(paint({32767, 32767, 32767, 65535}, 0x8000, 0x8000, 0x8000), (Px{65535, 65535, 65535, 65535}));
    setMix(47, 128);
    EXPECT_EQ(paint({32767, 32767, 32767, 65535}, 0x8000, 0x8000, 0x8000), (Px{49151, 49151, 49151, 65535}));
}

TEST_F(OnePixel, ModeWithPartialCoverageOverTranslucentTarget) {
    // "Add", amount 256, C = 32768, V = 32768, D = 20000 at alpha 32768:
    // k = ((32767 * 32768) >> 16) * 3 = 49149; D' = ((49149 * 32768 >> 8) + (16386 * 20000 >> 8)) >> 8 = 29575;
    // F = 62343; N = ((128 * 62343 + 128 * 29575) >> 8) + 1 = 45960;
    // NA = ((32768 * 65535 >> 8) + (32768 * 32768 >> 8)) >> 8 = 49151.
    setMix(47, 256);
    EXPECT_EQ(paint({20000, 20000, 20000, 32768}, 0x8000, 0x8000, 0x8000, 32768), (Px{45960, 45960, 45960, 49151}));
    // Over a transparent pixel D' is the colour itself: F = min(65535, 2 * 32768) = 65535,
    // N = (((32768 * 65535) >> 8) + ((32768 * 32768) >> 8)) >> 8, plus 1 = 49152;
    // NA = ((32768 * 65535) >> 8) >> 8 = 32767.
    EXPECT_EQ(paint({0, 0, 0, 0}, 0x8000, 0x8000, 0x8000, 32768), (Px{49152, 49152, 49152, 32767}));
}

// ---- Bank and level modes

class BankModes : public OnePixel {
protected:
    void SetUp() override {
        OnePixel::SetUp();
        const uint16_t banks[4][3] = {{0x1100, 0x2200, 0x3300}, {0x4400, 0x5500, 0x6600},
                                      {0x7700, 0x8800, 0x9900}, {0xAA00, 0xBB00, 0xCC00}};
        for (int k = 0; k < 4; ++k) {
            for (int i = 0; i < 3; ++i) brush().colorBanks[k][i] = banks[k][i];
            brush().colorBanks[k][3] = 65535;
        }
    }
    Px grey(int32_t mode, int32_t level, Px target = {1000, 2000, 3000, 65535}) {
        setMix(mode, 256);
        return paint(target, level, level, level);
    }
};

TEST_F(BankModes, TableOfLevelRules) {
    const Px target{1000, 2000, 3000, 65535};
    const Px b0{0x1100, 0x2200, 0x3300, 65535}, b1{0x4400, 0x5500, 0x6600, 65535};
    const Px b2{0x7700, 0x8800, 0x9900, 65535}, b3{0xAA00, 0xBB00, 0xCC00, 65535};
    struct Case {
        int32_t mode, level;
        Px expect;
    };
    const Case cases[] = {
        {249, 0x7F00, b0},  {249, 0x8000, b1},                                        // 32512 | 32768
        {250, 0x5500, b0},  {250, 0x5600, b1},  {250, 0xAA00, b1},  {250, 0xAB00, b2},  // 21760|22016|43520|43776
        {251, 0x3F00, b0},  {251, 0x4000, b1},  {251, 0xBF00, b2},  {251, 0xC000, b3},  // 16128|16384|48896|49152
        {255, 0x4F00, b0},  {255, 0xC000, b1},  {255, 0x8000, {0x8000, 0x8000, 0x8000, 65535}},
        {256, 0x4F00, target},  {256, 0x5000, {0x5000, 0x5000, 0x5000, 65535}},    // 20224 keep | 20480 brush
        {257, 0xC000, target},  {257, 0xBF00, {0xBF00, 0xBF00, 0xBF00, 65535}},    // 49152 keep | 48896 brush
        {258, 0x4F00, target},  {258, 0xC000, target},  {258, 0x8000, {0x8000, 0x8000, 0x8000, 65535}},
        {259, 0x3000, target},  {259, 0x2F00, b0},                                   // 12288 keep | 12032 bank 0
        {260, 0xE000, b0},      {260, 0xDF00, target},                               // 57344 | 57088
        {253, 0x7F00, b0},      {253, 0x8000, target},                               // dark: bank 0; else the target
        {254, 0x8100, b0},      {254, 0x7F00, target},
        // Quantised per channel: 4 levels, then 3.
        {261, 0x2A00, {0, 0, 0, 65535}},  {261, 0x2B00, {21845, 21845, 21845, 65535}},    // 10752 | 11008
        {261, 0xD500, {43690, 43690, 43690, 65535}},  {261, 0xD600, {65535, 65535, 65535, 65535}},  // 54528|54784
        {262, 0x5500, {0, 0, 0, 65535}},  {262, 0x5600, {32767, 32767, 32767, 65535}},    // 21760 | 22016
        {262, 0xAA00, {32767, 32767, 32767, 65535}},  {262, 0xAB00, {65535, 65535, 65535, 65535}},  // 43520|43776
    };
    for (const Case& k : cases) EXPECT_EQ(grey(k.mode, k.level), k.expect) << k.mode << " " << k.level;
}

TEST_F(BankModes, GradientBetweenBanks) {
    // 252, L = 8192: t = 16384 >> 8 = 64; red (0x4400 * 64 + 0x1100 * 192) >> 8 = (1114112 + 835584) >> 8 = 7616.
    // green (0x5500 * 64 + 0x2200 * 192) >> 8 = (1392640 + 1671168) >> 8 = 11968.
    // blue (0x6600 * 64 + 0x3300 * 192) >> 8 = (1671168 + 2506752) >> 8 = 16320.
    EXPECT_EQ(grey(252, 0x2000), (Px{7616, 11968, 16320, 65535}));
    // L = 49152: t = (98304 - 65534) >> 8 = 128; red (30464 * 128 + 17408 * 128) >> 8 = 23936.
    EXPECT_EQ(grey(252, 0xC000)[0], 23936);
}

TEST_F(BankModes, RandomModesDrawOncePerPaintedPixel) {
    for (int32_t mode : {253, 254}) {
        MRV_SetRandomSeed(77);
        grey(mode, 0x7F00);
        const uint32_t after = randomState();
        seedRandom(77);
        (void)nextRandom();
        EXPECT_EQ(after, randomState()) << mode;
    }
}

TEST_F(OnePixel, PosterizeAndGreyAlpha) {
    setMix(kMixPosterize, 0);
    brush().mixShift = -16;  // amount 0: n = low 5 bits of -16 = 16, every channel to 0
    EXPECT_EQ(paint({5, 5, 5, 65535}, 0xAB00, 0xCD00, 0xFF00), (Px{0, 0, 0, 65535}));
    brush().mixShift = 0;  // amount 127: unchanged
    EXPECT_EQ(paint({5, 5, 5, 65535}, 0xAB00, 0xCD00, 0xFF00), (Px{0xAB00, 0xCD00, 0xFF00, 65535}));
    brush().mixShift = 12;
    EXPECT_EQ(paint({5, 5, 5, 65535}, 0xAB00, 0xCD00, 0xFF00), (Px{0xA000, 0xC000, 0xF000, 65535}));

    // 340: O = mid grey, A' = L = (0x3000 + 0x6000 + 0x9000) / 3 = 24576.
    setMix(kMixGrey, 256);
    EXPECT_EQ(paint({5, 5, 5, 65535}, 0x3000, 0x6000, 0x9000), (Px{32767, 32767, 32767, 24576}));
    // Half coverage: N = ((128 * 32767 + 128 * 32767) >> 8) + 1 with the target taken as grey = 32768;
    // NA = ((32768 * 24576 >> 8) + (32768 * 65535 >> 8)) >> 8 = (3145728 + 8388480) >> 8 = 45055.
    EXPECT_EQ(paint({5, 5, 5, 65535}, 0x3000, 0x6000, 0x9000, 32768), (Px{32768, 32768, 32768, 45055}));
}


// ---- Placement, clipping and the rectangles

// Every shape value names its position: (row * 16 + column + 1) * 256, so a
// fully covering dab over a transparent pixel writes alpha = value - 1
// ((v * 65535) >> 16 = v - 1) and the sampled row and column can be read back.
void setNamedShape(int32_t n) {
    for (int32_t r = 0; r < n; ++r)
        for (int32_t c = 0; c < n; ++c) setShape(r, c, static_cast<uint16_t>((r * 16 + c + 1) * 256));
}
int32_t namedAlpha(int32_t r, int32_t c) { return (r * 16 + c + 1) * 256 - 1; }

TEST(DabPlacement, CornerDabSamplesTheLowerRightOfTheShape) {
    makeCanvas(16, 16);
    setBrush(10, 0);
    setNamedShape(10);
    MRV_DrawDabGrit(0, 0, 0xFF00, 0, 0);
    // h = 5: canvas 0..4 take shape rows and columns 5..9; nothing beyond.
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 6; ++x)
            EXPECT_EQ(px(2, x, y)[3], (x < 5 && y < 5) ? namedAlpha(y + 5, x + 5) : 0) << x << "," << y;
    const UndoState& u = engine().undo;
    EXPECT_EQ(u.undoLeft, 0);
    EXPECT_EQ(u.undoTop, 0);
    EXPECT_EQ(u.undoRight, 5);
    EXPECT_EQ(u.undoBottom, 5);
}

TEST(DabPlacement, ScaledDabClippedAtEveryEdge) {
    // brushSize 10 drawn 4 wide with the table 1, 3, 6, 8 on a 4 x 4 canvas.
    const int32_t table[4] = {1, 3, 6, 8};
    struct Case {
        int32_t cx, cy;
        int32_t firstX, firstY;  // first visible canvas column and row
        int32_t skipX, skipY;    // table entries cut off at the left and top
    };
    // Centre c gives x0 = c - 2.
    const Case cases[] = {
        {0, 1, 0, 0, 2, 1},   // left edge: columns 0, 1 sample 6, 8
        {3, 1, 1, 0, 0, 1},   // right edge: columns 1..3 sample 1, 3, 6
        {1, 0, 0, 0, 1, 2},   // top edge
        {1, 3, 0, 1, 1, 0},   // bottom edge
        {-1, 4, 0, 2, 3, 0},  // bottom-left corner: one column (sample 8), rows 2..3
        {5, -1, 3, 0, 0, 3},  // top-right corner: one column (sample 1), one row (sample 8)
    };
    for (const Case& k : cases) {
        makeCanvas(4, 4);
        BrushState& b = brush();
        b.brushSize = 10;
        b.dabSize = 4;
        std::memcpy(b.dabScaleTable, table, sizeof table);
        setNamedShape(10);
        MRV_DrawDabGrit(k.cx, k.cy, 0xFF00, 0, 0);
        const int32_t x0 = k.cx - 2, y0 = k.cy - 2;
        for (int32_t y = 0; y < 4; ++y) {
            for (int32_t x = 0; x < 4; ++x) {
                const bool inside = x >= x0 && x < x0 + 4 && y >= y0 && y < y0 + 4;
                const int32_t expect = inside ? namedAlpha(table[y - y0], table[x - x0]) : 0;
                EXPECT_EQ(px(2, x, y)[3], expect) << "centre " << k.cx << "," << k.cy << " pixel " << x << "," << y;
            }
        }
        // The first visible pixel samples the table entry after the cut-off ones.
        EXPECT_EQ(px(2, k.firstX, k.firstY)[3], namedAlpha(table[k.skipY], table[k.skipX]));
        MRV_DeleteImage();
    }
}

TEST(DabPlacement, FarOutsideDabsPaintNothingAndDoNotFault) {
    makeCanvas(4, 4);
    setBrush(8, 65535);
    const int32_t big = std::numeric_limits<int32_t>::max();
    const int32_t small = std::numeric_limits<int32_t>::min();
    const int32_t spots[][2] = {{big, big}, {small, small}, {big, 0}, {0, small}, {-100, 2}, {2, 1000}};
    for (const auto& s : spots) MRV_DrawDabGrit(s[0], s[1], 0xFF00, 0xFF00, 0xFF00);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(px(2, x, y), (Px{0, 0, 0, 0}));
}

TEST(DabPlacement, PaintLayerTakesTheDabAndItsRectangle) {
    makeCanvas(8, 8);
    setBrush(2, 65535);
    MRV_CreatePaintLayer(100, "Normal");
    MRV_DrawDabGrit(3, 4, 0xFF00, 0, 0);  // x0 = 2, y0 = 3
    const LayerSlot& p = engine().core.paintLayer;
    EXPECT_EQ(p.touchedLeft, 2);
    EXPECT_EQ(p.touchedTop, 3);
    EXPECT_EQ(p.touchedRight, 4);
    EXPECT_EQ(p.touchedBottom, 5);
    EXPECT_EQ(p.pixels[(3 * 8 + 2) * 4 + 3], 65534);
    EXPECT_EQ(px(2, 2, 3), (Px{0, 0, 0, 0}));  // the current layer is left alone
}

TEST(DabPlacement, NoTargetAndBadSizesAreHandled) {
    // A canvas without a current layer: nothing to paint into, flags still cleared.
    MRV_CreateImage(nullptr, 4, 4, kBm, 0);
    setBrush(2, 65535);
    brush().eraseModeOn = 1;
    MRV_SetLastError("");
    MRV_DrawDabGrit(1, 1, 0xFF00, 0, 0);
    EXPECT_EQ(brush().eraseModeOn, 0);
    EXPECT_STREQ(MRV_GetLastError(), "");
    MRV_DeleteImage();

    // Brush geometry that would read outside the brush buffers is refused.
    makeCanvas(4, 4);
    setBrush(2, 65535);
    struct Bad {
        int32_t brushSize, dabSize, entry;
    };
    for (const Bad& bad : {Bad{kBm + 1, 2, 0}, Bad{2, 3, 0}, Bad{0, 0, 0}, Bad{2, 2, 2}, Bad{2, 2, -1}}) {
        BrushState& b = brush();
        b.brushSize = bad.brushSize;
        b.dabSize = bad.dabSize;
        b.dabScaleTable[0] = bad.entry;
        MRV_SetLastError("");
        MRV_DrawDabGrit(1, 1, 0xFF00, 0, 0);
        EXPECT_STREQ(MRV_GetLastError(), "DrawDabGrit Excpt") << bad.brushSize << " " << bad.dabSize;
        EXPECT_EQ(px(2, 1, 1), (Px{0, 0, 0, 0}));
    }
}

TEST(DabPlacement, LayerSmallerThanTheCanvasIsClippedToItsOwnSize) {
    makeCanvas(6, 6);
    ASSERT_EQ(MRV_CreateLayer(3, 2, 3), 1);  // a layer need not have the canvas size
    MRV_SetLayer(3);
    setBrush(6, 65535);
    MRV_DrawDabGrit(3, 3, 0xFF00, 0, 0);  // covers the whole canvas
    const LayerSlot& s = engine().core.layers[3];
    for (int32_t i = 0; i < 2 * 3; ++i) EXPECT_EQ(s.pixels[i * 4 + 3], 65534);
    EXPECT_EQ(engine().undo.undoRight, 6);  // the rectangle still follows the canvas
}

// ---- Coverage: opacity, TextureMap, mask, solid

TEST_F(OnePixel, CoverageFromOpacityTextureAndMask) {
    // alphaPercent 50 -> alphaScale 64: V = (65535 * 64) >> 7 = 32767 -> over transparent NA = 32766.
    brush().alphaPercent = 50;
    brush().alphaScale = 64;
    EXPECT_EQ(paint({0, 0, 0, 0}, 0xFF00, 0, 0)[3], 32766);
    brush().alphaPercent = 100;
    // Mask weight 16384: V = (65535 * 16384) >> 16 = 16383 -> NA = (16383 * 65535) >> 16 = 16382.
    engine().selection.maskPlane[0] = 16384;
    engine().selection.maskEnabled = 1;
    EXPECT_EQ(paint({0, 0, 0, 0}, 0xFF00, 0, 0)[3], 16382);
    // Mask weight 0 leaves the pixel entirely alone, even with solidBrushMode.
    engine().selection.maskPlane[0] = 0;
    brush().solidBrushMode = 1;
    EXPECT_EQ(paint({1, 2, 3, 4}, 0xFF00, 0, 0), (Px{1, 2, 3, 4}));
    engine().selection.maskEnabled = 0;
    // Solid: any non-zero coverage becomes full: V = 1 paints as 65535.
    EXPECT_EQ(paint({0, 0, 0, 0}, 0xFF00, 0, 0, 1), (Px{65280, 0, 0, 65534}));
}

TEST(DabCoverage, TextureMapWeightsCoverage) {
    makeCanvas(2, 1);
    setBrush(2, 65535);
    // A Texturize3 layer casts the map; replace its bytes with known ones.
    ASSERT_EQ(MRV_CreateLayer(3, 2, 1), 1);
    MRV_SetLayerOptions(3, 1, 0, 100, "Texturize3");
    uint8_t* map = MRV_CreateTexture(3);
    ASSERT_NE(map, nullptr);
    map[0] = 128;  // V = (65535 * 128) >> 8 = 32767 -> NA = 32766
    map[1] = 4;    // V = (65535 * 4) >> 8 = 1023 -> NA = 1022
    MRV_DrawDabGrit(1, 0, 0xFF00, 0, 0);  // x0 = 0
    EXPECT_EQ(px(2, 0, 0)[3], 32766);
    EXPECT_EQ(px(2, 1, 0)[3], 1022);
}

// ---- Locks, alpha level, erase

TEST(DabLocks, LayersZeroAndOneKeepTheirAlpha) {
    struct Case {
        int32_t layer;
        bool paintLayer;
        bool lockAlpha;
        bool alphaLockedLayer;
        bool alphaWritten;
    };
    const Case cases[] = {
        {2, false, false, false, true}, {1, false, false, false, false}, {0, false, false, false, false},
        {2, false, true, false, false}, {2, false, false, true, false},  {1, true, false, false, true},
    };
    for (const Case& k : cases) {
        makeCanvas(1, 1);
        ASSERT_EQ(MRV_CreateLayer(0, 1, 1), 1);
        setBrush(1, 65535);
        MRV_SetLayer(k.layer);
        setPx(k.layer, 0, 0, {0, 0, 0, 0});
        brush().lockAlpha = k.lockAlpha;
        if (k.alphaLockedLayer) engine().core.layers[k.layer].alphaLocked = 1;
        if (k.paintLayer) MRV_CreatePaintLayer(100, "Normal");
        MRV_DrawDabGrit(0, 0, 0xFF00, 0x8000, 0);
        const uint16_t* p = k.paintLayer ? engine().core.paintLayer.pixels : pixelOf(engine().core.layers[k.layer], 0, 0);
        // Colour always lands; alpha (65534 over transparent) only where it may.
        EXPECT_EQ(p[0], 65280) << k.layer;
        EXPECT_EQ(p[1], 32768) << k.layer;
        EXPECT_EQ(p[3], k.alphaWritten ? 65534 : 0) << k.layer << " " << k.paintLayer << k.lockAlpha << k.alphaLockedLayer;
        MRV_DeleteImage();
    }
}

TEST_F(OnePixel, ColourLockAlphaLevelAndBlobLock) {
    brush().lockColor = 1;
    EXPECT_EQ(paint({7, 8, 9, 0}, 0xFF00, 0, 0), (Px{7, 8, 9, 65534}));
    brush().lockColor = 0;
    brush().alphaLevel = 1000;
    EXPECT_EQ(paint({7, 8, 9, 0}, 0xFF00, 0, 0), (Px{65280, 0, 0, 1000}));
    brush().alphaLevel = 0;
    // Blob lock: colour is written, alpha only where the pixel is already part of the blob.
    brush().lockBlob = 1;
    EXPECT_EQ(paint({7, 8, 9, 8191}, 0xFF00, 0, 0)[3], 8191);
    EXPECT_EQ(paint({7, 8, 9, 8192}, 0xFF00, 0, 0)[3], 65535);  // NA = 65535 over any alpha with s = 65535
}

TEST_F(OnePixel, EraseWithAndWithoutBlobLock) {
    struct Case {
        bool blob;
        int32_t alpha;
        uint16_t v;
        int32_t expect;
    };
    const Case cases[] = {
        {false, 65535, 65535, 0},     // ((65535 - 65535) * Da) >> 16
        {false, 20000, 32768, 9999},  // (32767 * 20000) >> 16
        {true, 8191, 65535, 8191},    // outside the blob: untouched
        {true, 65535, 65535, 9215},   // never below the floor
        {true, 20000, 32768, 9999},   // above the floor: as without the lock
        {true, 9000, 32768, 9215},    // (32767 * 9000) >> 16 = 4499 -> floor
    };
    for (const Case& k : cases) {
        brush().lockBlob = k.blob;
        brush().eraseModeOn = 1;
        const Px out = paint({100, 200, 300, k.alpha}, 0xFF00, 0, 0, k.v);
        EXPECT_EQ(out, (Px{100, 200, 300, k.expect})) << k.blob << " " << k.alpha;
        EXPECT_EQ(brush().eraseModeOn, 0);  // one dab only
    }
}

// ---- Grit

TEST(DabGrit, DensityLimitAgainstGritBytes) {
    makeCanvas(4, 1);
    setBrush(4, 65535);
    BrushState& b = brush();
    b.gritCellSize = 1;
    b.gritCountdown = 5;  // no texture change
    uint8_t* tex = b.gritTextures[19];
    b.gritCursor = tex;
    // The one visible row of the dab (y0 = -2) samples shape and grit row 2.
    uint8_t* row = tex + 2 * kBm;
    row[0] = 0;
    row[1] = 254;
    row[2] = 255;  // background
    row[3] = 100;
    struct Case {
        int32_t limit;
        std::array<bool, 4> painted;
    };
    const Case cases[] = {{255, {true, true, true, true}},    {254, {true, true, false, true}},
                          {100, {true, false, false, true}},  {99, {true, false, false, false}},
                          {-1, {false, false, false, false}}};
    for (const Case& k : cases) {
        b.densityLimit = k.limit;
        fillLayer(2, {0, 0, 0, 0});
        MRV_DrawDabGrit(2, 0, 0xFF00, 0, 0);  // x0 = 0
        for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(px(2, x, 0)[3], k.painted[x] ? 65534 : 0) << k.limit << " " << x;
    }
    EXPECT_EQ(b.gritCursor, tex);
    EXPECT_EQ(b.gritCountdown, 5);
}

TEST(DabGrit, CountdownBelowOneMovesToAnotherTexture) {
    makeCanvas(4, 4);
    setBrush(2, 65535);
    BrushState& b = brush();
    b.gritCellSize = 2;
    b.gritInterval = 7;
    b.gritCountdown = 0;
    b.gritCursor = b.gritTextures[3];
    MRV_SetRandomSeed(99);
    MRV_DrawDabGrit(1, 1, 0xFF00, 0, 0);
    // Replay the draws: textures until one differs from texture 3, then two offsets below 25.
    seedRandom(99);
    int32_t k;
    do k = nextRandom() % 20; while (k == 3);
    const int32_t a = nextRandom() % 25;
    const int32_t c = nextRandom() % 25;
    EXPECT_EQ(b.gritCursor, b.gritTextures[k] + a * kBm + c);
    EXPECT_EQ(b.gritCountdown, 7);
}

TEST(DabGrit, StaleCursorIsPutBackInsideTheTextures) {
    makeCanvas(4, 4);
    setBrush(2, 65535);
    BrushState& b = brush();
    static uint8_t elsewhere[4];
    b.gritCellSize = 1;
    b.gritCountdown = 3;
    b.gritCursor = elsewhere;  // as after the textures were reallocated
    MRV_DrawDabGrit(1, 1, 0xFF00, 0, 0);
    EXPECT_EQ(b.gritCursor, b.gritTextures[19]);
}

// ---- Pick-up through the BlendBuffer

class PickUp : public OnePixel {
protected:
    void SetUp() override {
        OnePixel::SetUp();
        BrushState& b = brush();
        b.blendStrength = 128;
        b.blendInverse = 128;
    }
    void setBlend(Px v) {
        uint16_t* p = blendPx(0, 0);
        for (int i = 0; i < 4; ++i) p[i] = static_cast<uint16_t>(v[i]);
    }
    Px blend() {
        const uint16_t* p = blendPx(0, 0);
        return {p[0], p[1], p[2], p[3]};
    }
};

TEST_F(PickUp, NormalPicksUpAndRemixes) {
    brush().blendRemix = 1;
    setBlend({0x8000, 0x4000, 0, 65535});
    // w = 1: red ((65535 >> 8) + (65535 * 32768 >> 8)) >> 8 = (255 + 8388480) >> 8 = 32768;
    // green (255 + 4194240) >> 8 = 16384; blue 255 >> 8 = 0;
    // alpha (255 + (65535 * 65535 >> 8 = 16776704)) >> 8 = 65534.
    EXPECT_EQ(paint({65535, 65535, 65535, 65535}, 0xFF00, 0xFF00, 0xFF00), (Px{32768, 16384, 0, 65534}));
    // Remix: ((128 * 65535 + 128 * 32768) >> 8) + 1 = 49152; green 40959 + 1; blue 32767 + 1; alpha 65535.
    EXPECT_EQ(blend(), (Px{49152, 40960, 32768, 65535}));
    // tempDisableBlend paints the brush colour for one dab and leaves the buffer alone.
    brush().tempDisableBlend = 1;
    EXPECT_EQ(paint({0, 0, 0, 0}, 0xFF00, 0, 0), (Px{65280, 0, 0, 65534}));
    EXPECT_EQ(blend(), (Px{49152, 40960, 32768, 65535}));
    EXPECT_EQ(brush().tempDisableBlend, 0);
}

TEST_F(PickUp, RemixOverTransparentAndFromTransparent) {
    brush().blendRemix = 1;
    // Target transparent: the buffer takes the picked colour with alpha (128 * 65535) >> 8 = 32767.
    setBlend({1000, 2000, 3000, 65535});
    EXPECT_EQ(paint({0, 0, 0, 0}, 0xFF00, 0, 0), (Px{1000, 2000, 3000, 65534}));
    EXPECT_EQ(blend(), (Px{1000, 2000, 3000, 32767}));
    // Picked alpha 0 at full coverage: colour stays, alpha ((40000 >> 8) + 0) >> 8 = 156 >> 8 = 0;
    // the buffer takes the target as it was, alpha (128 * 40000) >> 8 = 20000.
    setBlend({1000, 2000, 3000, 0});
    EXPECT_EQ(paint({4000, 5000, 6000, 40000}, 0xFF00, 0, 0), (Px{4000, 5000, 6000, 0}));
    EXPECT_EQ(blend(), (Px{4000, 5000, 6000, 20000}));
}

TEST_F(PickUp, ImageBrushScalesCoverageByPickedAlpha) {
    setBlend({0, 0, 0, 32768});
    // Without the image brush mode: C.A = 32768 at full coverage: alpha (255 + 8388480) >> 8 = 32768.
    EXPECT_EQ(paint({65535, 65535, 65535, 65535}, 0xFF00, 0, 0), (Px{0, 0, 0, 32768}));
    brush().imageBrushMode = 1;
    // V = (65535 * 32768) >> 16 = 32767, C.A = 65535: red (32769 * 65535) >> 8 = 8388735, >> 8 = 32768;
    // alpha (8388735 + (32767 * 65535 >> 8 = 8388224)) >> 8 = 65534.
    EXPECT_EQ(paint({65535, 65535, 65535, 65535}, 0xFF00, 0, 0), (Px{32768, 32768, 32768, 65534}));
    // Picked alpha 1: V = 0 is raised to 1, so the pixel still changes:
    // red ((65535 * 65535) >> 8 = 16776704) >> 8 = 65534; alpha (16776704 + 255) >> 8 = 65534.
    setBlend({0, 0, 0, 1});
    EXPECT_EQ(paint({65535, 65535, 65535, 65535}, 0xFF00, 0, 0), (Px{65534, 65534, 65534, 65534}));
}

TEST_F(PickUp, BrushColourMixedInByPrimaryStrength) {
    brush().primaryColorStrength = 64;
    brush().primaryInverse = 192;
    setBlend({0, 0, 0, 65535});
    // C red = (0 * 192 + 64 * 65280) >> 8 = 16320, alpha (65535 * 192 + 64 * 65535) >> 8 = 65535;
    // then red (255 + (65535 * 16320 >> 8 = 4177856)) >> 8 = 16320, alpha (255 + 16776704) >> 8 = 65534.
    EXPECT_EQ(paint({65535, 65535, 65535, 65535}, 0xFF00, 0, 0), (Px{16320, 0, 0, 65534}));
}

TEST_F(PickUp, ModeAboveThirtyThreeRemixesTheAdjustedTarget) {
    // 340 over opaque: the remix sees the target as mid grey.
    brush().blendRemix = 1;
    setMix(kMixGrey, 256);
    setBlend({0x3000, 0x6000, 0x9000, 65535});
    EXPECT_EQ(paint({5, 5, 5, 65535}, 0, 0, 0), (Px{32767, 32767, 32767, 24576}));
    // ((128 * 32767 + 128 * 12288) >> 8) + 1 = 22528; green 28672, blue 34816; alpha 65535.
    EXPECT_EQ(blend(), (Px{22528, 28672, 34816, 65535}));
}

// ---- Rotation

TEST(DabRotation, OnlyModeOneRotates) {
    makeCanvas(4, 4);
    setBrush(4, 0);
    setNamedShape(4);
    BrushState& b = brush();
    b.rotateSin = static_cast<float>(std::sin(90 * (1 / 180.0) * 3.14159));  // 1.0f
    b.rotateCos = static_cast<float>(std::cos(90 * (1 / 180.0) * 3.14159));  // about 1.3e-6
    // Centre 2 with dab 4: canvas (x, y) is dab column x, row y; c = 2.
    b.rotateMode = 1;
    MRV_DrawDabGrit(2, 2, 0xFF00, 0, 0);
    // (0, 0): dx = dy = -2: px = trunc(2 - 2.6e-6) + 2 = 3, py = trunc(-2 - 2.6e-6) + 2 = 0.
    EXPECT_EQ(px(2, 0, 0)[3], namedAlpha(0, 3));
    // (1, 0): dx = -1, dy = -2: px = trunc(1.9999987) + 2 = 3, py = trunc(-1.0000026) + 2 = 1.
    EXPECT_EQ(px(2, 1, 0)[3], namedAlpha(1, 3));
    // (3, 3): dx = dy = 1: px = trunc(-0.9999987) + 2 = 2, py = trunc(1.0000013) + 2 = 3.
    EXPECT_EQ(px(2, 3, 3)[3], namedAlpha(3, 2));
    // (3, 0): dx = 1, dy = -2: px = trunc(2.0000013) + 2 = 4 is outside: unrotated (0, 3).
    EXPECT_EQ(px(2, 3, 0)[3], namedAlpha(0, 3));

    fillLayer(2, {0, 0, 0, 0});
    b.rotateMode = 2;
    MRV_DrawDabGrit(2, 2, 0xFF00, 0, 0);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(px(2, x, y)[3], namedAlpha(y, x));
}

// ---- Variations

TEST_F(OnePixel, PerDabColourVariation) {
    // Seed 1: the first draw is (2745024 >> 16) & 0x7FFF = 41; colorVary 10: d = 1,
    // o = (5 - 1) * 256 = 1024 on red, green, blue and alpha (alpha held at 65535).
    brush().colorVary = 10;
    MRV_SetRandomSeed(1);
    EXPECT_EQ(paint({0, 0, 0, 0}, 0x8000, 0x8000, 0x8000), (Px{33792, 33792, 33792, 65534}));
}

class PixelVariation : public ::testing::Test {
protected:
    std::vector<uint8_t> colourBytes, lumBytes;
    void SetUp() override {
        makeCanvas(3, 1);
        setBrush(3, 65535);
        colourBytes.assign(3 * kBm, 0);
        lumBytes.assign(3 * kBm, 0);
        for (int i = 0; i < 3 * kBm; ++i) colourBytes[i] = static_cast<uint8_t>(i);
        brush().pixelColorBytes = RandArrayByte{colourBytes.data(), 1000, 0, 3 * kBm};
        brush().pixelLumBytes = RandArrayByte{lumBytes.data(), 256, 0, 3 * kBm};
    }
    void TearDown() override {
        brush().pixelColorBytes = RandArrayByte{};
        brush().pixelLumBytes = RandArrayByte{};
    }
};

TEST_F(PixelVariation, ColourCursorAdvancesOnlyOnPaintedPixels) {
    brush().pixelColorVary = 256;  // d = u, o = (256 - 2u) * 128
    setShape(1, 1, 0);             // the middle pixel takes no paint (the row samples shape row 1)
    MRV_SetRandomSeed(5);
    MRV_DrawDabGrit(1, 0, 0x8000, 0x8000, 0x8000);
    seedRandom(5);
    const int32_t p = nextRandom() % kBm;  // the row's cursor start
    const int32_t red0 = 32768 + (256 - 2 * p) * 128;
    const int32_t red2 = 32768 + (256 - 2 * (p + 1)) * 128;
    EXPECT_EQ(px(2, 0, 0)[0], red0);
    EXPECT_EQ(px(2, 1, 0), (Px{0, 0, 0, 0}));
    EXPECT_EQ(px(2, 2, 0)[0], red2);
}

TEST_F(PixelVariation, LightnessVariationBothWays) {
    brush().pixelLumVary = 64;
    // Byte 7: f = (128 - 32 + 7) / 256 = 0.40234375, k = 0.1953125: 32768 - 6400 = 26368.
    std::fill(lumBytes.begin(), lumBytes.end(), 7);
    MRV_DrawDabGrit(1, 0, 0x8000, 0x8000, 0x8000);
    EXPECT_EQ(px(2, 0, 0), (Px{26368, 26368, 26368, 65534}));
    // Byte 50: f = 146 / 256 = 0.5703125, k = 0.140625: 32768 + 32767 * 0.140625 = 37375.86.
    std::fill(lumBytes.begin(), lumBytes.end(), 50);
    fillLayer(2, {0, 0, 0, 0});
    MRV_DrawDabGrit(1, 0, 0x8000, 0x8000, 0x8000);
    EXPECT_EQ(px(2, 2, 0), (Px{37375, 37375, 37375, 65534}));
}

TEST_F(PixelVariation, ColourVariationAlsoMovesAlphaWithoutPickUp) {
    brush().pixelColorVary = 10;
    std::fill(colourBytes.begin(), colourBytes.end(), 7);
    // d = 7, o = (10 - 14) * 128 = -512: 32256 each, alpha 65023 -> NA = (65535 * 65023) >> 16 = 65022.
    MRV_DrawDabGrit(1, 0, 0x8000, 0x8000, 0x8000);
    EXPECT_EQ(px(2, 1, 0), (Px{32256, 32256, 32256, 65022}));
}

TEST_F(PixelVariation, OutOfRangeSettingsHoldChannelsInRange) {
    // pixelLumVary 400, byte 0: f = (128 - 200) / 256 < 0, k = 1.5625 would take every
    // channel below 0; it stops at 0 instead of wrapping.
    brush().pixelLumVary = 400;
    MRV_DrawDabGrit(1, 0, 0x8000, 0x4000, 0xFF00);
    EXPECT_EQ(px(2, 0, 0), (Px{0, 0, 0, 65534}));
    // A negative opacity paints nothing rather than wrapping the coverage.
    brush().pixelLumVary = 0;
    brush().alphaPercent = -50;
    brush().alphaScale = -64;
    fillLayer(2, {0, 0, 0, 0});
    MRV_DrawDabGrit(1, 0, 0x8000, 0x4000, 0xFF00);
    EXPECT_EQ(px(2, 1, 0), (Px{0, 0, 0, 0}));
}

TEST_F(PixelVariation, ArrayTooShortForTheBrushSwitchesVariationOff) {
    brush().pixelColorVary = 256;
    brush().pixelColorBytes.length = 4;  // made for a smaller brush maximum
    MRV_DrawDabGrit(1, 0, 0x8000, 0x8000, 0x8000);
    EXPECT_EQ(px(2, 0, 0), (Px{32768, 32768, 32768, 65534}));
}

// ---- Determinism

std::vector<uint16_t> paintStroke(uint32_t seed) {
    makeCanvas(24, 24);
    MRV_SetRandomSeed(static_cast<int32_t>(seed));
    BrushState& b = brush();
    b.brushSize = b.dabSize = 8;
    for (int32_t i = 0; i < 8; ++i) b.dabScaleTable[i] = i;
    for (int32_t r = 0; r < 8; ++r)
        for (int32_t c = 0; c < 8; ++c) setShape(r, c, static_cast<uint16_t>(8000 * (1 + (r + c) % 8)));
    static std::vector<uint8_t> bytes(3 * kBm);
    for (int i = 0; i < 3 * kBm; ++i) bytes[i] = static_cast<uint8_t>(i * 37);
    b.pixelColorBytes = RandArrayByte{bytes.data(), 1000, 0, 3 * kBm};
    b.pixelLumBytes = RandArrayByte{bytes.data(), 256, 0, 3 * kBm};
    b.colorVary = 40;
    b.pixelColorVary = 30;
    b.pixelLumVary = 20;
    b.gritCellSize = 1;
    b.gritInterval = 2;
    b.gritCountdown = 2;
    b.gritCursor = b.gritTextures[19];
    for (int k = 0; k < kGritTextureCount; ++k)
        for (int i = 0; i < (kBm + 25) * (kBm + 25); ++i) b.gritTextures[k][i] = static_cast<uint8_t>((i * 7 + k * 13) & 0xFF);
    b.densityLimit = 200;
    setMix(253, 200);
    for (int32_t i = 0; i < 12; ++i) {
        MRV_DrawDabGrit(2 + i * 2, 3 + (i * i) % 18, 0x9000 + i * 0x300, 0x4000, 0x2000 + i * 0x100);
        --b.gritCountdown;
    }
    const LayerSlot& s = engine().core.layers[2];
    std::vector<uint16_t> out(s.pixels, s.pixels + s.width * s.height * 4);
    b.pixelColorBytes = RandArrayByte{};
    b.pixelLumBytes = RandArrayByte{};
    MRV_DeleteImage();
    return out;
}

TEST(DabDeterminism, SameSeedSameLayer) {
    const std::vector<uint16_t> a = paintStroke(4242);
    const std::vector<uint16_t> b = paintStroke(4242);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, paintStroke(4243));  // the seed does reach the result
    EXPECT_NE(std::count(a.begin(), a.end(), 0), static_cast<long>(a.size()));
}

// ---- Mask dab

TEST(MaskDab, PaintsTheMaskPlaneWithTheBrushLightness) {
    makeCanvas(2, 1);
    setBrush(2, 65535);
    setShape(1, 1, 32768);  // the one visible row (y0 = -1) samples shape row 1
    uint16_t* mask = engine().selection.maskPlane;
    mask[0] = 65535;
    mask[1] = 65535;
    brush().maskMakerOn = 1;
    // L = 32768: M0 = 65280 - 32768 = 32512.
    MRV_DrawDabGrit(1, 0, 0x8000, 0x8000, 0x8000);
    // V = 65535: ((65535 >> 8) + (65535 * 32512 >> 8)) >> 8 = (255 + 8322945) >> 8 = 32512.
    EXPECT_EQ(mask[0], 32512);
    // V = 32768: ((32768 * 65535 >> 8) + (32768 * 32512 >> 8)) >> 8 = (8388480 + 4161536) >> 8 = 49023.
    EXPECT_EQ(mask[1], 49023);
    EXPECT_EQ(px(2, 0, 0), (Px{0, 0, 0, 0}));  // no layer was painted
    EXPECT_EQ(brush().maskMakerOn, 1);         // mask painting stays on

    // Dark colours select fully; erasing paints full weight too.
    mask[0] = 0;
    MRV_DrawDabGrit(1, 0, 0x0000, 0x0000, 0x0100);  // L = 85 <= 255: M0 = 65535
    EXPECT_EQ(mask[0], 65534);                      // (65535 * 65535 >> 8) >> 8
    mask[0] = 0;
    brush().eraseModeOn = 1;
    MRV_DrawDabGrit(1, 0, 0xFF00, 0xFF00, 0xFF00);
    EXPECT_EQ(mask[0], 65534);
    EXPECT_EQ(brush().eraseModeOn, 1);
}

TEST(MaskDab, PickUpAndRemixInMaskLayout) {
    makeCanvas(1, 1);
    setBrush(1, 65535);
    BrushState& b = brush();
    b.blendStrength = 128;
    b.blendInverse = 128;
    b.blendRemix = 1;
    b.brushColor[0] = b.brushColor[1] = b.brushColor[2] = 0x8000;
    b.blendBuffer.pixels[0] = 1000;  // mask layout: one value per pixel
    uint16_t* mask = engine().selection.maskPlane;
    mask[0] = 40000;
    MRV_DrawDabGritMask(0, 0);
    // M = 1000: ((40000 >> 8 = 156) + (65535 * 1000 >> 8 = 255996)) >> 8 = 1000.
    EXPECT_EQ(mask[0], 1000);
    // Remix: ((128 * 40000 + 128 * 1000) >> 8) + 1 = 20501.
    EXPECT_EQ(b.blendBuffer.pixels[0], 20501);
}

}  // namespace
