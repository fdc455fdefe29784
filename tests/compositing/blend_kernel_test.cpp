// BlendKernel, pixel by pixel: the plain modes over transparent, half and
// opaque destinations, opacity edges, layer masks, the Alpha family with
// sameMode 0 and 1. Expected values are worked from the formulas: colours on
// a 65280 scale (65280 = 1.0, 32640 = 0.5, 16320 = 0.25, 48960 = 0.75 are
// exact in single precision), alpha on a 65535 scale.
#include <cmath>

#include "compositing/blend_math.h"
#include "fixture.h"

using namespace mrvtest;

namespace {

constexpr Px kTransparent{0, 0, 0, 0};

struct ModeCase {
    const char* name;
    int32_t mode;
    Px src;
    Px dst;
    Px expected;
};

class PlainModes : public ::testing::TestWithParam<ModeCase> {};

TEST_P(PlainModes, OpaqueOverOpaque) {
    const ModeCase& c = GetParam();
    EXPECT_EQ(blendOne(c.src, c.dst, c.mode), c.expected) << c.name;
}

// Opaque source over opaque destination: Sa = Da = 1, so rest = 0 and Ra = 1
// (or 2 clamped to 1 for Add and Subtract), and X is the bare formula.
INSTANTIATE_TEST_SUITE_P(
    Kernel, PlainModes,
    ::testing::Values(
        // Multiply of (1, .5, 0) over white: S * D.
        ModeCase{"Multiply", 1, {65280, 32640, 0, 65535}, {65280, 65280, 65280, 65535}, {65280, 32640, 0, 65535}},
        // Screen: S + D - S*D.
        ModeCase{"Screen", 2, {65280, 0, 0, 65535}, {0, 0, 65280, 65535}, {65280, 0, 65280, 65535}},
        // Darken / Lighten pick per channel: (1, 0, .5) against (.5, .5, .5).
        ModeCase{"Darken", 3, {65280, 0, 32640, 65535}, {32640, 32640, 32640, 65535}, {32640, 0, 32640, 65535}},
        ModeCase{"Lighten", 4, {65280, 0, 32640, 65535}, {32640, 32640, 32640, 65535}, {65280, 32640, 32640, 65535}},
        // Difference |S - D| of (1, .5, 0) and (.5, .5, 1).
        ModeCase{"Difference", 5, {65280, 32640, 0, 65535}, {32640, 32640, 65280, 65535}, {32640, 0, 65280, 65535}},
        // Negation and Exclusion: S + D - 2SD = (.5, .5, 1).
        ModeCase{"Negation", 6, {65280, 32640, 0, 65535}, {32640, 32640, 65280, 65535}, {32640, 32640, 65280, 65535}},
        ModeCase{"Exclusion", 7, {65280, 32640, 0, 65535}, {32640, 32640, 65280, 65535}, {32640, 32640, 65280, 65535}},
        // Overlay decides on D: D = .25 -> 2SD = .25; D = .75 -> 1 - 2(1-S)(1-D) = 1 and .5.
        ModeCase{"Overlay", 8, {32640, 65280, 0, 65535}, {16320, 48960, 48960, 65535}, {16320, 65280, 32640, 65535}},
        // Hard Light decides on S: S = .5 -> 1 - 2(.5)(.75) = .25; S = 1 -> 1; S = 0 -> 2SD = 0.
        ModeCase{"Hard Light", 9, {32640, 65280, 0, 65535}, {16320, 48960, 48960, 65535}, {16320, 65280, 0, 65535}},
        // Soft Light, one channel per branch:
        //  S .25, D .25: .25 * (1 + (-.5)(.75)) = .15625 -> 10200
        //  S .75, D .0625: .0625 * (1 + .5 * .9375 * 2.5) = .1357421875 -> 8861.25
        //  S .75, D .25: .25 + (.5 - .25) * .5 = .375 -> 24480
        ModeCase{"Soft Light", 10, {16320, 48960, 48960, 65535}, {16320, 4080, 16320, 65535}, {10200, 8861, 24480, 65535}},
        // Dodge: .5+.75 >= 1 -> 1; .25/(1-.25) = 1/3 -> 21760; .5/(1-0) = .5.
        ModeCase{"Dodge", 11, {32640, 16320, 0, 65535}, {48960, 16320, 32640, 65535}, {65280, 21760, 32640, 65535}},
        // Burn: (S + D - 1)/S: .25/.5, .25/1, .25/.25.
        ModeCase{"Burn", 12, {32640, 65280, 16320, 65535}, {48960, 16320, 65280, 65535}, {32640, 16320, 65280, 65535}},
        // Reflect and Glow composite as Normal: an opaque source replaces.
        ModeCase{"Reflect", 13, {100, 200, 300, 65535}, {9, 9, 9, 65535}, {100, 200, 300, 65535}},
        // Subtract: S + D - 1 = (.25, .25, -.75 -> 0), Ra = 2 -> 1.
        ModeCase{"Subtract", 16, {32640, 65280, 0, 65535}, {48960, 16320, 16320, 65535}, {16320, 16320, 0, 65535}},
        // Texturize: Dc (.5, .25, .75), mean .5; lumS .75 -> m = .75, lift 1.75 * .25 = .4375.
        ModeCase{"Texturize", 17, {48960, 48960, 48960, 65535}, {32640, 16320, 48960, 65535}, {61200, 44880, 65280, 65535}},
        // Texturize2: lift 1.75 * (lumS - .5) with lumS 0 -> -.875: all clamp to 0 except 1 - .875.
        ModeCase{"Texturize2", 18, {0, 0, 0, 65535}, {32640, 16320, 65280, 65535}, {0, 0, 8160, 65535}}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (ch == ' ') ch = '_';
        return n;
    });

TEST(Kernel, NormalOpaqueSourceReplacesAnyDestination) {
    const Px src{1000, 2000, 3000, 65535};
    for (const Px& dst : {kTransparent, Px{5, 6, 7, 32768}, Px{5, 6, 7, 65535}})
        EXPECT_EQ(blendOne(src, dst, 0), src);
}

TEST(Kernel, EveryModeOverTransparentCopiesExceptTexturize) {
    // Opacity 127 leaves sa = (128 * 40000) >> 8 = 20000.
    const Px src{100, 200, 300, 40000};
    for (int32_t mode = 0; mode <= 20; ++mode) {
        const Px out = blendOne(src, kTransparent, mode, 127);
        if (mode >= 17 && mode <= 19)
            EXPECT_EQ(out, kTransparent) << "mode " << mode;
        else
            EXPECT_EQ(out, (Px{100, 200, 300, 20000})) << "mode " << mode;
    }
}

TEST(Kernel, TransparentSourceOfPlainModeLeavesDestination) {
    const Px dst{1, 2, 3, 4};
    for (int32_t mode = 0; mode <= 20; ++mode) EXPECT_EQ(blendOne({9, 9, 9, 0}, dst, mode), dst) << mode;
}

TEST(Kernel, HalfTransparentDestinations) {
    // Add: Sa = Da = 32768/65535; Ra = Sa + Da > 1 -> alpha 65535; colour
    // S + D = 65280 * 32768/65535 = 32640.5 in each lit channel.
    EXPECT_EQ(blendOne({65280, 0, 0, 32768}, {0, 65280, 0, 32768}, 15), (Px{32640, 32640, 0, 65535}));
    // Normal, opaque source over a half destination: the copy shortcut.
    EXPECT_EQ(blendOne({10, 20, 30, 65535}, {0, 65280, 0, 32768}, 0), (Px{10, 20, 30, 65535}));
    // Texturize2 divides its straight colour by Da: grey source (lumS .5)
    // leaves Dc = .25, and .25 / (32768/65535) * 65280 = 32639.5.
    EXPECT_EQ(blendOne({32640, 32640, 32640, 65535}, {16320, 16320, 16320, 32768}, 18), (Px{32639, 32639, 32639, 32768}));
    // Multiply, half source over half destination, one channel lit:
    // Sa = Da = a; S = D = a (colour 1.0) on red; X = a^2 + 2a(1 - a) = Ra,
    // so red comes back as 65280; green/blue 0.
    const Px m = blendOne({65280, 0, 0, 32768}, {65280, 0, 0, 32768}, 1);
    EXPECT_EQ(m[1], 0);
    EXPECT_EQ(m[2], 0);
    EXPECT_GE(m[0], 65279);
    // Ra = 1 - (1 - a)^2 with a = 32768/65535: 49151.75.
    EXPECT_EQ(m[3], 49151);
}

TEST(Kernel, Texturize3KeepsDestinationUpToTruncation) {
    const Px out = blendOne({0, 0, 0, 65535}, {1000, 65535, 32768, 65535}, 19);
    EXPECT_TRUE(out[0] == 1000 || out[0] == 999);
    EXPECT_EQ(out[1], 65280);  // above 65280 comes back as 65280
    EXPECT_TRUE(out[2] == 32768 || out[2] == 32767);
    EXPECT_EQ(out[3], 65535);
}

TEST(Kernel, OpacityEdges) {
    const Px src{1000, 2000, 3000, 65535};
    struct Case {
        int32_t opacity;
        uint16_t alpha;
    };
    // sa = ((opacity + 1) * 65535) >> 8 below 255.
    for (const Case& c : {Case{0, 255}, Case{254, 65279}, Case{255, 65535}, Case{256, 65535}, Case{-7, 255}})
        EXPECT_EQ(blendOne(src, kTransparent, 0, c.opacity)[3], c.alpha) << c.opacity;
    // 254 drops sa below 65280, so an opaque Normal source is no longer a
    // copy: grey .5 at 65279/65535 over black gives 32640 * 65279 / 65535 = 32512.498.
    EXPECT_EQ(blendOne({32640, 32640, 32640, 65535}, {0, 0, 0, 65535}, 0, 254), (Px{32512, 32512, 32512, 65535}));
    EXPECT_EQ(blendOne({32640, 32640, 32640, 65535}, {0, 0, 0, 65535}, 0, 255), (Px{32640, 32640, 32640, 65535}));
}

TEST(Kernel, LayerMask) {
    const Px src{1000, 2000, 3000, 65535};
    const Px grey{32768, 32768, 32768, 65535};
    const Px red{65535, 0, 0, 65535};
    const Px clear{0, 0, 0, 0};
    // grey 32768: (32768 * 65535) >> 16 = 32767; red: mean 21845 -> 21844.
    EXPECT_EQ(blendOne(src, kTransparent, 0, 256, 0, 0, &grey)[3], 32767);
    EXPECT_EQ(blendOne(src, kTransparent, 0, 256, 0, 0, &red)[3], 21844);
    // A fully transparent mask pixel leaves the source unmasked.
    EXPECT_EQ(blendOne(src, kTransparent, 0, 256, 0, 0, &clear)[3], 65535);
    // Mask, then opacity: 32767 -> (128 * 32767) >> 8 = 16383.
    EXPECT_EQ(blendOne(src, kTransparent, 0, 127, 0, 0, &grey)[3], 16383);
    // maskMode other than 39 ignores the mask.
    Px dst = kTransparent;
    mrv::blendKernel(src.data(), 0, 0, 1, 1, 4, grey.data(), dst.data(), 0, 0, 4, 0, 0, 256, 0, 0);
    EXPECT_EQ(dst[3], 65535);
}

TEST(Kernel, KeepDstAlphaWritesColourOnly) {
    EXPECT_EQ(blendOne({7, 8, 9, 65535}, {0, 0, 0, 1000}, 0, 256, 0, 1), (Px{7, 8, 9, 1000}));
    EXPECT_EQ(blendOne({7, 8, 9, 65535}, kTransparent, 0, 256, 0, 1), (Px{7, 8, 9, 0}));
}

// ---- Alpha family --------------------------------------------------------------

struct AlphaCase {
    int32_t mode;
    uint8_t sameMode;
    Px src;
    Px dst;
    Px expected;
};

class AlphaFamily : public ::testing::TestWithParam<AlphaCase> {};

constexpr uint16_t kAlo = 40000;
constexpr Px kOpaqueDst{1, 2, 3, 65535};

TEST_P(AlphaFamily, Step) {
    mrv::engine().core.alphaLayerOpacity = kAlo;
    const AlphaCase& c = GetParam();
    EXPECT_EQ(blendOne(c.src, c.dst, c.mode, 256, c.sameMode), c.expected)
        << "mode " << c.mode << " sameMode " << int(c.sameMode) << " sa " << c.src[3];
}

// Over a transparent destination the kernel writes the reshaped source
// (sr, sg, sb, sa), so these rows show the step itself; alo is 40000.
INSTANTIATE_TEST_SUITE_P(
    Kernel, AlphaFamily,
    ::testing::Values(
        AlphaCase{21, 0, {10000, 20000, 30001, 5000}, kTransparent, {10000, 20000, 30001, kAlo}},
        AlphaCase{21, 0, {10000, 20000, 30001, 0}, kTransparent, {10000, 20000, 30001, 0}},  // not skipped
        AlphaCase{22, 0, {10000, 20000, 30001, 5000}, kTransparent, {65535, 65535, 65535, 60535}},
        // Alpha Filter over opaque: a transparent source paints white (clamped
        // to 65280), an opaque one leaves the destination.
        AlphaCase{22, 0, {10000, 20000, 30001, 0}, kOpaqueDst, {65280, 65280, 65280, 65535}},
        AlphaCase{22, 0, {10000, 20000, 30001, 65535}, kOpaqueDst, kOpaqueDst},
        AlphaCase{23, 0, {10000, 20000, 30001, 5000}, kTransparent, {0, 0, 0, kAlo}},
        AlphaCase{23, 0, {10000, 20000, 30001, 65280}, kTransparent, {10000, 20000, 30001, 65280}},
        AlphaCase{37, 0, {10000, 20000, 30001, 65279}, kTransparent, {0, 0, 0, kAlo}},
        AlphaCase{24, 0, {10000, 20000, 30001, 5000}, kTransparent, {10000, 20000, 30001, 60535}},
        AlphaCase{25, 0, {10000, 20000, 30001, 12287}, kTransparent, {10000, 20000, 30001, kAlo}},
        AlphaCase{26, 0, {10000, 20000, 30001, 5000}, kTransparent, {10000, 20000, 30001, 60535}},
        AlphaCase{27, 0, {10000, 20000, 30001, 5000}, kTransparent, {5000, 5000, 5000, kAlo}},
        // Shade: below the half c - 2 * (32767 - 5000) < 0 -> 0; above, c + 2 * 50000 - 65534.
        AlphaCase{28, 0, {10000, 20000, 30001, 5000}, kTransparent, {0, 0, 0, kAlo}},
        AlphaCase{28, 0, {10000, 20000, 30001, 50000}, kTransparent, {44466, 54466, 64467, kAlo}},
        AlphaCase{28, 0, {40000, 20000, 30001, 50000}, kTransparent, {65535, 54466, 64467, kAlo}},
        // Shader Texture2 and Highlight Texture2 composite as Texturize2: nothing over transparent.
        AlphaCase{29, 0, {10000, 20000, 30001, 5000}, kTransparent, kTransparent},
        AlphaCase{30, 0, {10000, 20000, 30001, 40000}, kTransparent, kTransparent},
        // Smooth: 30000 - 4 * 2767 = 18932; 20000 cuts to 0; 40000 -> alo.
        AlphaCase{31, 0, {10000, 20000, 30001, 30000}, kTransparent, {10000, 20000, 30001, 18932}},
        AlphaCase{31, 0, {10000, 20000, 30001, 20000}, kTransparent, {10000, 20000, 30001, 0}},
        AlphaCase{31, 0, {10000, 20000, 30001, 40000}, kTransparent, {10000, 20000, 30001, kAlo}},
        // Smooth Lum: lighten by (50000 - 32767) / 32767 then alo; darken by
        // (32767 - 5000) / 32767 and the smooth cut drops 5000 to 0.
        AlphaCase{32, 0, {10000, 20000, 30001, 50000}, kTransparent, {39207, 43948, 48689, kAlo}},
        AlphaCase{32, 0, {10000, 20000, 30001, 5000}, kTransparent, {1525, 3051, 4577, 0}},
        AlphaCase{33, 0, {10000, 20000, 30001, 5000}, kTransparent, {5763, 11526, 17289, 0}},
        AlphaCase{34, 0, {10000, 20000, 30001, 50000}, kTransparent, {35447, 40864, 46283, kAlo}},
        // Lum4 tones around 36862 (darken by 27862/30000); the ramp gives 65535 - 215 * 64.
        AlphaCase{35, 0, {10000, 20000, 30001, 9000}, kTransparent, {712, 1425, 2138, 51775}},
        AlphaCase{36, 0, {10000, 20000, 30001, 9000}, kTransparent, {2746, 5493, 8240, 51775}},
        AlphaCase{36, 0, {10000, 20000, 30001, 9215}, kTransparent, {2812, 5624, 8437, kAlo}},
        AlphaCase{38, 0, {10000, 20000, 30001, 40000}, kOpaqueDst, kOpaqueDst},
        AlphaCase{38, 0, {10000, 20000, 30001, 30000}, kTransparent, {10000, 20000, 30001, 30000}},
        AlphaCase{39, 0, {10000, 20000, 30001, 65535}, kOpaqueDst, kOpaqueDst},
        // Luminance Alpha: white source of any alpha over opaque -> 65280 grey.
        AlphaCase{40, 0, {65535, 65535, 65535, 0}, kOpaqueDst, {65280, 65280, 65280, 65535}},
        AlphaCase{40, 0, {30000, 30000, 30003, 0}, kTransparent, {65535, 65535, 65535, 30001}},
        AlphaCase{41, 0, {30000, 30000, 30003, 0}, kTransparent, {0, 0, 0, 35534}},
        // sameMode 1: covered pixels copy over anything; sa 0 leaves the destination.
        AlphaCase{21, 1, {10000, 20000, 30001, 5000}, kOpaqueDst, {10000, 20000, 30001, 5000}},
        AlphaCase{21, 1, {10000, 20000, 30001, 0}, kOpaqueDst, kOpaqueDst},
        AlphaCase{22, 1, {10000, 20000, 30001, 5000}, kOpaqueDst, {10000, 20000, 30001, 5000}},
        AlphaCase{28, 1, {10000, 20000, 30001, 5000}, kOpaqueDst, {10000, 20000, 30001, 5000}},
        AlphaCase{31, 1, {10000, 20000, 30001, 100}, kOpaqueDst, {10000, 20000, 30001, 100}},
        AlphaCase{32, 1, {10000, 20000, 30001, 8190}, kOpaqueDst, kOpaqueDst},
        AlphaCase{34, 1, {10000, 20000, 30001, 8191}, kOpaqueDst, {10000, 20000, 30001, 8191}},
        AlphaCase{35, 1, {10000, 20000, 30001, 9215}, kOpaqueDst, {10000, 20000, 30001, 9215}},
        AlphaCase{38, 1, {10000, 20000, 30001, 32512}, kOpaqueDst, kOpaqueDst},
        AlphaCase{38, 1, {10000, 20000, 30001, 32513}, kOpaqueDst, {10000, 20000, 30001, 32513}},
        AlphaCase{39, 1, {10000, 20000, 30001, 65535}, kOpaqueDst, kOpaqueDst},
        AlphaCase{40, 1, {30000, 30000, 30003, 0}, kTransparent, {65535, 65535, 65535, 30001}}));

TEST(Kernel, AlphaNormalOverOpaqueCompositesAsNormalInFloat) {
    // colourMode stays 21, so even a full-alpha pixel takes the float path:
    // S = c / 65280 with Sa = 1, Ra = 1, and the colour comes back as c or c - 1.
    mrv::engine().core.alphaLayerOpacity = 65535;
    const Px out = blendOne({10000, 20000, 65535, 65535}, {1, 2, 3, 65535}, 21);
    EXPECT_TRUE(out[0] == 10000 || out[0] == 9999);
    EXPECT_TRUE(out[1] == 20000 || out[1] == 19999);
    EXPECT_EQ(out[2], 65280);
    EXPECT_EQ(out[3], 65535);
}

TEST(Kernel, SmoothLum4RampZoneMultipliesWithSameMode) {
    // 8191 <= sa < 9215 with sameMode 1 composites as Multiply.
    const Px src{10000, 40000, 65280, 9000};
    const Px dst{32640, 65280, 16320, 65535};
    EXPECT_EQ(blendOne(src, dst, 35, 256, 1), blendOne(src, dst, 1));
    EXPECT_NE(blendOne(src, dst, 35, 256, 1), blendOne(src, dst, 0));
}

TEST(Kernel, RectangleAddressing) {
    // A 2 x 2 source block at (1, 1) of a 4-wide picture lands at (0, 2) of a
    // 3-wide destination; everything else stays.
    std::vector<uint16_t> src(4 * 4 * 4, 0), dst(3 * 4 * 4, 7);
    auto s = [&](int x, int y) { return &src[(y * 4 + x) * 4]; };
    for (int y = 1; y <= 2; ++y)
        for (int x = 1; x <= 2; ++x) {
            uint16_t* p = s(x, y);
            p[0] = static_cast<uint16_t>(x);
            p[1] = static_cast<uint16_t>(y);
            p[2] = 0;
            p[3] = 65535;
        }
    mrv::blendKernel(src.data(), 1, 1, 2, 2, 16, nullptr, dst.data(), 0, 2, 12, 0, 0, 256, 0, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 3; ++x) {
            const uint16_t* p = &dst[(y * 3 + x) * 4];
            if (y >= 2 && x <= 1) {
                EXPECT_EQ(p[0], x + 1);
                EXPECT_EQ(p[1], y - 1);
                EXPECT_EQ(p[3], 65535);
            } else {
                EXPECT_EQ(p[0], 7) << x << "," << y;
            }
        }
}

}  // namespace
