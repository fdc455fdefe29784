// Colour models: documented edge values worked out from the formulas, and
// round trips over a grid of RGB colours.
#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "imaging/colour_models.h"

using namespace mrv;

namespace {

struct Rgb {
    int r, g, b;
};

void expectRgb(uint8_t r, uint8_t g, uint8_t b, Rgb want, const char* what) {
    EXPECT_EQ(r, want.r) << what;
    EXPECT_EQ(g, want.g) << what;
    EXPECT_EQ(b, want.b) << what;
}

TEST(ColourModels, RgbToHsvHues) {
    struct Case {
        Rgb in;
        double h, s, v;
    };
    // Hues by hand: r max -> 60 (g - b) / delta, g max -> 60 ((b - r) / delta + 2),
    // b max -> 60 ((r - g) / delta + 4); negative hues wrap by 360.
    const Case cases[] = {
        {{255, 0, 0}, 0.0, 1.0, 1.0},
        {{0, 255, 0}, 120.0, 1.0, 1.0},
        {{0, 0, 255}, 240.0, 1.0, 1.0},
        {{255, 255, 0}, 60.0, 1.0, 1.0},
        {{255, 0, 1}, 360.0 - 60.0 / 255.0, 1.0, 1.0},  // just below 360, never negative
        {{0, 128, 64}, 120.0 + 60.0 * (64.0 - 0.0) / 128.0, 1.0, 128.0 / 255.0},
        {{200, 100, 50}, 60.0 * 50.0 / 150.0, 150.0 / 200.0, 200.0 / 255.0},
    };
    for (const Case& c : cases) {
        double h, s, v;
        RgbToHsv(c.in.r, c.in.g, c.in.b, h, s, v);
        EXPECT_NEAR(h, c.h, 1e-9) << c.in.r << "," << c.in.g << "," << c.in.b;
        EXPECT_NEAR(s, c.s, 1e-12);
        EXPECT_NEAR(v, c.v, 1e-12);
        EXPECT_GE(h, 0.0);
        EXPECT_LT(h, 360.0);
    }
}

TEST(ColourModels, GreysHaveNoHue) {
    for (int k : {0, 1, 128, 254, 255}) {
        double h, s, v;
        RgbToHsv(k, k, k, h, s, v);
        EXPECT_EQ(h, -1.0) << k;
        EXPECT_EQ(s, 0.0);
        EXPECT_NEAR(v, k / 255.0, 1e-15);
        RgbToHsl(k, k, k, h, s, v);
        EXPECT_EQ(h, 0.0) << k;
        EXPECT_EQ(s, 0.0);
        EXPECT_NEAR(v, k / 255.0, 1e-15);
    }
}

TEST(ColourModels, HsvToRgbValues) {
    struct Case {
        double h, s, v;
        Rgb want;
    };
    const Case cases[] = {
        {0.0, 1.0, 1.0, {255, 0, 0}},
        {360.0, 1.0, 1.0, {255, 0, 0}},  // 360 is the same hue as 0
        {120.0, 1.0, 1.0, {0, 255, 0}},
        {240.0, 1.0, 1.0, {0, 0, 255}},
        // sector 0, f = 0.5: t = 0.5 -> 127.5 truncates to 127
        {30.0, 1.0, 1.0, {255, 127, 0}},
        // sector 5, f = 0.5: q = 0.5
        {330.0, 1.0, 1.0, {255, 0, 127}},
        // sector 3 at f = 0.25, S = 0.5, V = 0.8: p = 0.4, q = 0.8 * (1 - 0.125) = 0.7
        {195.0, 0.5, 0.8, {102, 178, 204}},
        // truncation, not rounding: 0.999 * 255 = 254.745
        {0.0, 1.0, 0.999, {254, 0, 0}},
        // S = 0 ignores the hue
        {200.0, 0.0, 0.5, {127, 127, 127}},
        {0.0, 0.0, 0.999, {254, 254, 254}},
    };
    for (const Case& c : cases) {
        uint8_t r, g, b;
        HsvToRgb(c.h, c.s, c.v, r, g, b);
        expectRgb(r, g, b, c.want, "hsv");
    }
}

TEST(ColourModels, RgbToHslValues) {
    struct Case {
        Rgb in;
        double h, s, l;
    };
    const Case cases[] = {
        // L = 0.5 exactly takes the second saturation branch: delta / (2 - max - min) = 1
        {{255, 0, 0}, 0.0, 1.0, 0.5},
        {{0, 0, 255}, 240.0, 1.0, 0.5},
        {{0, 255, 0}, 120.0, 1.0, 0.5},
        // max 0.75294, min 0.25098, L = 0.50196 >= 0.5: S = 128/255 / (2 - 256/255)
        {{192, 64, 64}, 0.0, (128.0 / 255.0) / (2.0 - 256.0 / 255.0), 128.0 / 255.0},
        // L < 0.5: S = delta / (max + min) = 1
        {{128, 0, 0}, 0.0, 1.0, 64.0 / 255.0},
        {{255, 4, 0}, 360.0 * (4.0 / 255.0) / 6.0, 1.0, 0.5},
    };
    for (const Case& c : cases) {
        double h, s, l;
        RgbToHsl(c.in.r, c.in.g, c.in.b, h, s, l);
        EXPECT_NEAR(h, c.h, 1e-9) << c.in.r << "," << c.in.g << "," << c.in.b;
        EXPECT_NEAR(s, c.s, 1e-12);
        EXPECT_NEAR(l, c.l, 1e-12);
    }
}

TEST(ColourModels, HslToRgbAndChannel) {
    struct Case {
        double h, s, l;
        Rgb want;
    };
    const Case cases[] = {
        {0.0, 1.0, 0.5, {255, 0, 0}},
        // L < 0.5: m2 = 0.5, m1 = 0; red at 210 deg ramps down: 0.5 * 30 / 60 = 0.25 -> 63
        {90.0, 1.0, 0.25, {63, 127, 0}},
        // L >= 0.5: m2 = 0.75 + 0.5 - 0.375 = 0.875, m1 = 0.625; green at 60..180 is m2
        {120.0, 0.5, 0.75, {159, 223, 159}},
        {77.0, 0.0, 0.4, {102, 102, 102}},  // S = 0: trunc(L * 255)
    };
    for (const Case& c : cases) {
        uint8_t r, g, b;
        HslToRgb(c.h, c.s, c.l, r, g, b);
        expectRgb(r, g, b, c.want, "hsl");
    }
    // The channel wraps its hue once: -330 and 390 both act as 30 (v = 0.5 -> 127).
    EXPECT_EQ(HslChannel(0.0, 1.0, 30.0), 127);
    EXPECT_EQ(HslChannel(0.0, 1.0, -330.0), 127);
    EXPECT_EQ(HslChannel(0.0, 1.0, 390.0), 127);
    EXPECT_EQ(HslChannel(0.0, 1.0, 180.0), 255);  // 180 starts the ramp: (240 - 180) / 60 = 1
    EXPECT_EQ(HslChannel(0.0, 1.0, 210.0), 127);
    EXPECT_EQ(HslChannel(0.2, 1.0, 300.0), 51);  // m1: trunc(0.2 * 255)
}

TEST(ColourModels, XyzAndLabEdges) {
    double x, y, z;
    RgbToXyz(255, 255, 255, x, y, z);
    EXPECT_NEAR(x, 95.05, 1e-9);  // 41.24 + 35.76 + 18.05
    EXPECT_NEAR(y, 100.0, 1e-9);
    EXPECT_NEAR(z, 108.9, 1e-9);  // 1.93 + 11.92 + 95.05
    RgbToXyz(0, 0, 0, x, y, z);
    EXPECT_EQ(x, 0.0);
    EXPECT_EQ(y, 0.0);
    EXPECT_EQ(z, 0.0);
    // Below the linear limit: 10 / 255 / 12.92 * 100 for each channel.
    RgbToXyz(0, 10, 0, x, y, z);
    EXPECT_NEAR(y, 0.7152 * (10.0 / 255.0) / 12.92 * 100.0, 1e-12);

    uint8_t r, g, b;
    // Out of gamut: the red row gives -1.5372 and is clamped, green beyond 1 clamps to 255.
    XyzToRgb(0.0, 100.0, 0.0, r, g, b);
    expectRgb(r, g, b, {0, 255, 0}, "xyz clamp");
    XyzToRgb(-50.0, -50.0, -50.0, r, g, b);
    expectRgb(r, g, b, {0, 0, 0}, "xyz negative");

    double l, a, bs;
    XyzToLab(95.047, 100.0, 108.883, l, a, bs);
    EXPECT_NEAR(l, 100.0, 1e-9);
    EXPECT_NEAR(a, 0.0, 1e-9);
    EXPECT_NEAR(bs, 0.0, 1e-9);
    XyzToLab(0.0, 0.0, 0.0, l, a, bs);
    EXPECT_NEAR(l, 0.0, 1e-9);
    EXPECT_NEAR(a, 0.0, 1e-9);
    EXPECT_NEAR(bs, 0.0, 1e-9);
    // Linear segment: Y = 0.5 -> t = 0.005 < 0.008856: L = 116 (7.787 * 0.005 + 16/116) - 16
    XyzToLab(0.0, 0.5, 0.0, l, a, bs);
    EXPECT_NEAR(l, 116.0 * 7.787 * 0.005, 1e-9);

    LabToXyz(100.0, 0.0, 0.0, x, y, z);
    EXPECT_NEAR(x, 95.047, 1e-9);
    EXPECT_NEAR(y, 100.0, 1e-9);
    EXPECT_NEAR(z, 108.883, 1e-9);
    // fx = 16/116 - 2: the linear segment goes negative and is cut to 0.
    LabToXyz(0.0, -1000.0, 0.0, x, y, z);
    EXPECT_EQ(x, 0.0);
    EXPECT_NEAR(y, 0.0, 1e-12);
}

TEST(ColourModels, Cmyk) {
    double c, m, y, k;
    CmyToCmyk(1.0, 1.0, 1.0, c, m, y, k);
    EXPECT_EQ(c, 0.0);
    EXPECT_EQ(m, 0.0);
    EXPECT_EQ(y, 0.0);
    EXPECT_EQ(k, 1.0);
    CmyToCmyk(0.5, 0.75, 1.0, c, m, y, k);  // K = 0.5
    EXPECT_DOUBLE_EQ(k, 0.5);
    EXPECT_DOUBLE_EQ(c, 0.0);
    EXPECT_DOUBLE_EQ(m, 0.5);
    EXPECT_DOUBLE_EQ(y, 1.0);

    uint8_t r, g, b;
    CmykToRgb(0.0, 0.0, 0.0, 0.0, r, g, b);
    expectRgb(r, g, b, {255, 255, 255}, "white");
    // R = (1 - 0.5) * 255 = 127.5, G = (1 - 0.75) * 255 = 63.75, B = 0
    CmykToRgb(0.0, 0.5, 1.0, 0.5, r, g, b);
    expectRgb(r, g, b, {127, 63, 0}, "cmyk");
    CmykToRgb(0.3, 0.3, 0.3, 1.0, r, g, b);
    expectRgb(r, g, b, {0, 0, 0}, "black");
}

// Converting there and back loses at most the one step that truncation can
// cost per channel (V * 255 may land just below an integer).
TEST(ColourModels, RoundTripsStayWithinOneStep) {
    int worstHsv = 0, worstHsl = 0, worstLab = 0;
    for (int R = 0; R < 256; R += 5)
        for (int G = 0; G < 256; G += 3)
            for (int B = 0; B < 256; B += 7) {
                double h, s, v;
                uint8_t r, g, b;
                RgbToHsv(R, G, B, h, s, v);
                HsvToRgb(h < 0 ? 0 : h, s, v, r, g, b);
                worstHsv = std::max({worstHsv, std::abs(r - R), std::abs(g - G), std::abs(b - B)});
                RgbToHsl(R, G, B, h, s, v);
                HslToRgb(h, s, v, r, g, b);
                worstHsl = std::max({worstHsl, std::abs(r - R), std::abs(g - G), std::abs(b - B)});
                double x, y, z, l, a, bs;
                RgbToXyz(R, G, B, x, y, z);
                XyzToLab(x, y, z, l, a, bs);
                LabToRgb(l, a, bs, r, g, b);
                worstLab = std::max({worstLab, std::abs(r - R), std::abs(g - G), std::abs(b - B)});
            }
    EXPECT_LE(worstHsv, 1);
    EXPECT_LE(worstHsl, 1);
    EXPECT_LE(worstLab, 1);
}

// The hue conversions pick their case without branches; for every 8-bit
// colour they must give exactly what the plain case-by-case formulas give.
TEST(ColourModels, HueConversionsMatchThePlainFormulasForEveryColour) {
    const double k = 0.00392156862745098;
    long mismatches = 0;
    for (int R = 0; R < 256; ++R)
        for (int G = 0; G < 256; ++G)
            for (int B = 0; B < 256; ++B) {
                const double r = R * k, g = G * k, b = B * k;
                const double mx = std::max(std::max(r, g), b), mn = std::min(std::min(r, g), b);
                const double delta = mx - mn;
                double h, s, v;
                RgbToHsv(R, G, B, h, s, v);
                double wantH = -1.0, wantS = 0.0;
                if (delta != 0.0) {
                    wantS = delta / mx;
                    double sector;
                    if (r == mx)
                        sector = (g - b) / delta;
                    else if (g == mx)
                        sector = (b - r) / delta + 2.0;
                    else
                        sector = (r - g) / delta + 4.0;
                    wantH = sector * 60.0;
                    if (wantH < 0.0) wantH += 360.0;
                }
                mismatches += std::memcmp(&h, &wantH, 8) != 0 || s != wantS || v != mx;

                double l;
                RgbToHsl(R, G, B, h, s, l);
                const double wantL = 0.5 * (mx + mn);
                wantH = 0.0, wantS = 0.0;
                if (delta != 0.0) {
                    wantS = wantL < 0.5 ? delta / (mx + mn) : delta / (2.0 - mx - mn);
                    const double dr = ((mx - r) * 0.16666666666666666 + delta * 0.5) / delta;
                    const double dg = ((mx - g) * 0.16666666666666666 + delta * 0.5) / delta;
                    const double db = ((mx - b) * 0.16666666666666666 + delta * 0.5) / delta;
                    double turn;
                    if (r == mx)
                        turn = db - dg;
                    else if (g == mx)
                        turn = 0.3333333333333333 + dr - db;
                    else
                        turn = 0.6666666666666666 + dg - dr;
                    if (turn < 0.0) turn += 1.0;
                    if (turn > 1.0) turn -= 1.0;
                    wantH = turn * 360.0;
                }
                mismatches += std::memcmp(&h, &wantH, 8) != 0 || s != wantS || l != wantL;
            }
    EXPECT_EQ(mismatches, 0);
}

// Inputs far outside the documented ranges still give some byte, never a trap.
TEST(ColourModels, WildInputsStayDefined) {
    uint8_t r, g, b;
    HsvToRgb(725.0, 1.0, 1.0, r, g, b);  // wrapped to 5 degrees
    uint8_t r5, g5, b5;
    HsvToRgb(5.0, 1.0, 1.0, r5, g5, b5);
    expectRgb(r, g, b, {r5, g5, b5}, "wrapped hue");
    HsvToRgb(-30.0, 1.0, 1.0, r, g, b);  // 330
    expectRgb(r, g, b, {255, 0, 127}, "negative hue");
    // Channels beyond the 32-bit range come out as 0 rather than undefined.
    HsvToRgb(1e300, 1.0, 1e300, r, g, b);
    expectRgb(r, g, b, {0, 0, 0}, "huge value");
    HslToRgb(std::nan(""), 0.5, 1e300, r, g, b);
    expectRgb(r, g, b, {0, 0, 0}, "nan hue");
    CmykToRgb(-1e20, 0.0, 0.0, 0.0, r, g, b);
    expectRgb(r, g, b, {0, 255, 255}, "huge cyan");
    // Within range, the low eight bits of the truncated value are kept: 1.5 * 255 = 382.5 -> 382 & 255.
    CmykToRgb(-0.5, 0.0, 0.0, 0.0, r, g, b);
    expectRgb(r, g, b, {382 & 255, 255, 255}, "low byte");
}

}  // namespace
