// Effect scripts and the rotation effect.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/effect_script/effect_script.h"
#include "platform/imaging/imaging.h"

using namespace mrv::platform;

namespace {

std::string tempScript(const std::string& name, const std::string& text) {
    const std::string path = std::string(::testing::TempDir()) + "mrv_" + std::to_string(getpid()) + "_" + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    return path;
}

std::vector<uint8_t> render(const std::string& text, int32_t w, int32_t h) {
    const std::string path = tempScript("render.mfx", text);
    int32_t sw = 0, sh = 0;
    EXPECT_TRUE(scriptImageSize(path.c_str(), &sw, &sh));
    EXPECT_EQ(sw, w);
    EXPECT_EQ(sh, h);
    std::vector<uint8_t> out(static_cast<size_t>(w) * h * 4, 0xEE);
    EXPECT_TRUE(renderScript(path.c_str(), out.data(), w, h));
    std::remove(path.c_str());
    return out;
}

// ---- Rotation -------------------------------------------------------------------

const uint8_t* px(const std::vector<uint8_t>& img, int32_t w, int32_t x, int32_t y) {
    return &img[(static_cast<size_t>(y) * w + x) * 4];
}

TEST(Rotate, QuarterTurnsMoveAMarkerExactly) {
    // 4 x 4, marker (blue 1, green 2, red 3, alpha 4) at the top-right pixel (3, 0).
    struct Case {
        int32_t angle;
        int32_t x, y;
    };
    // Counter-clockwise on screen: top-right goes to top-left at 90, bottom-left
    // at 180, bottom-right at 270; angles wrap.
    const Case cases[] = {{90, 0, 0}, {180, 0, 3}, {270, 3, 3}, {-90, 3, 3}, {450, 0, 0}, {360, 3, 0}, {0, 3, 0}};
    for (const Case& c : cases) {
        std::vector<uint8_t> img(64, 0);
        const uint8_t marker[4] = {1, 2, 3, 4};
        std::memcpy(&img[3 * 4], marker, 4);
        const int32_t slots[2] = {c.angle, 100};
        ASSERT_TRUE(applyEffect(51, slots, 2, img.data(), 4, 4)) << c.angle;
        for (int32_t y = 0; y < 4; ++y)
            for (int32_t x = 0; x < 4; ++x) {
                const bool here = x == c.x && y == c.y;
                for (int k = 0; k < 4; ++k)
                    ASSERT_EQ(px(img, 4, x, y)[k], here ? marker[k] : 0) << "angle " << c.angle << " at " << x << "," << y;
            }
    }
}

TEST(Rotate, HalfTurnOfNonSquareAndChannelsAreIndependent) {
    // 3 x 2, half turn: (x, y) -> (2 - x, 1 - y). Alpha is 0 everywhere: the
    // first channel must still travel (callers carry an alpha plane in it).
    std::vector<uint8_t> img(24, 0);
    for (int i = 0; i < 6; ++i) img[i * 4] = static_cast<uint8_t>(10 * (i + 1));
    const int32_t slots[1] = {180};
    ASSERT_TRUE(applyEffect(51, slots, 1, img.data(), 3, 2));
    const uint8_t want[6] = {60, 50, 40, 30, 20, 10};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(img[i * 4], want[i]) << i;
        EXPECT_EQ(img[i * 4 + 3], 0);
    }
}

TEST(Rotate, FortyFiveDegreesClearsCornersAndKeepsTheMiddle) {
    std::vector<uint8_t> img(8 * 8 * 4, 255);
    const int32_t slots[2] = {45, 100};
    ASSERT_TRUE(applyEffect(51, slots, 2, img.data(), 8, 8));
    // Corner (0, 0) maps back to about (3.5, -1.45): outside, so all four channels 0.
    for (int k = 0; k < 4; ++k) EXPECT_EQ(px(img, 8, 0, 0)[k], 0);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(px(img, 8, 7, 7)[k], 0);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(px(img, 8, 3, 4)[k], 255);
}

TEST(Rotate, UnknownEffectsAndBadArgumentsLeaveTheImage) {
    std::vector<uint8_t> img(16);
    for (size_t i = 0; i < img.size(); ++i) img[i] = static_cast<uint8_t>(i);
    const auto before = img;
    const int32_t slots[2] = {90, 100}, noScale[2] = {90, 0};
    EXPECT_FALSE(applyEffect(52, slots, 2, img.data(), 2, 2));
    EXPECT_FALSE(applyEffect(0, slots, 2, img.data(), 2, 2));
    EXPECT_FALSE(applyEffect(51, noScale, 2, img.data(), 2, 2));
    EXPECT_FALSE(applyEffect(51, nullptr, 2, img.data(), 2, 2));
    EXPECT_FALSE(applyEffect(51, slots, 2, nullptr, 2, 2));
    EXPECT_FALSE(applyEffect(51, slots, 2, img.data(), 0, 2));
    EXPECT_EQ(img, before);
}

