// Brush shapes: the round shape, shapes from pictures and their cache, paper
// grit textures cut from pictures, and blobs.
#include <gtest/gtest.h>
#include <morvane/morvane.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/engine_state.h"
#include "platform/imaging/imaging.h"

using mrv::engine;

namespace {

mrv::BrushState& brush() { return engine().brush; }

constexpr int32_t kMax = 16;  // brushMaxSize of the fixtures: the shape's row distance

class ShapeTest : public ::testing::Test {
protected:
    void SetUp() override { MRV_CreateImage(nullptr, 4, 4, kMax, 0); }
    void TearDown() override {
        MRV_DeleteImage();
        for (const std::string& f : files_) std::remove(f.c_str());
    }
    // Round shape through MRV_SetTool with no paths.
    void roundTool(int32_t size, int32_t softness, int32_t hollow, float strength) {
        MRV_SetSize(size);
        MRV_ToolRecord t{};
        t.shapeStrength = strength;
        t.shapeSoftness = softness;
        t.shapeHollow = hollow;
        t.paperPath = "";
        t.shapePath = "";
        MRV_SetTool(t);
    }
    uint16_t at(int r, int c) const { return brush().brushShape[r * kMax + c]; }
    std::string tempPath(const char* name) {
        std::string p = ::testing::TempDir() + "mrv_shape_" + std::to_string(getpid()) + "_" + name;
        files_.push_back(p);
        return p;
    }
    // A grey RGBA PNG whose pixel (x, y) has value grey(x, y) in all three channels.
    template <class F>
    std::string greyPng(const char* name, int32_t w, int32_t h, F grey) {
        std::vector<uint8_t> px(static_cast<size_t>(w) * h * 4);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint8_t* p = &px[(static_cast<size_t>(y) * w + x) * 4];
                p[0] = p[1] = p[2] = static_cast<uint8_t>(grey(x, y));
                p[3] = 255;
            }
        std::string path = tempPath(name);
        EXPECT_TRUE(mrv::platform::writePng(path.c_str(), px.data(), w, h, 4, 0));
        return path;
    }
    std::string textFile(const char* name, const char* text) {
        std::string path = tempPath(name);
        FILE* f = std::fopen(path.c_str(), "wb");
        EXPECT_NE(f, nullptr);
        if (f) {
            std::fputs(text, f);
            std::fclose(f);
        }
        return path;
    }
    std::vector<std::string> files_;
};

// ---- Round shape

TEST_F(ShapeTest, HardRoundShapesCutTheirCorners) {
    struct Case {
        int32_t size;
        std::vector<std::pair<int, int>> empty;  // (row, column) left at 0
    };
    const Case cases[] = {
        {1, {}},
        {4, {}},  // (0,0) lies at distance 2.83, truncated 2 = R
        {5, {}},  // corners at 2.83, truncated 2, within R = 2.5
        {6, {{0, 0}}},  // even: centred at 3, the top-left corner is cut harder
        {7, {{0, 0}, {0, 6}, {6, 0}, {6, 6}}},  // corners at 4.24, truncated 4 > 3.5
        {8, {{0, 0}, {0, 1}, {1, 0}, {0, 7}, {7, 0}}},
    };
    for (const Case& c : cases) {
        roundTool(c.size, 0, 0, 1.0f);
        for (int r = 0; r < c.size; ++r) {
            for (int col = 0; col < c.size; ++col) {
                bool cut = false;
                for (auto e : c.empty) cut |= e.first == r && e.second == col;
                ASSERT_EQ(at(r, col), cut ? 0 : 65535) << "size " << c.size << " at " << r << "," << col;
            }
        }
        // Nothing is written outside the size x size square.
        for (int i = 0; i < kMax * kMax; ++i) {
            const bool outside = i / kMax >= c.size || i % kMax >= c.size;
            ASSERT_TRUE(!outside || brush().brushShape[i] == 0) << c.size << " index " << i;
        }
    }
}

