// Brush setters, the dab scale table, MRV_SetTool and the random grit textures.
#include <gtest/gtest.h>
#include <morvane/morvane.h>

#include <cstring>
#include <vector>

#include "core/engine_state.h"

using mrv::engine;

namespace {

mrv::BrushState& brush() { return engine().brush; }

MRV_ToolRecord plainTool() {
    MRV_ToolRecord t{};
    t.shapeStrength = 1.0f;
    t.paperPath = "";
    t.shapePath = "";
    return t;
}

// The engine generator, written out from its definition, for checking which
// random bytes the grit took.
struct Lcg {
    uint32_t state;
    int32_t next() {
        state = state * 214013u + 2531011u;
        return static_cast<int32_t>((state >> 16) & 0x7FFF);
    }
};

TEST(BrushSetters, ColoursKeepTheDocumentedBits) {
    MRV_SetColor(0x1234, 0x56, 0xFF);
    EXPECT_EQ(brush().brushColor[0], 0x3400);
    EXPECT_EQ(brush().brushColor[1], 0x5600);
    EXPECT_EQ(brush().brushColor[2], 0xFF00);
    EXPECT_EQ(brush().brushColor[3], 0xFFFF);

    MRV_SetColor16(0x12345, -1, 7);
    EXPECT_EQ(brush().brushColor[0], 0x2345);
    EXPECT_EQ(brush().brushColor[1], 0xFFFF);
    EXPECT_EQ(brush().brushColor[2], 7);
    EXPECT_EQ(brush().brushColor[3], 0xFFFF);

    MRV_SetColorBanks(1, 2, 3, 0x104, 5, 6, 7, 8, 9, 10, 11, 0x1FF);
    const uint16_t expected[4][4] = {{0x100, 0x200, 0x300, 0xFFFF},
                                     {0x400, 0x500, 0x600, 0xFFFF},
                                     {0x700, 0x800, 0x900, 0xFFFF},
                                     {0xA00, 0xB00, 0xFF00, 0xFFFF}};
    for (int k = 0; k < 4; ++k)
        for (int ch = 0; ch < 4; ++ch) EXPECT_EQ(brush().colorBanks[k][ch], expected[k][ch]) << k << "," << ch;
}

TEST(BrushSetters, DerivedWeights) {
    // alphaScale = percent * 1.28 truncated toward zero.
    const int32_t alphaCases[][2] = {{50, 64}, {100, 128}, {33, 42}, {0, 0}, {-10, -12}};
    for (const auto& c : alphaCases) {
        MRV_SetAlpha(c[0]);
        EXPECT_EQ(brush().alphaPercent, c[0]);
        EXPECT_EQ(brush().alphaScale, c[1]) << c[0];
    }

    // mixShift = trunc((amount - 127) / 127 * 16): truncation toward zero, not floor.
    const int32_t mixCases[][3] = {{255, 16, 1}, {127, 0, 129}, {0, -16, 256}, {100, -3, 156}, {256, 16, 0}};
    for (const auto& c : mixCases) {
        MRV_SetMixMode(295, c[0]);
        EXPECT_EQ(brush().mixMode, 295);
        EXPECT_EQ(brush().mixAmount, c[0]);
        EXPECT_EQ(brush().mixShift, c[1]) << c[0];
        EXPECT_EQ(brush().mixInverse, c[2]) << c[0];
    }

    MRV_SetDensity(256);
    EXPECT_EQ(brush().densityLimit, 255);
    MRV_SetDensity(0);
    EXPECT_EQ(brush().densityLimit, -1);
}

TEST(BrushSetters, InversesOnlyFollowPositiveWeights) {
    MRV_SetBlendStrength(100);
    EXPECT_EQ(brush().blendInverse, 156);
    MRV_SetBlendStrength(0);
    EXPECT_EQ(brush().blendStrength, 0);
    EXPECT_EQ(brush().blendInverse, 156);
    MRV_SetBlendStrength(-5);
    EXPECT_EQ(brush().blendInverse, 156);

    MRV_SetBlendPrimaryColorStrength(56);
    EXPECT_EQ(brush().primaryInverse, 200);
    MRV_SetBlendPrimaryColorStrength(0);
    EXPECT_EQ(brush().primaryColorStrength, 0);
    EXPECT_EQ(brush().primaryInverse, 200);

    MRV_SetBlendRemix(0x100);  // only the low byte counts
    EXPECT_EQ(brush().blendRemix, 0);
    MRV_SetBlendRemix(0x101);
    EXPECT_EQ(brush().blendRemix, 1);
}

TEST(BrushSetters, RotationUsesTheShortPi) {
    MRV_SetRotateBrushMode(1, 90);
    EXPECT_EQ(brush().rotateMode, 1);
    EXPECT_NEAR(brush().rotateSin, 1.0f, 1e-6f);
    // cos(90 / 180 * 3.14159) = sin(1.3268e-6): small but not zero.
    EXPECT_GT(brush().rotateCos, 1.32e-6f);
    EXPECT_LT(brush().rotateCos, 1.33e-6f);

    MRV_SetRotateBrushMode(2, 180);
    EXPECT_EQ(brush().rotateMode, 2);
    EXPECT_NEAR(brush().rotateCos, -1.0f, 1e-6f);
    EXPECT_GT(brush().rotateSin, 2.6e-6f);  // sin(3.14159) = 2.65e-6
}

TEST(BrushSetters, FlagsAndPlainFields) {
    MRV_TempDisableBlend();
    MRV_SetMaskMakerOn();
    MRV_SetEraseModeOn();
    EXPECT_EQ(brush().tempDisableBlend, 1);
    EXPECT_EQ(brush().maskMakerOn, 1);
    EXPECT_EQ(brush().eraseModeOn, 1);

    MRV_SetAlphaLocked(3);
    MRV_SetColorLocked(4);
    MRV_SetBlobLocked(5);
    MRV_SetAlphaLevel(6);
    MRV_SetImageBrushMode(7);
    MRV_SetSolidBrushMode(8);
    MRV_SetColorVary(9);
    MRV_SetShapeBlur(10);
    EXPECT_EQ(brush().lockAlpha, 3);
    EXPECT_EQ(brush().lockColor, 4);
    EXPECT_EQ(brush().lockBlob, 5);
    EXPECT_EQ(brush().alphaLevel, 6);
    EXPECT_EQ(brush().imageBrushMode, 7);
    EXPECT_EQ(brush().solidBrushMode, 8);
    EXPECT_EQ(brush().colorVary, 9);
    EXPECT_EQ(brush().shapeBlur, 10);

    brush().gritCountdown = 1;
    MRV_DecDrawingLength();
    MRV_DecDrawingLength();
    EXPECT_EQ(brush().gritCountdown, -1);
}

TEST(BrushSetters, PixelVariationArraysFollowTheSeed) {
    MRV_SetRandomSeed(77);
    MRV_CreateImage(nullptr, 4, 4, 16, 0);
    MRV_SetPixColorVary(0);
    EXPECT_EQ(brush().pixelColorBytes.data, nullptr);  // 0 makes nothing
    MRV_SetPixColorVary(20);
    MRV_SetPixLumVary(30);
    ASSERT_NE(brush().pixelColorBytes.data, nullptr);
    ASSERT_NE(brush().pixelLumBytes.data, nullptr);
    EXPECT_EQ(brush().pixelColorBytes.length, 48);
    EXPECT_EQ(brush().pixelColorBytes.modulus, 1000);
    EXPECT_EQ(brush().pixelLumBytes.length, 48);
    EXPECT_EQ(brush().pixelLumBytes.modulus, 256);
    // Both arrays restart the generator at the seed: byte i is the low byte of
    // the i-th draw mod 1000 (colour) or mod 256 (lightness).
    Lcg lcg{77};
    for (int i = 0; i < 48; ++i) {
        const int32_t r = lcg.next();
        EXPECT_EQ(brush().pixelColorBytes.data[i], static_cast<uint8_t>(r % 1000)) << i;
        EXPECT_EQ(brush().pixelLumBytes.data[i], static_cast<uint8_t>(r % 256)) << i;
    }
    MRV_DeleteImage();
}

// ---- Sizes and the dab scale table

TEST(BrushSize, SetSizeIsClampedToTheBuffers) {
    // Before any canvas the table's 1000 entries are the only limit.
    MRV_SetSize(5000);
    EXPECT_EQ(brush().brushSize, 1000);
    MRV_CreateImage(nullptr, 4, 4, 16, 0);
    const int32_t cases[][2] = {{20, 16}, {16, 16}, {0, 1}, {-5, 1}, {7, 7}};
    for (const auto& c : cases) {
        MRV_SetSize(c[0]);
        EXPECT_EQ(brush().brushSize, c[1]) << c[0];
        EXPECT_EQ(brush().dabSize, c[1]) << c[0];
        for (int i = 0; i < c[1]; ++i) ASSERT_EQ(brush().dabScaleTable[i], i);
    }
    MRV_DeleteImage();
}

TEST(BrushSize, ScaleTables) {
    MRV_CreateImage(nullptr, 4, 4, 128, 0);
    struct Case {
        int32_t brushSize, n;
        std::vector<int32_t> table;
    };
    const Case cases[] = {
        {10, 4, {1, 3, 6, 8}},
        {10, 0, {5}},  // below 1 behaves as 1
        {10, 50, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},  // capped at brushSize
        {7, 3, {1, 3, 5}},
        // The step added is 100/3 rounded to float (33.33333206), so the
        // second entry falls just short of 50.
        {100, 3, {16, 49, 83}},
        {1, 1, {0}},
        {9, 2, {2, 6}},
    };
    for (const Case& c : cases) {
        MRV_SetSize(c.brushSize);
        MRV_SetScaleSize(c.n);
        ASSERT_EQ(brush().dabSize, static_cast<int32_t>(c.table.size())) << c.brushSize << "/" << c.n;
        for (size_t i = 0; i < c.table.size(); ++i)
            EXPECT_EQ(brush().dabScaleTable[i], c.table[i]) << c.brushSize << "/" << c.n << " entry " << i;
    }
    MRV_DeleteImage();
}

TEST(BrushSize, ScaleSizeStopsAt999) {
    MRV_CreateImage(nullptr, 4, 4, 1000, 0);
    MRV_SetSize(1000);
    MRV_SetScaleSize(1000);
    EXPECT_EQ(brush().dabSize, 999);
    EXPECT_EQ(brush().dabScaleTable[0], 0);      // 1000/999 * 0.5
    EXPECT_EQ(brush().dabScaleTable[998], 999);  // about 999.5
    for (int i = 0; i < 999; ++i) ASSERT_LT(brush().dabScaleTable[i], 1000);
    MRV_DeleteImage();
}

TEST(BrushSize, ScaleSizeNeverSamplesOutsideAShrunkenBrushBuffer) {
    MRV_CreateImage(nullptr, 4, 4, 64, 0);
    MRV_SetSize(64);
    // The canvas is remade with a smaller brush maximum; brushSize still says 64.
    MRV_CreateImage(nullptr, 4, 4, 16, 0);
    MRV_SetScaleSize(40);
    EXPECT_EQ(brush().dabSize, 16);
    for (int i = 0; i < brush().dabSize; ++i) EXPECT_LT(brush().dabScaleTable[i], 16);
    MRV_DeleteImage();
}

// ---- MRV_SetTool

TEST(SetTool, StoresTheRecordInItsDocumentedOrder) {
    MRV_CreateImage(nullptr, 4, 4, 16, 0);
    MRV_SetSize(8);
    MRV_SetMixMode(40, 99);
    MRV_SetBlendStrength(10);
    MRV_TempDisableBlend();
    MRV_SetMaskMakerOn();
    MRV_SetEraseModeOn();

    MRV_ToolRecord t{};
    t.shapeStrength = 0.5f;
    t.gritCellSize = 0;
    t.gritCellThreshold = 11;
    t.gritPixelThreshold = 12;
    t.shapeSoftness = 0x1FF;  // low byte 255
    t.colorVary = 13;
    t.gritInterval = 14;
    t.blendStrength = 200;
    t.primaryColorStrength = 64;
    t.blendRemix = 0x201;
    t.reserved10 = 0x3AA;
    t.shapeHollow = 0x100;  // low byte 0
    t.reserved12 = 0xBB;
    t.paperPath = nullptr;
    t.shapePath = nullptr;
    t.shapeAngle = 33;
    MRV_SetTool(t);

    const mrv::BrushState& b = brush();
    EXPECT_EQ(b.shapeStrength, 0.5f);
    EXPECT_EQ(b.gritCellSize, 0);
    EXPECT_EQ(b.gritCellThreshold, 11);
    EXPECT_EQ(b.gritPixelThreshold, 12);
    EXPECT_EQ(b.shapeSoftness, 255);
    EXPECT_EQ(b.colorVary, 13);
    EXPECT_EQ(b.gritInterval, 14);
    EXPECT_EQ(b.blendStrength, 200);
    EXPECT_EQ(b.blendInverse, 56);
    EXPECT_EQ(b.primaryColorStrength, 64);
    EXPECT_EQ(b.primaryInverse, 192);
    EXPECT_EQ(b.blendRemix, 1);
    EXPECT_EQ(b.toolReserved10, 0xAA);
    EXPECT_EQ(b.shapeHollow, 0);
    EXPECT_EQ(b.toolReserved12, 0xBB);
    EXPECT_EQ(b.mixMode, 32);
    EXPECT_EQ(b.mixAmount, 99);  // kept
    EXPECT_EQ(b.tempDisableBlend, 0);
    EXPECT_EQ(b.maskMakerOn, 0);
    EXPECT_EQ(b.eraseModeOn, 0);
    // Round shape at size 8, softness 255, strength 0.5: the centre (4, 4) is
    // 65535 * 0.5 and the cut corner (0, 0) is empty.
    EXPECT_EQ(b.brushShape[4 * 16 + 4], 32767);
    EXPECT_EQ(b.brushShape[0], 0);
    MRV_DeleteImage();
}

TEST(SetTool, WithoutGritOrPathsLeavesTexturesAndBuildsTheRoundShape) {
    MRV_CreateImage(nullptr, 4, 4, 16, 0);
    MRV_SetSize(5);
    const size_t gritBytes = 41 * 41;
    for (uint8_t* grit : brush().gritTextures) std::memset(grit, 0x5A, gritBytes);
    const char* paths[] = {nullptr, "", "x"};  // none of them names a picture
    for (const char* path : paths) {
        MRV_ToolRecord t = plainTool();
        t.paperPath = path;
        t.shapePath = path;
        std::memset(brush().brushShape, 0x11, 16 * 16 * 2);
        MRV_SetTool(t);
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 5; ++c) ASSERT_EQ(brush().brushShape[r * 16 + c], 65535) << r << "," << c;
        EXPECT_EQ(brush().brushShape[5], 0);  // the rest of the buffer is cleared
        for (const uint8_t* grit : brush().gritTextures)
            for (size_t i = 0; i < gritBytes; ++i) ASSERT_EQ(grit[i], 0x5A);
    }
    MRV_DeleteImage();
}

