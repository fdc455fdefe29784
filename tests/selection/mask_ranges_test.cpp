// Masks from caller images and the grey-image conversions. Every selecting
// operation writes (255 - level) * 256 only where it selects; elsewhere the
// plane keeps what it held (a marker value here) so that calls add up.
#include <gtest/gtest.h>
#include <morvane/morvane.h>

#include <cstring>
#include <vector>

#include "core/engine_state.h"

using mrv::engine;

namespace {

constexpr uint16_t kMarker = 0x1357;  // "not selected"

uint16_t* plane() { return engine().selection.maskPlane; }

struct Px {
    uint8_t r, g, b, a;
};

// A canvas of as many pixels as given (one row), the plane filled with the marker.
class MaskRangeTest : public ::testing::Test {
protected:
    std::vector<uint8_t> image;
    int n = 0;
    void TearDown() override { MRV_DeleteImage(); }
    void makeRow(std::initializer_list<Px> pixels) {
        n = static_cast<int>(pixels.size());
        MRV_CreateImage(nullptr, n, 1, 8, 0);
        image.assign(static_cast<size_t>(n) * 4, 0);
        uint8_t* out = image.data();
        for (const Px& p : pixels) {
            out[0] = p.r, out[1] = p.g, out[2] = p.b, out[3] = p.a;
            out += 4;
        }
        std::fill_n(plane(), n, kMarker);
    }
    // 'x' selected (written with value), '.' kept the marker.
    void expectSelected(const char* pattern, uint16_t value) {
        for (int i = 0; i < n; ++i) {
            const uint16_t want = pattern[i] == 'x' ? value : kMarker;
            EXPECT_EQ(plane()[i], want) << "pixel " << i << " of " << pattern;
        }
    }
};

TEST_F(MaskRangeTest, LevelGivesTheWrittenWeight) {
    struct Case {
        int32_t level;
        uint16_t value;
    };
    // low 16 bits of (0xFFFF - level) << 8
    const Case cases[] = {{0, 0xFF00}, {1, 0xFE00}, {128, 0x7F00}, {254, 0x0100}, {255, 0}, {256, 0xFF00}, {-1, 0}};
    for (const Case& c : cases) {
        makeRow({{5, 6, 7, 0}, {5, 6, 8, 0}});
        MRV_CreateMaskFromRGBAImageColor(image.data(), 5, 6, 7, c.level);
        expectSelected("x.", c.value);
        MRV_DeleteImage();
    }
}

TEST_F(MaskRangeTest, DiffWritesTheRawLowSixteenBits) {
    makeRow({{1, 2, 3, 4}, {1, 2, 3, 4}, {1, 2, 3, 5}, {0, 2, 3, 4}});
    std::vector<uint8_t> other = {1, 2, 3, 4, 1, 2, 3, 4, 1, 2, 3, 4, 1, 2, 3, 4};
    MRV_CreateMaskFromDiff_RGBA32(image.data(), other.data(), 0x12345);
    expectSelected("..xx", 0x2345);
}

TEST_F(MaskRangeTest, ExactColourIgnoresAlphaAndCallsAddUp) {
    makeRow({{10, 20, 30, 0}, {10, 20, 30, 255}, {10, 20, 31, 255}, {11, 20, 30, 0}});
    MRV_CreateMaskFromRGBAImageColor(image.data(), 10, 20, 30, 200);
    expectSelected("xx..", 55 * 256);
    MRV_CreateMaskFromRGBAImageColor(image.data(), 11, 20, 30, 255);
    EXPECT_EQ(plane()[0], 55 * 256);  // the first selection stays
    EXPECT_EQ(plane()[3], 0);
    EXPECT_EQ(plane()[2], kMarker);
    MRV_CreateMaskFromRGBAImageColor(image.data(), 266, 20, 30, 0);  // 266 is no byte value
    EXPECT_EQ(plane()[0], 55 * 256);
}

TEST_F(MaskRangeTest, Rgb24ColourAndRegionMap) {
    makeRow({{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}});
    const uint8_t rgb[] = {9, 8, 7, 9, 8, 6, 9, 8, 7, 7, 8, 9};
    MRV_CreateMaskFromRGB24ImageColor(rgb, 9, 8, 7, 0);
    expectSelected("x.x.", 0xFF00);

    std::fill_n(plane(), n, kMarker);
    const uint8_t region[] = {1, 0, 2, 255};  // only the byte 1 marks the region
    MRV_CreateMaskFromFloodMask(region, 10);
    expectSelected("x...", 245 * 256);
}

TEST_F(MaskRangeTest, ColourRangeThreshold) {
    // T = trunc(tolerance * 2.56): 0 -> 0, 10 -> 25, 100 -> 256.
    makeRow({{100, 100, 100, 0}, {125, 75, 100, 0}, {126, 100, 100, 0}, {100, 100, 74, 0}, {0, 255, 0, 0}});
    MRV_CreateMaskFromRGBAImageColorRange(image.data(), 100, 100, 100, 0, 0);
    expectSelected("x....", 0xFF00);
    std::fill_n(plane(), n, kMarker);
    MRV_CreateMaskFromRGBAImageColorRange(image.data(), 100, 100, 100, 10, 0);
    expectSelected("xx...", 0xFF00);
    std::fill_n(plane(), n, kMarker);
    MRV_CreateMaskFromRGBAImageColorRange(image.data(), 255, 0, 255, 100, 0);
    expectSelected("xxxxx", 0xFF00);
    std::fill_n(plane(), n, kMarker);
    MRV_CreateMaskFromRGBAImageColorRange(image.data(), 255, 0, 255, 99, 0);  // T = 253: 255 away fails
    expectSelected("xxxx.", 0xFF00);
    std::fill_n(plane(), n, kMarker);
    MRV_CreateMaskFromRGBAImageColorRange(image.data(), 100, 100, 100, -5, 0);  // no negative reach
    expectSelected(".....", 0xFF00);
    // Tolerances far outside 0..100 are not clamped, and their thresholds do not overflow.
    MRV_CreateMaskFromRGBAImageColorRange(image.data(), 100, 100, 100, INT32_MIN, 0);
    MRV_CreateMaskFromRGBAImageAlphaRange(image.data(), 0, INT32_MIN, 0);
    MRV_CreateMaskFromRGBAImageHueRange(image.data(), 0, 255, 0, INT32_MIN, 0);
    expectSelected(".....", 0xFF00);
    MRV_CreateMaskFromRGBAImageColorRange(image.data(), INT32_MIN, INT32_MAX, 0, INT32_MAX, 0);
    expectSelected("xxxxx", 0xFF00);
}

TEST_F(MaskRangeTest, AlphaRange) {
    // tolerance 1 -> T = 2
    makeRow({{0, 0, 0, 98}, {0, 0, 0, 97}, {0, 0, 0, 102}, {0, 0, 0, 103}, {0, 0, 0, 100}});
    MRV_CreateMaskFromRGBAImageAlphaRange(image.data(), 100, 1, 128);
    expectSelected("x.x.x", 0x7F00);
}

TEST_F(MaskRangeTest, LuminanceRange) {
    // reference (10 + 20 + 31) / 3 = 20; tolerance 2 -> T = 5
    makeRow({{25, 25, 25, 0}, {26, 26, 26, 0}, {0, 0, 47, 0}, {0, 0, 44, 0}, {20, 21, 22, 9}});
    MRV_CreateMaskFromRGBAImageLuminanceRange(image.data(), 10, 20, 31, 2, 0);
    expectSelected("x.x.x", 0xFF00);  // 47 / 3 = 15 passes, 44 / 3 = 14 does not
}

TEST_F(MaskRangeTest, HueRangeAcrossZero) {
    // HSV hues: (255, 3, 45) -> 60 * (3 - 45) / 252 + 360 = 350; (255, 21, 0) -> 60 * 21 / 255 = 4.94;
    // (255, 0, 85) -> 340; (255, 0, 128) -> 329.88; (255, 4, 0) -> 0.94; greys -> -1.
    makeRow({{255, 21, 0, 0}, {255, 0, 85, 0}, {255, 0, 128, 0}, {255, 3, 45, 0}, {0, 255, 0, 0}, {90, 90, 90, 0}});
    // Reference 350, tolerance 10 -> T = 18: hue 5 passes through Hp - (Hr - 360) = 14.94 -> 14;
    // 340 passes (-10); 329.88 fails (trunc(-20.12) = -20); the grey's -1 is 9 from 350 - 360.
    MRV_CreateMaskFromRGBAImageHueRange(image.data(), 255, 3, 45, 10, 0);
    expectSelected("xx.x.x", 0xFF00);

    // Reference 4.94, tolerance 15 -> T = 27: 340 passes only through the third
    // difference (340 - 360) - 4.94 = -24.94 -> -24; 329.88 gives -35 and fails; grey -5.94 -> -5.
    std::fill_n(plane(), n, kMarker);
    MRV_CreateMaskFromRGBAImageHueRange(image.data(), 255, 21, 0, 15, 0);
    expectSelected("xx.x.x", 0xFF00);
    std::fill_n(plane(), n, kMarker);
    MRV_CreateMaskFromRGBAImageHueRange(image.data(), 255, 21, 0, 13, 0);  // T = 23: 340 now fails
    expectSelected("x..x.x", 0xFF00);
}

TEST_F(MaskRangeTest, HueRangeTruncatesDifferencesAndTreatsGreysAsMinusOne) {
    makeRow({{255, 4, 0, 0}, {255, 0, 0, 0}, {90, 90, 90, 0}, {0, 0, 0, 0}, {255, 10, 0, 0}});
    // Reference red (hue 0), tolerance 0 -> T = 0: hue 0.94 truncates to 0 and passes;
    // greys (-1) are 1 away; hue 2.35 is 2 away.
    MRV_CreateMaskFromRGBAImageHueRange(image.data(), 255, 0, 0, 0, 0);
    expectSelected("xx...", 0xFF00);
    std::fill_n(plane(), n, kMarker);
    MRV_CreateMaskFromRGBAImageHueRange(image.data(), 255, 0, 0, 1, 0);  // T = trunc(1.8) = 1
    expectSelected("xxxx.", 0xFF00);
    // A grey reference (-1) with tolerance 0 selects the greys only.
    std::fill_n(plane(), n, kMarker);
    MRV_CreateMaskFromRGBAImageHueRange(image.data(), 7, 7, 7, 0, 0);
    expectSelected("..xx.", 0xFF00);
}

TEST_F(MaskRangeTest, HslRangeChecksHueSaturationAndLightness) {
    // HSL of the reference red: H 0, S 1, L 0.5.
    //   (255, 4, 0): H 0.94, S 1, L 0.5      (128, 0, 0): H 0, S 1, L 0.25098
    //   (192, 64, 64): H 0, S 0.50394, L 0.50196    (255, 10, 0): H 2.35    grey 128: H 0, S 0
    makeRow({{255, 4, 0, 0}, {128, 0, 0, 0}, {192, 64, 64, 0}, {255, 10, 0, 0}, {128, 128, 128, 0}});
    MRV_CreateMaskFromRGBAImageHSLRange(image.data(), 255, 0, 0, 0.004, 0.0, 0.0, 0);  // 0.72 degrees
    expectSelected("x....", 0xFF00);
    std::fill_n(plane(), n, kMarker);
    MRV_CreateMaskFromRGBAImageHSLRange(image.data(), 255, 0, 0, 0.0112, 0.0, 0.25, 0);  // 2.016 degrees
    expectSelected("xx.x.", 0xFF00);
    // Lightness 0.24 no longer reaches (128, 0, 0), 0.24902 away; hue 0.94 still truncates to 0.
    std::fill_n(plane(), n, kMarker);
    MRV_CreateMaskFromRGBAImageHSLRange(image.data(), 255, 0, 0, 0.0, 0.0, 0.24, 0);
    expectSelected("x....", 0xFF00);
    // Saturation 0.5 reaches (192, 64, 64) (0.49606 away, lightness 0.00196); 0.49 does not.
    // The grey has hue 0 here but saturation 0, a full 1 away.
    std::fill_n(plane(), n, kMarker);
    MRV_CreateMaskFromRGBAImageHSLRange(image.data(), 255, 0, 0, 0.0, 0.5, 0.01, 0);
    expectSelected("x.x..", 0xFF00);
    std::fill_n(plane(), n, kMarker);
    MRV_CreateMaskFromRGBAImageHSLRange(image.data(), 255, 0, 0, 0.0, 0.49, 0.01, 0);
    expectSelected("x....", 0xFF00);
    std::fill_n(plane(), n, kMarker);
    MRV_CreateMaskFromRGBAImageHSLRange(image.data(), 255, 0, 0, 0.0, 1.0, 0.5, 0);
    expectSelected("xxx.x", 0xFF00);
}

TEST_F(MaskRangeTest, ReplaceByAlphaRangeLeavesThePlane) {
    makeRow({{1, 2, 3, 102}, {1, 2, 3, 103}, {1, 2, 3, 98}, {9, 9, 9, 97}});
    MRV_ReplaceFromRGBAImageAlphaRange(image.data(), 100, 1, 0x1FF, 0x10, 0x20, 0x130);  // T = 2
    const uint8_t want[] = {0xFF, 0x10, 0x20, 0x30, 1, 2, 3, 103, 0xFF, 0x10, 0x20, 0x30, 9, 9, 9, 97};
    EXPECT_EQ(std::memcmp(image.data(), want, sizeof want), 0);
    expectSelected("....", 0);
}

TEST(GreyImageConversions, EachTouchesOnlyItsBytes) {
    // 2 x 1 images.
    const uint8_t rgba[] = {10, 20, 30, 40, 50, 60, 70, 80};
    const uint8_t rgb[] = {3, 4, 8, 200, 100, 0};

    uint8_t outRgb[6];
    MRV_RGBAlphaToRGB(outRgb, 2, 1, rgba);
    const uint8_t wantAlphaGrey[] = {40, 40, 40, 80, 80, 80};
    EXPECT_EQ(std::memcmp(outRgb, wantAlphaGrey, 6), 0);

    uint8_t outRgba[8] = {1, 1, 1, 1, 2, 2, 2, 2};
    MRV_RGBToRGBAlpha(outRgba, 2, 1, rgb);  // (3 + 4 + 8) / 3 = 5, 300 / 3 = 100
    const uint8_t wantAlpha[] = {1, 1, 1, 5, 2, 2, 2, 100};
    EXPECT_EQ(std::memcmp(outRgba, wantAlpha, 8), 0);

    uint8_t outRgba2[8] = {1, 1, 1, 1, 2, 2, 2, 2};
    MRV_RGBToRGBA(outRgba2, 2, 1, rgb);
    const uint8_t wantColour[] = {3, 4, 8, 1, 200, 100, 0, 2};
    EXPECT_EQ(std::memcmp(outRgba2, wantColour, 8), 0);

    uint8_t outRgb2[6];
    MRV_RGBAToRGB(outRgb2, 2, 1, rgba);
    const uint8_t wantDrop[] = {10, 20, 30, 50, 60, 70};
    EXPECT_EQ(std::memcmp(outRgb2, wantDrop, 6), 0);

    // Null buffers and empty or negative sizes write nothing.
    uint8_t guard[8] = {7, 7, 7, 7, 7, 7, 7, 7};
    MRV_RGBAlphaToRGB(guard, 0, 5, rgba);
    MRV_RGBToRGBAlpha(guard, 2, -1, rgb);
    MRV_RGBToRGBA(guard, -2, -1, rgb);
    MRV_RGBAToRGB(guard, 2, 1, nullptr);
    MRV_RGBAToRGB(nullptr, 2, 1, rgba);
    for (uint8_t v : guard) EXPECT_EQ(v, 7);
}

}  // namespace
