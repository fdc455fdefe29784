// Merges, flatten, merged sampling and the buffer adjustments.
#include "compositing/merges.h"
#include "fixture.h"

using namespace mrvtest;

namespace {

std::vector<uint16_t> merged(int32_t x, int32_t y, int32_t w, int32_t h) {
    std::vector<uint16_t> buf(static_cast<size_t>(w) * h * 4, 0x5555);
    MRV_MergeRect(buf.data(), x, y, w, h);
    return buf;
}

Px pxOf(const std::vector<uint16_t>& buf, size_t i) { return {buf[i * 4], buf[i * 4 + 1], buf[i * 4 + 2], buf[i * 4 + 3]}; }

TEST(MergeLayer, BlendsWithModeOpacityAndMask) {
    makeCanvas(4, 4);
    fillLayer(1, {65280, 65280, 65280, 65535});
    addLayer(2, "Multiply");
    fillLayer(2, {65280, 32640, 0, 65535});
    MRV_MergeLayer(2, 1);
    EXPECT_EQ(getPixel(1, 0, 0), (Px{65280, 32640, 0, 65535}));
    // Opacity 50 % -> 128, sa = (129 * 65535) >> 8 = 33023; over a
    // transparent layer the source is copied with that alpha.
    addLayer(3, "Normal", 50);
    fillLayer(3, {100, 200, 300, 65535});
    addLayer(4, "Normal");
    MRV_MergeLayer(3, 4);
    EXPECT_EQ(getPixel(4, 1, 1), (Px{100, 200, 300, 33023}));
    // The visible Layer Mask right above the source masks it.
    addLayer(5, "Normal");
    fillLayer(5, {7, 8, 9, 65535});
    addLayer(6, "Layer Mask");
    fillLayer(6, {32768, 32768, 32768, 65535});
    addLayer(7, "Normal");
    MRV_MergeLayer(5, 7);
    EXPECT_EQ(getPixel(7, 2, 2), (Px{7, 8, 9, 32767}));
}

TEST(MergeLayer, SameAlphaModeCopies) {
    makeCanvas(2, 2);
    MRV_SetAlphaLayerOpacity(50);  // alo = 32767
    addLayer(2, "Alpha Normal");
    fillLayer(2, {1, 2, 3, 65535});
    addLayer(3, "Alpha Normal");
    fillLayer(3, {9, 8, 7, 1000});
    MRV_MergeLayer(3, 2);  // sameMode 1: covered pixels copy
    EXPECT_EQ(getPixel(2, 0, 0), (Px{9, 8, 7, 1000}));
    addLayer(4, "Normal");
    fillLayer(4, {1, 2, 3, 0});
    MRV_MergeLayer(3, 4);  // sameMode 0: sa -> alo over a transparent pixel
    EXPECT_EQ(getPixel(4, 0, 0), (Px{9, 8, 7, 32767}));
}

TEST(MergeLayer, BadOrEmptyLayersAreNoOps) {
    makeCanvas(4, 4);
    addLayer(2, "Normal");
    fillLayer(2, {1, 1, 1, 65535});
    MRV_MergeLayer(2, 9);  // empty destination
    MRV_MergeLayer(9, 2);  // empty source
    MRV_MergeLayer(-1, 2);
    MRV_MergeLayer(2, 64);
    EXPECT_EQ(getPixel(2, 3, 3), (Px{1, 1, 1, 65535}));
    EXPECT_EQ(getPixel(1, 3, 3), (Px{65535, 65535, 65535, 65535}));
    // A layer smaller than the canvas merges over the area both hold.
    ASSERT_EQ(MRV_CreateLayer(3, 2, 1), 1);
    MRV_SetLayerOptions(3, 1, 0, 100, "Normal");
    fillLayer(3, {5, 5, 5, 65535});
    MRV_MergeLayer(3, 2);
    EXPECT_EQ(getPixel(2, 1, 0), (Px{5, 5, 5, 65535}));
    EXPECT_EQ(getPixel(2, 2, 0), (Px{1, 1, 1, 65535}));
    EXPECT_EQ(getPixel(2, 0, 1), (Px{1, 1, 1, 65535}));
    fillLayer(2, {1, 1, 1, 65535});
    MRV_MergeLayer(2, 3);
    EXPECT_EQ(getPixel(3, 1, 0), (Px{1, 1, 1, 65535}));
}

TEST(MergeLayerIntoRect, ReadsOnlyInsideTheLayer) {
    makeCanvas(4, 4);
    addLayer(2, "Normal");
    fillLayer(2, {10, 20, 30, 65535});
    std::vector<uint16_t> buf(3 * 2 * 4, 0);
    // The rectangle (3, 3, 3, 2) sticks out of the 4 x 4 layer: only its
    // top-left pixel is inside.
    MRV_MergeLayerIntoRect(2, buf.data(), 3, 3, 3, 2);
    EXPECT_EQ(pxOf(buf, 0), (Px{10, 20, 30, 65535}));
    for (size_t i = 1; i < 6; ++i) EXPECT_EQ(pxOf(buf, i), (Px{0, 0, 0, 0})) << i;
    MRV_MergeLayerIntoRect(2, nullptr, 0, 0, 4, 4);
    MRV_MergeLayerIntoRect(2, buf.data(), 0, 0, -1, 4);
    std::vector<uint16_t> whole(4 * 4 * 4, 0);
    MRV_MergeLayerInto(2, whole.data());
    EXPECT_EQ(pxOf(whole, 15), (Px{10, 20, 30, 65535}));
}

TEST(MergePaintLayer, BlendsTouchedRectangleThenClears) {
    makeCanvas(4, 4);
    addLayer(2, "Normal");
    MRV_SetLayer(2);
    MRV_CreatePaintLayer(100, "Normal");
    mrv::LayerSlot& paint = mrv::engine().core.paintLayer;
    for (int i = 0; i < 16; ++i) {
        paint.pixels[i * 4 + 1] = 65280;
        paint.pixels[i * 4 + 3] = 65535;
    }
    // Empty touched rectangle (after a clear): nothing is merged, but the
    // PaintLayer is cleared again.
    MRV_MergePaintLayer(2);
    EXPECT_EQ(getPixel(2, 1, 1), (Px{0, 0, 0, 0}));
    EXPECT_EQ(paint.pixels[1 * 4 + 3], 0);
    // A stroke inside (1, 1)..(3, 2), exclusive right and bottom.
    for (int i = 0; i < 16; ++i) {
        paint.pixels[i * 4 + 1] = 65280;
        paint.pixels[i * 4 + 3] = 65535;
    }
    paint.touchedLeft = 1;
    paint.touchedTop = 1;
    paint.touchedRight = 3;
    paint.touchedBottom = 2;
    // A stroke is not part of the flattened picture before it is merged.
    EXPECT_EQ(MRV_GetColorAtMerged(1, 1), 0xFFFFFFFFu);
    MRV_MergePaintLayer(99);  // not a layer: the stroke is kept
    EXPECT_EQ(paint.pixels[(1 * 4 + 1) * 4 + 3], 65535);
    MRV_MergePaintLayer(2);
    EXPECT_EQ(getPixel(2, 1, 1), (Px{0, 65280, 0, 65535}));
    EXPECT_EQ(getPixel(2, 2, 1), (Px{0, 65280, 0, 65535}));
    EXPECT_EQ(getPixel(2, 3, 1), (Px{0, 0, 0, 0}));
    EXPECT_EQ(getPixel(2, 1, 2), (Px{0, 0, 0, 0}));
    EXPECT_EQ(paint.pixels[(1 * 4 + 1) * 4 + 3], 0);
    EXPECT_EQ(paint.touchedRight, 0);
    EXPECT_EQ(MRV_GetColorAtMerged(1, 1), 0xFF00FF00u);
}

TEST(Flatten, BackgroundAndVisibilityRules) {
    makeCanvas(4, 4);
    // White opaque background alone: 65535 everywhere (the view shows it white too).
    for (uint16_t v : merged(0, 0, 4, 4)) ASSERT_EQ(v, 65535);
    // A half-transparent background keeps its alpha (the view would force it opaque).
    fillLayer(1, {32640, 32640, 32640, 32768});
    EXPECT_EQ(pxOf(merged(1, 1, 1, 1), 0), (Px{32640, 32640, 32640, 32768}));
    // Its opacity and mode are not applied.
    MRV_SetLayerOptions(1, 1, 0, 10, "Multiply");
    EXPECT_EQ(pxOf(merged(1, 1, 1, 1), 0), (Px{32640, 32640, 32640, 32768}));
    // Visible flag 2 hides the background here, but layers 2..63 with 2 count.
    MRV_SetLayerOptions(1, 2, 0, 100, "Normal");
    addLayer(3, "Normal", 100, 2);
    setPixel(3, 0, 0, {1, 2, 3, 65535});
    const std::vector<uint16_t> m = merged(0, 0, 2, 1);
    EXPECT_EQ(pxOf(m, 0), (Px{1, 2, 3, 65535}));
    EXPECT_EQ(pxOf(m, 1), (Px{0, 0, 0, 0}));
    // Nothing visible at all: transparent black, and a merged colour of 0.
    MRV_SetLayerOptions(1, 0, 0, 100, "Normal");
    MRV_SetLayerOptions(3, 0, 0, 100, "Normal");
    for (uint16_t v : merged(0, 0, 4, 4)) ASSERT_EQ(v, 0);
    EXPECT_EQ(MRV_GetColorAtMerged(2, 2), 0u);
}

TEST(Flatten, ModesMasksAndTexturize3GoThroughTheKernel) {
    makeCanvas(2, 1);
    fillLayer(1, {65280, 65280, 65280, 65535});
    addLayer(2, "Multiply");
    fillLayer(2, {65280, 32640, 0, 65535});
    addLayer(3, "Layer Mask");
    fillLayer(3, {0, 0, 0, 65535});
    setPixel(3, 1, 0, {0, 0, 0, 0});
    addLayer(4, "Texturize3");
    fillLayer(4, {0, 0, 0, 65535});
    const std::vector<uint16_t> m = merged(0, 0, 2, 1);
    // (0, 0): the black mask removes layer 2; Texturize3 keeps the colour.
    EXPECT_EQ(pxOf(m, 0), (Px{65280, 65280, 65280, 65535}));
    // (1, 0): Multiply applies (Texturize3's truncation may take one off 32640).
    const Px p = pxOf(m, 1);
    EXPECT_EQ(p[0], 65280);
    EXPECT_TRUE(p[1] == 32640 || p[1] == 32639);
    EXPECT_EQ(p[2], 0);
    EXPECT_EQ(p[3], 65535);
}

TEST(Flatten, RectangleOutsideTheCanvasStaysTransparent) {
    makeCanvas(4, 4);
    const std::vector<uint16_t> m = merged(3, -1, 2, 2);
    EXPECT_EQ(pxOf(m, 0), (Px{0, 0, 0, 0}));  // (3, -1)
    EXPECT_EQ(pxOf(m, 1), (Px{0, 0, 0, 0}));  // (4, -1)
    EXPECT_EQ(pxOf(m, 2), (Px{65535, 65535, 65535, 65535}));  // (3, 0)
    EXPECT_EQ(pxOf(m, 3), (Px{0, 0, 0, 0}));  // (4, 0)
    // Outside the canvas the merged colour is white with alpha 0, like MRV_GetColorAt.
    EXPECT_EQ(MRV_GetColorAtMerged(-1, 0), 0xFFFFFFu);
    EXPECT_EQ(MRV_GetColorAtMerged(4, 0), 0xFFFFFFu);
    EXPECT_EQ(MRV_GetColorAtMerged(3, 3), 0xFFFFFFFFu);
    MRV_MergeRect(nullptr, 0, 0, 4, 4);
    MRV_Merge(nullptr);
}

TEST(Flatten, MatchesTheViewWhereBothApply) {
    // Over an opaque background a single layer composites identically in the
    // kernel and in the view's accumulator, so the view shows the flattened
    // pixel finished for display: over the light checker square when the
    // float alpha truncates below 65535, then the high byte.
    makeCanvas(8, 1);
    fillLayer(1, {50000, 20000, 65280, 65535});
    const char* modes[] = {"Normal", "Multiply", "Screen", "Overlay", "Soft Light", "Dodge", "Burn", "Texturize2"};
    for (const char* mode : modes) {
        addLayer(2, mode, 80);
        for (int x = 0; x < 8; ++x) setPixel(2, x, 0, {static_cast<uint16_t>(x * 8000), 30000, 10000, static_cast<uint16_t>(20000 + x * 5000)});
        const std::vector<uint16_t> m = merged(0, 0, 8, 1);
        MRV_SetViewSize(8, 1);
        std::vector<uint8_t> view(8 * 3);
        MRV_Render(view.data(), 24, 0, 0, 8, 1);
        for (int x = 0; x < 8; ++x) {
            const uint32_t A = m[x * 4 + 3];
            auto shown = [A](uint32_t ch) {
                if (A < 65535) ch = (((A * ch) >> 8) + ((0xFFFFu * (65535 - A)) >> 8)) >> 8;
                return ch >> 8;
            };
            EXPECT_EQ(view[x * 3 + 2], shown(m[x * 4])) << mode << " x " << x;
            EXPECT_EQ(view[x * 3 + 1], shown(m[x * 4 + 1])) << mode << " x " << x;
            EXPECT_EQ(view[x * 3], shown(m[x * 4 + 2])) << mode << " x " << x;
        }
    }
}

// ---- Adjustments ---------------------------------------------------------------

TEST(Adjust, Premultiplication8Bit) {
    std::vector<uint8_t> px = {200, 100, 0, 128, 200, 100, 0, 255, 9, 9, 9, 0, 255, 255, 255, 1};
    MRV_AdjustRGBA32PreFilter(px.data(), 2, 2);
    // trunc(128/255 * 201) = 100, * 101 -> 50, * 1 -> 0; a = 1: trunc(256/255) = 1.
    EXPECT_EQ(px, (std::vector<uint8_t>{100, 50, 0, 128, 200, 100, 0, 255, 9, 9, 9, 0, 1, 1, 1, 1}));
    MRV_AdjustRGBA32PostFilter(px.data(), 2, 2);
    // 100 * 255 / 128 = 199.2, 50 * 255 / 128 = 99.6; a = 1: 255.
    EXPECT_EQ(px, (std::vector<uint8_t>{199, 99, 0, 128, 200, 100, 0, 255, 9, 9, 9, 0, 255, 255, 255, 1}));
    MRV_AdjustRGBA32PreFilter(nullptr, 2, 2);
    MRV_AdjustRGBA32PostFilter(px.data(), -1, 2);
}

TEST(Adjust, ForAlphaCompIncludesOpaquePixels) {
    makeCanvas(2, 1);
    std::vector<uint8_t> px = {100, 50, 0, 128, 200, 100, 0, 255};
    MRV_AdjustRGBA32ForAlphaComp(0x100, px.data());  // low byte 0: nothing
    EXPECT_EQ(px[0], 100);
    MRV_AdjustRGBA32ForAlphaComp(1, px.data());
    EXPECT_EQ(px, (std::vector<uint8_t>{199, 99, 0, 128, 200, 100, 0, 255}));
}

TEST(Adjust, Premultiplication16Bit) {
    std::vector<uint16_t> px = {65535, 32768, 0, 32768, 5, 6, 7, 0};
    MRV_AdjustRGBA64PreFilter(px.data(), 2, 1);
    // 32768 * 32768 / 65535 = 16384.25.
    EXPECT_EQ(px, (std::vector<uint16_t>{32768, 16384, 0, 32768, 5, 6, 7, 0}));
    MRV_AdjustRGBA64PostFilter(px.data(), 2, 1);
    // 16384 * 65535 / 32768 = 32767.5.
    EXPECT_EQ(px, (std::vector<uint16_t>{65535, 32767, 0, 32768, 5, 6, 7, 0}));
}

TEST(Adjust, MaskAndTextureWeightAlpha) {
    makeCanvas(4, 1);
    mrv::SelectionState& sel = mrv::engine().selection;
    sel.maskEnabled = 0;
    std::vector<uint8_t> px(4 * 4, 255);
    EXPECT_EQ(MRV_AdjustRGBA32RectByMaskAndTexture(px.data(), 0, 0, 4, 1), 0);  // neither: nothing to do
    sel.maskEnabled = 1;
    sel.maskPlane[1] = 32768;
    sel.maskPlane[2] = 32768;
    // Texture bytes: sum / 768 -> 64 at x 2 and 3, 200 elsewhere.
    addLayer(5, "Normal");
    fillLayer(5, {51200, 51200, 51200, 65535});
    setPixel(5, 2, 0, {16384, 16384, 16384, 65535});
    setPixel(5, 3, 0, {16384, 16384, 16384, 65535});
    ASSERT_NE(MRV_CreateTexture(5), nullptr);
    MRV_AdjustRGBA32ByMaskAndTexture(px.data(), 4, 1);
    // x 0: full weight. x 1: mask (65535 * 32768) >> 16 = 32767 -> trunc(127.498).
    // x 2: texture c = 128 -> (128 * 65535) >> 8 = 32767, then the mask -> 16383 -> 63.
    // x 3: texture only -> 127. Colour untouched.
    EXPECT_EQ(px[3], 255);
    EXPECT_EQ(px[7], 127);
    EXPECT_EQ(px[11], 63);
    EXPECT_EQ(px[15], 127);
    EXPECT_EQ(px[8], 255);
    // The Rect form: a buffer at x = -1 covers canvas columns -1..2; the
    // pixel outside the canvas is left alone.
    std::vector<uint8_t> r(4 * 4, 255);
    EXPECT_EQ(MRV_AdjustRGBA32RectByMaskAndTexture(r.data(), -1, 0, 4, 1), 1);
    EXPECT_EQ(r[3], 255);
    EXPECT_EQ(r[7], 255);
    EXPECT_EQ(r[11], 127);
    EXPECT_EQ(r[15], 63);
    MRV_AdjustRGBA32ByMaskAndTexture(nullptr, 4, 1);
    EXPECT_EQ(MRV_AdjustRGBA32RectByMaskAndTexture(px.data(), 2, 5, 4, 1), 1);  // off canvas: untouched
}

TEST(ApplyRGBA32, BlendsAnEightBitBufferOverTheLayer) {
    makeCanvas(3, 1);
    addLayer(2, "Normal");
    fillLayer(2, {0, 0, 65280, 65535});
    // (255, 0, 0, 255) -> (65280, 0, 0, 65280): sa >= 65280, Normal -> copy.
    // (0, 255, 0, 0): transparent source, skipped.
    // (255, 255, 255, 128) with keepDstAlpha: float Normal, alpha kept.
    const std::vector<uint8_t> data = {255, 0, 0, 255, 0, 255, 0, 0, 255, 255, 255, 128};
    mrv::applyRGBA32ToLayer(data.data(), mrv::engine().core.layers[2], 0, 0, 255, 0);
    EXPECT_EQ(getPixel(2, 0, 0), (Px{65280, 0, 0, 65280}));
    EXPECT_EQ(getPixel(2, 1, 0), (Px{0, 0, 65280, 65535}));
    // Sa = 32768/65535: red/green 65280 * Sa = 32640.5, blue 1.0.
    const Px p = getPixel(2, 2, 0);
    EXPECT_EQ(p[0], 32640);
    EXPECT_EQ(p[1], 32640);
    EXPECT_EQ(p[2], 65280);
    fillLayer(2, {0, 0, 0, 1000});
    mrv::applyRGBA32ToLayer(data.data(), mrv::engine().core.layers[2], 0, 0, 255, 1);
    EXPECT_EQ(getPixel(2, 0, 0), (Px{65280, 0, 0, 1000}));
    mrv::applyRGBA32ToLayer(nullptr, mrv::engine().core.layers[2], 0, 0, 255, 0);
}

}  // namespace