TEST_F(ShapeTest, SoftAndHollowRims) {
    struct Case {
        int32_t softness, hollow;
        uint16_t middleRow[9];
    };
    const Case cases[] = {
        // S = R = 4.5: V = 65535 * (4.5 - D) / 4.5 truncated.
        {255, 0, {7281, 21845, 36408, 50971, 65535, 50971, 36408, 21845, 7281}},
        {255, 1, {58254, 43690, 29127, 14564, 0, 14564, 29127, 43690, 58254}},
        // S = 4.5 * 128 / 255, I = 2.24: only D = 3 and 4 lie on the rim.
        {128, 0, {14506, 43519, 65535, 65535, 65535, 65535, 65535, 43519, 14506}},
        {0, 1, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        roundTool(9, c.softness, c.hollow, 1.0f);
        for (int col = 0; col < 9; ++col)
            EXPECT_EQ(at(4, col), c.middleRow[col]) << "softness " << c.softness << " hollow " << c.hollow << " col " << col;
    }
    // Hollow leaves the outside of the circle empty.
    roundTool(9, 255, 1, 1.0f);
    EXPECT_EQ(at(0, 0), 0);
}

TEST_F(ShapeTest, StrengthScalesAndSaturates) {
    const struct {
        float strength;
        uint16_t full;
    } cases[] = {{0.5f, 32767}, {1.0f, 65535}, {2.0f, 65535}, {0.0f, 0}, {-1.0f, 0}};
    for (const auto& c : cases) {
        roundTool(5, 0, 0, c.strength);
        for (int r = 0; r < 5; ++r)
            for (int col = 0; col < 5; ++col) ASSERT_EQ(at(r, col), c.full) << c.strength;
    }
    roundTool(9, 255, 0, 0.5f);
    EXPECT_EQ(at(4, 0), 3640);  // 7281 * 0.5 truncated
}

TEST_F(ShapeTest, ShapeBuildersRefuseWithoutACanvas) {
    MRV_DeleteImage();
    MRV_SetLastError("");
    MRV_SetBrushShape("", 0);
    EXPECT_STREQ(MRV_GetLastError(), "SetBrushShape Excpt");
    MRV_SetLastError("");
    MRV_SetBrushShape_ORIGINAL(nullptr, 0);
    EXPECT_STREQ(MRV_GetLastError(), "SetBrushShape_ORIGINAL Excpt");
    MRV_CreateImage(nullptr, 4, 4, kMax, 0);
}

// ---- Blobs

TEST_F(ShapeTest, BlobFromImage) {
    ASSERT_EQ(MRV_CreateLayer(2, 4, 4), 1);
    struct Case {
        int32_t mode;
        uint16_t in[4], out[4];
    };
    const Case cases[] = {
        {0, {65535, 65535, 65535, 65535}, {32767, 32767, 32767, 65485}},
        {0, {1000, 2000, 3000, 0}, {32767, 32767, 32767, 0}},  // transparent: alpha kept
        {1, {0, 0, 0, 65535}, {32767, 32767, 32767, 10239}},
        // L = 16384: C + (65535 - C) * 16383 / 65534; alpha 16384 * 0.843 + 10239.
        {1, {16384, 0, 32768, 65535}, {28671, 16383, 40959, 24050}},
        // L = 50000: C - C * 17233 / 65534; alpha exactly at 8191 is kept.
        {1, {60000, 50000, 40000, 8191}, {44223, 36852, 29482, 8191}},
        {1, {60000, 50000, 40000, 8192}, {44223, 36852, 29482, 52389}},
        {7, {0, 0, 0, 65535}, {32767, 32767, 32767, 10239}},  // any mode but 1 is plain grey
    };
    uint16_t* px = engine().core.layers[2].pixels;
    for (const Case& c : cases) {
        for (int i = 0; i < 16; ++i) std::memcpy(px + i * 4, c.in, sizeof c.in);
        MRV_CreateBlobFromImage(2, c.mode);
        for (int i = 0; i < 16; ++i)
            for (int ch = 0; ch < 4; ++ch)
                ASSERT_EQ(px[i * 4 + ch], c.out[ch]) << "mode " << c.mode << " in " << c.in[0] << " ch " << ch;
    }
    // Bad numbers and empty slots change nothing and do not fail.
    MRV_SetLastError("");
    MRV_CreateBlobFromImage(-1, 0);
    MRV_CreateBlobFromImage(64, 0);
    MRV_CreateBlobFromImage(5, 0);
    EXPECT_STREQ(MRV_GetLastError(), "");
}

// ---- Shapes from pictures

TEST_F(ShapeTest, ShapeFromAPngIsItsGreyTimes256) {
    const std::string path = greyPng("ramp.png", 4, 4, [](int x, int y) { return (y * 4 + x) * 17; });
    MRV_SetSize(4);
    brush().shapeStrength = 1.0f;
    brush().gritInterval = 9;
    MRV_SetBrushShape(path.c_str(), 0);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(at(r, c), (r * 4 + c) * 17 * 256) << r << "," << c;
    EXPECT_EQ(at(3, 3), 65280);  // grey 255 is 65280, not 65535
    EXPECT_EQ(brush().gritCountdown, 9);
    EXPECT_STREQ(brush().shapeSourcePath, path.c_str());
    EXPECT_EQ(brush().shapeSourceWidth, 4);
    EXPECT_EQ(brush().shapeSourceHeight, 4);

    brush().shapeStrength = 0.5f;
    MRV_SetBrushShape(path.c_str(), 0);
    EXPECT_EQ(at(1, 1), 5 * 17 * 128);

    // The older builder reads image files the same way.
    brush().shapeStrength = 1.0f;
    MRV_SetBrushShape_ORIGINAL(path.c_str(), 0);
    EXPECT_EQ(at(2, 1), 9 * 17 * 256);
}

TEST_F(ShapeTest, PictureIsCachedPerPathAndAngle) {
    const std::string path = greyPng("flat.png", 4, 4, [](int, int) { return 100; });
    MRV_SetSize(4);
    brush().shapeStrength = 1.0f;
    MRV_SetBrushShape(path.c_str(), 0);
    ASSERT_EQ(at(0, 0), 25600);
    const uint8_t* cached = brush().shapeSourcePicture;
    ASSERT_NE(cached, nullptr);

    // The file is gone: the same path and angle still build from the cache.
    std::remove(path.c_str());
    MRV_SetBrushShape(path.c_str(), 0);
    EXPECT_EQ(at(0, 0), 25600);
    EXPECT_EQ(brush().shapeSourcePicture, cached);

    // A new angle reloads: the file cannot be read, so the round shape is
    // built (size 4: every position set) and the cache is emptied.
    MRV_SetBrushShape(path.c_str(), 90);
    EXPECT_EQ(at(0, 0), 65535);
    EXPECT_EQ(brush().shapeSourcePicture, nullptr);
    EXPECT_EQ(brush().shapeSourceWidth, 0);
}

TEST_F(ShapeTest, CanvasResizeEmptiesTheCache) {
    const std::string path = greyPng("resized.png", 4, 4, [](int, int) { return 100; });
    MRV_SetSize(4);
    brush().shapeStrength = 1.0f;
    MRV_SetBrushShape(path.c_str(), 0);
    ASSERT_EQ(at(0, 0), 25600);
    std::remove(path.c_str());
    MRV_NewSize(nullptr, 4, 4, kMax, 0);
    // The picture went with the old buffers: the same path and angle must
    // read the file again, which is gone, so the round shape is built.
    MRV_SetBrushShape(path.c_str(), 0);
    EXPECT_EQ(at(0, 0), 65535);
    EXPECT_EQ(brush().shapeSourcePicture, nullptr);
}

TEST_F(ShapeTest, PictureShapeBeforeAnySizeWritesNothing) {
    const std::string path = greyPng("sizeless.png", 4, 4, [](int, int) { return 100; });
    brush().shapeStrength = 1.0f;
    MRV_SetLastError("");
    MRV_SetBrushShape(path.c_str(), 0);  // brushSize is still 0
    for (int i = 0; i < kMax * kMax; ++i) ASSERT_EQ(brush().brushShape[i], 0) << i;
    EXPECT_STREQ(MRV_GetLastError(), "");
}

TEST_F(ShapeTest, UnusableShapeFilesGiveTheRoundShape) {
    const std::string text = tempPath("not_an_image.png");
    FILE* f = std::fopen(text.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("this is not a picture\n", f);
    std::fclose(f);
    const std::string missing = tempPath("missing.png");
    MRV_SetSize(7);
    brush().shapeStrength = 1.0f;
    MRV_SetLastError("");
    for (const std::string& p : {text, missing}) {
        MRV_SetBrushShape(p.c_str(), 0);
        EXPECT_EQ(at(3, 3), 65535) << p;
        EXPECT_EQ(at(0, 0), 0) << p;
        MRV_SetBrushShape_ORIGINAL(p.c_str(), 0);
        EXPECT_EQ(at(3, 3), 65535) << p;
    }
    EXPECT_STREQ(MRV_GetLastError(), "");
}

TEST_F(ShapeTest, NarrowPictureIsEnlargedAndWidePictureShrunk) {
    // Uniform pictures keep their grey whichever way they are resampled; the
    // whole brushSize square is written in both directions.
    const std::string narrow = greyPng("narrow.png", 2, 30, [](int, int) { return 200; });
    const std::string wide = greyPng("wide.png", 30, 2, [](int, int) { return 60; });
    MRV_SetSize(8);
    brush().shapeStrength = 1.0f;
    MRV_SetBrushShape(narrow.c_str(), 0);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(at(i / 8, i % 8), 200 * 256) << i;
    MRV_SetBrushShape(wide.c_str(), 0);
    for (int i = 0; i < 64; ++i) ASSERT_EQ(at(i / 8, i % 8), 60 * 256) << i;
}

TEST_F(ShapeTest, ShapeBlurNeverChangesTheCachedPicture) {
    const std::string path = greyPng("blurred.png", 6, 6, [](int x, int) { return x < 3 ? 255 : 0; });
    MRV_SetSize(6);
    brush().shapeStrength = 1.0f;
    MRV_SetShapeBlur(50);
    MRV_SetBrushShape(path.c_str(), 0);
    ASSERT_NE(brush().shapeSourcePicture, nullptr);
    // The blur works on a copy that is resampled and dropped: the cache keeps
    // the picture as read, so a later build with another blur starts afresh.
    for (int i = 0; i < 36; ++i) {
        const uint8_t* p = brush().shapeSourcePicture + i * 4;
        ASSERT_EQ(p[0], (i % 6) < 3 ? 255 : 0) << i;
    }
    EXPECT_GT(at(0, 0), 0);  // still a picture shape, not the round one
    EXPECT_EQ(at(5, 5), 0);
}

TEST_F(ShapeTest, ShapeFromAnEffectScript) {
    // Columns 0 and 1 white, the rest black; brushSize 4 keeps the size.
    const std::string script = textFile("half.mfx",
                                        "effect-script 1\nsize 4 4\nfill 0 0 0 255\nrect 0 0 2 4 255 255 255 255\n");
    MRV_SetSize(4);
    brush().shapeStrength = 1.0f;
    // The older builder has no script route: the text is not an image file,
    // so it builds the round shape (size 4: every position set).
    MRV_SetBrushShape_ORIGINAL(script.c_str(), 0);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(at(i / 4, i % 4), 65535) << i;

    MRV_SetBrushShape(script.c_str(), 0);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(at(r, c), c < 2 ? 65280 : 0) << r << "," << c;

    // Both builders share the picture cache: the same path and angle reuse
    // the rendered script even in the older builder.
    MRV_SetBrushShape_ORIGINAL(script.c_str(), 0);
    EXPECT_EQ(at(0, 0), 65280);
    EXPECT_EQ(at(0, 3), 0);
}

TEST_F(ShapeTest, AngleRotatesTheScriptPicture) {
    // A vertical bar over columns 3 and 4 of 8 turns into a horizontal bar
    // over rows 3 and 4 after a quarter turn about the centre.
    const std::string script = textFile("bar.mfx",
                                        "effect-script 1\nsize 8 8\nfill 0 0 0 255\nrect 3 0 2 8 255 255 255 255\n");
    MRV_SetSize(8);
    brush().shapeStrength = 1.0f;
    MRV_SetBrushShape(script.c_str(), 0);
    EXPECT_EQ(at(0, 3), 65280);
    EXPECT_EQ(at(3, 0), 0);
    MRV_SetBrushShape(script.c_str(), 90);
    EXPECT_EQ(brush().shapeSourceAngle, 90);
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) EXPECT_EQ(at(r, c), (r == 3 || r == 4) ? 65280 : 0) << r << "," << c;
}

TEST_F(ShapeTest, SampleSoftRoundScriptShrunkToTheBrush) {
    // 64 x 64 white disc of radius 30 on black, shrunk by area averaging to 16.
    MRV_SetSize(16);
    brush().shapeStrength = 1.0f;
    MRV_SetBrushShape(MORVANE_TEST_DATA "/brush_soft_round.mfx", 0);
    EXPECT_EQ(at(0, 0), 0);
    EXPECT_EQ(at(15, 15), 0);
    EXPECT_EQ(at(7, 7), 65280);  // source 28..31 square, well inside the hard core
    EXPECT_EQ(at(8, 8), 65280);
    EXPECT_GT(at(7, 1), 0);  // the soft rim
    EXPECT_LT(at(7, 1), 65280);
}

// ---- Paper grit

struct Lcg {
    uint32_t state;
    int32_t next() {
        state = state * 214013u + 2531011u;
        return static_cast<int32_t>((state >> 16) & 0x7FFF);
    }
};

TEST(PaperGrit, WindowsOfThePaperGreyFillTheTextures) {
    const int32_t w = 50, h = 60;
    auto grey = [](int x, int y) { return (3 * x + 2 * y) % 256; };
    std::vector<uint8_t> px(w * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &px[(y * w + x) * 4];
            p[0] = p[1] = p[2] = static_cast<uint8_t>(grey(x, y));
            p[3] = 255;
        }
    const std::string path = ::testing::TempDir() + "mrv_paper_" + std::to_string(getpid()) + ".png";
    ASSERT_TRUE(mrv::platform::writePng(path.c_str(), px.data(), w, h, 4, 0));

    // brushSize 16 gives E = 41. With brushMaxSize 64 the whole 41 x 41
    // window lands in the texture; with brushMaxSize 16 it is clipped to
    // 16 x 16 (no spill into the following rows, unlike the random grit).
    for (const int32_t bm : {64, 16}) {
        MRV_SetRandomSeed(4242);
        MRV_CreateImage(nullptr, 4, 4, bm, 0);
        MRV_SetSize(16);
        MRV_ToolRecord t{};
        t.shapeStrength = 1.0f;
        t.gritInterval = 5;
        t.paperPath = path.c_str();
        t.shapePath = "";
        MRV_SetTool(t);

        // No random grit (cell size 0), so the window draws follow the seed
        // directly: x = rand() mod (50 - 41), y = rand() mod (60 - 41).
        const int visible = bm < 41 ? bm : 41;
        Lcg lcg{4242};
        for (int k = 0; k < 20; ++k) {
            const int x = lcg.next() % 9;
            const int y = lcg.next() % 19;
            const uint8_t* tex = brush().gritTextures[k];
            for (int i = 0; i < (bm + 25) * (bm + 25); ++i) {
                const int r = i / bm, c = i % bm;
                const int expected = (r < visible && c < visible) ? grey(x + c, y + r) : 255;
                ASSERT_EQ(tex[i], expected) << "bm " << bm << " texture " << k << " at " << r << "," << c;
            }
        }
        EXPECT_EQ(brush().gritCursor, brush().gritTextures[19]);
        EXPECT_EQ(brush().gritCountdown, 5);
        MRV_DeleteImage();
    }
    std::remove(path.c_str());
}

TEST(PaperGrit, ScriptPaperIsTiledOver600Square) {
    // An 8 x 8 tile whose column 0 is grey 80, the rest black, tiled over
    // 600 x 600: paper column x is 80 when x mod 8 = 0.
    const std::string path = ::testing::TempDir() + "mrv_paper_script_" + std::to_string(getpid()) + ".mfx";
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("effect-script 1\nsize 8 8\nfill 0 0 0 255\nrect 0 0 1 8 80 80 80 255\n", f);
    std::fclose(f);
    MRV_SetRandomSeed(31);
    MRV_CreateImage(nullptr, 4, 4, 64, 0);
    MRV_SetSize(16);  // E = 41
    MRV_ToolRecord t{};
    t.shapeStrength = 1.0f;
    t.paperPath = path.c_str();
    t.shapePath = "";
    MRV_SetTool(t);
    std::remove(path.c_str());

    Lcg lcg{31};
    for (int k = 0; k < 20; ++k) {
        const int x = lcg.next() % (600 - 41);
        lcg.next();  // y: every row of the tiled paper is the same
        const uint8_t* tex = brush().gritTextures[k];
        for (int r = 0; r < 41; ++r)
            for (int c = 0; c < 41; ++c)
                ASSERT_EQ(tex[r * 64 + c], (x + c) % 8 == 0 ? 80 : 0) << "texture " << k << " at " << r << "," << c;
        ASSERT_EQ(tex[41], 255);
    }
    MRV_DeleteImage();
}

TEST(PaperGrit, PaperNoLargerThanTheBrushIsIgnored) {
    MRV_SetRandomSeed(99);
    MRV_CreateImage(nullptr, 4, 4, 64, 0);
    MRV_SetSize(16);  // E = 41: a 41-pixel-wide paper offers no window
    std::vector<uint8_t> px(41 * 100 * 4, 0);
    const std::string path = ::testing::TempDir() + "mrv_small_paper_" + std::to_string(getpid()) + ".png";
    ASSERT_TRUE(mrv::platform::writePng(path.c_str(), px.data(), 41, 100, 4, 0));

    MRV_ToolRecord t{};
    t.shapeStrength = 1.0f;
    t.gritCellSize = 4;
    t.gritCellThreshold = 128;
    t.gritPixelThreshold = 128;
    t.paperPath = "";
    t.shapePath = "";
    MRV_SetTool(t);
    const size_t bytes = 89 * 89;
    std::vector<uint8_t> randomGrit(brush().gritTextures[7], brush().gritTextures[7] + bytes);

    t.paperPath = path.c_str();
    MRV_SetLastError("");
    MRV_SetTool(t);
    std::remove(path.c_str());
    EXPECT_STREQ(MRV_GetLastError(), "");
    EXPECT_EQ(std::vector<uint8_t>(brush().gritTextures[7], brush().gritTextures[7] + bytes), randomGrit);
    MRV_DeleteImage();
}

}  // namespace