// ---- Scripts ----------------------------------------------------------------------

TEST(Scripts, GeneratorsByHand) {
    // fill: blue first in the output.
    auto out = render("effect-script 1\nsize 2 1\nfill 10 20 30 40\n", 2, 1);
    EXPECT_EQ(out, (std::vector<uint8_t>{30, 20, 10, 40, 30, 20, 10, 40}));

    // gradient along x over 4 pixels: t = 0.125, 0.375, 0.625, 0.875 of 255 -> 32, 96, 159, 223.
    out = render("effect-script 1 # comment\n\n  size 4 1\ngradient 0 0 4 0  0 0 0 255  255 255 255 255\n", 4, 1);
    const uint8_t ramp[4] = {32, 96, 159, 223};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(out[i * 4], ramp[i]);
        EXPECT_EQ(out[i * 4 + 2], ramp[i]);
        EXPECT_EQ(out[i * 4 + 3], 255);
    }

    // noise, seed 1: state 1 * 214013 + 2531011 = 2745024, (>> 16) = 41, 41 mod 21 - 10 = +10.
    out = render("effect-script 1\nsize 1 1\nfill 100 100 100 255\nnoise 1 10\n", 1, 1);
    EXPECT_EQ(out, (std::vector<uint8_t>{110, 110, 110, 255}));
}

TEST(Scripts, DiscAndRectCoverage) {
    auto out = render("effect-script 1\nsize 4 4\nrect 1 1 9 9 0 0 255 128\n", 4, 4);
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 4), (std::vector<uint8_t>{0, 0, 0, 0}));
    // Over transparent, source-over leaves the colour with its own alpha.
    EXPECT_EQ(std::vector<uint8_t>(&out[(1 * 4 + 1) * 4], &out[(1 * 4 + 1) * 4] + 4),
              (std::vector<uint8_t>{255, 0, 0, 128}));
    EXPECT_EQ(out[(3 * 4 + 3) * 4 + 3], 128);  // clipped, not refused

    // Disc centre (3, 3), radius 3, measured to pixel centres: (3.5, 3.5) at 0.71
    // in; (0.5, 0.5) at 3.54 out; (5.5, 5.5) at 3.54 out; (0.5, 1.5) at 2.92 in.
    out = render("effect-script 1\nsize 6 6\nfill 0 0 0 255\ndisc 3 3 3 0 255 255 255 255\n", 6, 6);
    EXPECT_EQ(px(out, 6, 3, 3)[0], 255);
    EXPECT_EQ(px(out, 6, 0, 0)[0], 0);
    EXPECT_EQ(px(out, 6, 5, 5)[0], 0);
    EXPECT_EQ(px(out, 6, 0, 1)[0], 255);
    // Colours outside 0..255 are clamped, also in blends and ramps with extreme ends.
    out = render("effect-script 1\nsize 2 1\nfill 0 0 0 0\nrect 0 0 1 1 300 -5 20 1000\n"
                 "gradient 0 0 0 0 -2147483648 2147483647 0 0 2147483647 -2147483648 0 0\n"
                 "rect 1 0 1 1 300 -5 20 1000\n", 2, 1);
    EXPECT_EQ(std::vector<uint8_t>(out.begin() + 4, out.end()), (std::vector<uint8_t>{20, 0, 255, 255}));
}