TEST(SetTool, GritWithoutACanvasIsRefusedBeforeTheShape) {
    MRV_SetLastError("");
    MRV_SetEraseModeOn();
    MRV_ToolRecord t = plainTool();
    t.gritCellSize = 4;
    t.blendStrength = 100;
    MRV_SetTool(t);
    EXPECT_STREQ(MRV_GetLastError(), "SetTool Excpt");
    EXPECT_EQ(brush().eraseModeOn, 1);  // the tool call stopped at the grit
    EXPECT_EQ(brush().blendInverse, 0);

    // Without grit the tool is set; only the shape has nowhere to go.
    MRV_SetLastError("");
    t.gritCellSize = 0;
    MRV_SetTool(t);
    EXPECT_STREQ(MRV_GetLastError(), "SetBrushShape Excpt");
    EXPECT_EQ(brush().eraseModeOn, 0);
    EXPECT_EQ(brush().blendInverse, 156);
}

// ---- Random grit

class GritTest : public ::testing::Test {
protected:
    void makeCanvas(int32_t brushMaxSize, int32_t brushSize) {
        MRV_SetRandomSeed(12345);
        MRV_CreateImage(nullptr, 4, 4, brushMaxSize, 0);
        MRV_SetSize(brushSize);
        side_ = brushMaxSize + 25;
    }
    void TearDown() override { MRV_DeleteImage(); }
    size_t textureBytes() const { return static_cast<size_t>(side_) * side_; }
    int32_t side_ = 0;
};