TEST(Scripts, SamplesRender) {
    const std::string dir = MORVANE_TEST_DATA;
    int32_t w = 0, h = 0;
    // Paper grain: grey, not flat, opaque.
    ASSERT_TRUE(scriptImageSize((dir + "/paper_grain.mfx").c_str(), &w, &h));
    ASSERT_EQ(w, 256);
    ASSERT_EQ(h, 256);
    std::vector<uint8_t> paper(static_cast<size_t>(w) * h * 4);
    ASSERT_TRUE(renderScript((dir + "/paper_grain.mfx").c_str(), paper.data(), w, h));
    uint8_t lo = 255, hi = 0;
    for (size_t i = 0; i < paper.size(); i += 4) {
        ASSERT_EQ(paper[i], paper[i + 1]);
        ASSERT_EQ(paper[i], paper[i + 2]);
        ASSERT_EQ(paper[i + 3], 255);
        lo = std::min(lo, paper[i]);
        hi = std::max(hi, paper[i]);
    }
    EXPECT_LT(lo, 200);
    EXPECT_GT(hi, 200);

    // Soft round brush: white centre, black corner, a rim in between.
    ASSERT_TRUE(scriptImageSize((dir + "/brush_soft_round.mfx").c_str(), &w, &h));
    std::vector<uint8_t> round(static_cast<size_t>(w) * h * 4);
    ASSERT_TRUE(renderScript((dir + "/brush_soft_round.mfx").c_str(), round.data(), w, h));
    EXPECT_EQ(px(round, w, 32, 32)[0], 255);
    EXPECT_EQ(px(round, w, 0, 0)[0], 0);
    const uint8_t rim = px(round, w, 32, 5)[0];  // distance 26.5 in a rim from 18 to 30
    EXPECT_GT(rim, 0);
    EXPECT_LT(rim, 255);

    // Slanted bar: the bar's left end has turned down-left; where it was is empty.
    ASSERT_TRUE(scriptImageSize((dir + "/brush_slanted_bar.mfx").c_str(), &w, &h));
    std::vector<uint8_t> bar(static_cast<size_t>(w) * h * 4);
    ASSERT_TRUE(renderScript((dir + "/brush_slanted_bar.mfx").c_str(), bar.data(), w, h));
    EXPECT_EQ(px(bar, w, 32, 32)[3], 255);
    EXPECT_EQ(px(bar, w, 20, 43)[3], 255);
    EXPECT_EQ(px(bar, w, 9, 31)[3], 0);
}

TEST(Scripts, WhatIsNotAScript) {
    const char* bad[] = {
        "",                                              // empty
        "# only a comment\n",                            // no header
        "size 4 4\nfill 0 0 0 0\n",                      // header missing
        "effect-script 2\nsize 4 4\n",                   // unknown version
        "effect-script 1\n",                             // no size
        "effect-script 1\nsize 0 4\n",                   // empty picture
        "effect-script 1\nsize 9000 4\n",                // above the side limit
        "effect-script 1\nsize 4 4\nsparkle 1\n",        // unknown command
        "effect-script 1\nsize 4 4\nfill 1 2 3\n",       // wrong argument count
        "effect-script 1\nsize 4 4\nfill 1 2 3 x\n",     // not a number
        "effect-script 1\nsize 4 4\nfill 1 2 3 99999999999\n",  // beyond 32 bits
        "effect-script 1\nsize 4 4\neffect\n",           // effect without a number
        "\x89PNG\r\n\x1a\n",                             // a picture file
    };
    for (const char* text : bad) {
        const std::string path = tempScript("bad.mfx", text);
        int32_t w = -1, h = -1;
        EXPECT_FALSE(scriptImageSize(path.c_str(), &w, &h)) << text;
        EXPECT_EQ(w, -1);
        std::vector<uint8_t> buf(16, 0xEE);
        EXPECT_FALSE(renderScript(path.c_str(), buf.data(), 2, 2)) << text;
        EXPECT_EQ(buf, std::vector<uint8_t>(16, 0xEE));
        std::remove(path.c_str());
    }
    int32_t w, h;
    EXPECT_FALSE(scriptImageSize("/nonexistent/x.mfx", &w, &h));
    EXPECT_FALSE(scriptImageSize(nullptr, &w, &h));

    // Parses, but a numbered effect that is refused fails the render; a size
    // other than the script's is refused too; the buffer stays as it was.
    const std::string refused = tempScript("refused.mfx", "effect-script 1\nsize 2 2\nfill 1 1 1 1\neffect 77 1\n");
    std::vector<uint8_t> buf(16, 0xEE);
    EXPECT_TRUE(scriptImageSize(refused.c_str(), &w, &h));
    EXPECT_FALSE(renderScript(refused.c_str(), buf.data(), 2, 2));
    const std::string good = tempScript("good.mfx", "effect-script 1\nsize 2 2\nfill 1 1 1 1\n");
    EXPECT_FALSE(renderScript(good.c_str(), buf.data(), 2, 3));
    EXPECT_FALSE(renderScript(good.c_str(), nullptr, 2, 2));
    EXPECT_EQ(buf, std::vector<uint8_t>(16, 0xEE));
    std::remove(refused.c_str());
    std::remove(good.c_str());
}

}  // namespace