TEST_F(GritTest, OneCellOverTheWholeSquareTakesItsValueFromTheValueStream) {
    // brushMaxSize 16 and brushSize 16: E = 41 columns at a row distance of 16,
    // so each row spills into the next and addresses 0 .. 40*16+40 = 680 are
    // written; the rest of the 41*41 bytes stay background.
    makeCanvas(16, 16);
    MRV_ToolRecord t = plainTool();
    t.gritCellSize = 41;
    t.gritCellThreshold = 255;
    t.gritPixelThreshold = 255;
    t.gritInterval = 7;
    MRV_SetTool(t);

    const mrv::RandArrayByte& values = engine().core.randomBytes254;
    Lcg lcg{12345};
    for (int k = 0; k < 20; ++k) {
        lcg.next();  // the cover stream start: every cover byte (0..254) is below 255
        const uint32_t r2 = static_cast<uint32_t>(lcg.next());
        const uint8_t v = values.data[r2 * ((1000000u - 41u) / 32767u)];
        const uint8_t* grit = brush().gritTextures[k];
        for (int i = 0; i <= 680; ++i) ASSERT_EQ(grit[i], v) << "texture " << k << " byte " << i;
        for (size_t i = 681; i < textureBytes(); ++i) ASSERT_EQ(grit[i], 255) << "texture " << k << " byte " << i;
    }
    EXPECT_EQ(brush().gritCursor, brush().gritTextures[19]);
    EXPECT_EQ(brush().gritCountdown, 7);
}

TEST_F(GritTest, DensityEdgesOfTheThresholds) {
    makeCanvas(64, 16);  // E = 41, no spill
    MRV_ToolRecord t = plainTool();
    t.gritCellSize = 4;

    // No cell passes a threshold of 0: every byte stays background.
    t.gritCellThreshold = 0;
    t.gritPixelThreshold = 255;
    MRV_SetTool(t);
    for (const uint8_t* grit : brush().gritTextures)
        for (size_t i = 0; i < textureBytes(); ++i) ASSERT_EQ(grit[i], 255);

    // Every cell and pixel passes 255: each 4x4 cell (cut at E) is one value
    // of 0..253, and nothing outside the 41x41 square is written.
    t.gritCellThreshold = 255;
    MRV_SetTool(t);
    for (const uint8_t* grit : brush().gritTextures) {
        for (int r = 0; r < 89; ++r) {
            for (int c = 0; c < 89; ++c) {
                const uint8_t v = grit[r * 64 + c];
                if (r < 41 && c < 41) {
                    ASSERT_LE(v, 253);
                    ASSERT_EQ(v, grit[(r / 4 * 4) * 64 + c / 4 * 4]) << r << "," << c;
                } else if (c < 64) {
                    ASSERT_EQ(v, 255) << r << "," << c;
                }
            }
        }
    }

    // A pixel threshold of 0 keeps cells but sets none of their pixels.
    t.gritPixelThreshold = 0;
    MRV_SetTool(t);
    for (const uint8_t* grit : brush().gritTextures)
        for (size_t i = 0; i < textureBytes(); ++i) ASSERT_EQ(grit[i], 255);
}

TEST_F(GritTest, SameSeedAndRecordRepeatTheTextures) {
    makeCanvas(32, 32);
    MRV_ToolRecord t = plainTool();
    t.gritCellSize = 3;
    t.gritCellThreshold = 128;
    t.gritPixelThreshold = 200;
    MRV_SetTool(t);
    std::vector<uint8_t> first;
    for (const uint8_t* grit : brush().gritTextures) first.insert(first.end(), grit, grit + textureBytes());
    size_t background = 0;
    for (uint8_t v : first) background += v == 255;
    // Some but not all pixels are painted with these thresholds.
    EXPECT_GT(background, first.size() / 4);
    EXPECT_LT(background, first.size());

    // Random draws in between do not matter: SetTool restarts at the seed.
    MRV_SetRandomSeed(12345);
    MRV_DecDrawingLength();
    MRV_SetTool(t);
    std::vector<uint8_t> second;
    for (const uint8_t* grit : brush().gritTextures) second.insert(second.end(), grit, grit + textureBytes());
    EXPECT_EQ(first, second);

    // Textures differ from each other.
    EXPECT_NE(std::memcmp(brush().gritTextures[0], brush().gritTextures[1], textureBytes()), 0);
}

TEST_F(GritTest, CoverStreamReadsStayInsideTheRandomArray) {
    // A cell covering the whole 1025 x 1025 square consumes about 1.05 million
    // cover bytes, more than the array holds: the stream wraps to its start.
    makeCanvas(1000, 1000);
    MRV_ToolRecord t = plainTool();
    t.gritCellSize = 1025;
    t.gritCellThreshold = 255;
    t.gritPixelThreshold = 255;
    MRV_SetTool(t);
    EXPECT_STREQ(MRV_GetLastError(), "");
    const uint8_t* grit = brush().gritTextures[0];
    // The last written address is 1024 * 1000 + 1024.
    for (int i = 0; i <= 1024 * 1000 + 1024; i += 1013) ASSERT_EQ(grit[i], grit[0]);
    EXPECT_LE(grit[0], 253);
}

TEST_F(GritTest, CellsLargerThanTheArrayStayInside) {
    // 2 * cell exceeds the array length: the unsigned spread wraps, the read
    // position is folded back into the array.
    makeCanvas(16, 16);
    MRV_ToolRecord t = plainTool();
    t.gritCellSize = 600000;
    t.gritCellThreshold = 255;
    t.gritPixelThreshold = 255;
    MRV_SetTool(t);
    const uint8_t* grit = brush().gritTextures[3];
    EXPECT_LE(grit[0], 253);
    EXPECT_EQ(grit[680], grit[0]);
    EXPECT_EQ(grit[681], 255);

    // A negative cell size describes no cells: the textures are left alone.
    std::memset(brush().gritTextures[0], 9, textureBytes());
    t.gritCellSize = -3;
    MRV_SetTool(t);
    EXPECT_EQ(brush().gritTextures[0][100], 9);
}

}  // namespace
