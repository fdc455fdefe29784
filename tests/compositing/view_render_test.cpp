// MRV_Render on tiny canvases: the layer list rules, the three mappings,
// checkerboard, tracing, selection overlay, and refusals of bad views.
#include <cmath>
#include <limits>

#include "compositing/parallel.h"
#include "core/random.h"
#include "fixture.h"

using namespace mrvtest;

namespace {

constexpr uint8_t kCanary = 0xAB;

struct View {
    int32_t cols, rows, stride;
    std::vector<uint8_t> bytes;
    // Blue, green, red of displayed pixel (i, j).
    std::array<uint8_t, 3> at(int32_t i, int32_t j) const {
        const uint8_t* p = &bytes[static_cast<size_t>(j) * stride + i * 3];
        return {p[0], p[1], p[2]};
    }
};

// Renders into a canary-filled buffer of cols x rows displayed pixels.
View render(int32_t x0, int32_t y0, int32_t w, int32_t h, int32_t cols, int32_t rows) {
    View v{cols, rows, cols * 3 + 5, {}};
    v.bytes.assign(static_cast<size_t>(v.stride) * rows, kCanary);
    MRV_Render(v.bytes.data(), v.stride, x0, y0, w, h);
    return v;
}

using Bgr = std::array<uint8_t, 3>;

TEST(Render, OnlyWhiteBackgroundIsWhite) {
    makeCanvas(4, 4);
    MRV_SetViewSize(4, 4);
    const View v = render(0, 0, 4, 4, 4, 4);
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) EXPECT_EQ(v.at(i, j), (Bgr{255, 255, 255}));
}

TEST(Render, CheckerboardShowsThroughTransparency) {
    makeCanvas(64, 64);
    MRV_SetLayerOptions(1, 0, 0, 100, "Normal");
    addLayer(2, "Normal");
    MRV_SetLayer(2);
    // Half-transparent black at (0, 0) (light square) and (32, 0) (dark square):
    // bg = (c * 32767) >> 8, channel = bg >> 8: 32766 -> 127 and 20478 -> 79.
    setPixel(2, 0, 0, {0, 0, 0, 32768});
    setPixel(2, 32, 0, {0, 0, 0, 32768});
    MRV_SetViewSize(64, 64);
    const View v = render(0, 0, 64, 64, 64, 64);
    EXPECT_EQ(v.at(31, 31), (Bgr{255, 255, 255}));  // 0xFFFF * 65535 >> 16 = 65534 -> 255
    EXPECT_EQ(v.at(33, 0), (Bgr{159, 159, 159}));   // 0x9FFF square
    EXPECT_EQ(v.at(0, 32), (Bgr{159, 159, 159}));
    EXPECT_EQ(v.at(32, 32), (Bgr{255, 255, 255}));
    EXPECT_EQ(v.at(0, 0), (Bgr{127, 127, 127}));
    EXPECT_EQ(v.at(32, 0), (Bgr{79, 79, 79}));
}

TEST(Render, BackgroundCountsOpaqueAndTexturize3NeverShows) {
    makeCanvas(4, 4);
    fillLayer(1, {32640, 16320, 0, 32768});
    addLayer(2, "Texturize3");
    fillLayer(2, {0, 0, 65280, 65535});
    MRV_SetViewSize(4, 4);
    const View v = render(0, 0, 4, 4, 4, 4);
    // Layer 1 forced opaque: no checkerboard, channel >> 8.
    EXPECT_EQ(v.at(2, 3), (Bgr{0, 63, 127}));
    // A hidden background puts layer 2 first; only layer 1 gets forced.
    MRV_SetLayerOptions(1, 0, 0, 100, "Normal");
    addLayer(3, "Normal");
    fillLayer(3, {65280, 0, 0, 32768});
    const View w = render(0, 0, 4, 4, 4, 4);
    // (0,0) light square: (((32768 * 65280) >> 8) + bg) >> 8 with bg = 8388095.
    const uint32_t bg = (0xFFFFu * (65535u - 32768u)) >> 8;
    const uint32_t red = (((32768u * 65280u) >> 8) + bg) >> 8;
    EXPECT_EQ(w.at(0, 0), (Bgr{static_cast<uint8_t>((bg >> 8) >> 8), static_cast<uint8_t>((bg >> 8) >> 8),
                               static_cast<uint8_t>(red >> 8)}));
}

TEST(Render, ReductionSamplesEveryScaleTthColumn) {
    makeCanvas(100, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 100; ++x) setPixel(1, x, y, {static_cast<uint16_t>(x << 8), 0, 0, 65535});
    MRV_SetViewSize(200, 10);
    MRV_SetScale(1, 2.0f);
    const View v = render(0, 0, 100, 2, 60, 1);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(v.at(i, 0)[2], 2 * i) << i;
    EXPECT_EQ(v.at(50, 0)[2], kCanary);  // trunc(100 / 2) columns, no more
    // 2.5: the accumulator steps 2, 3, 2, 3 ... so column i shows floor(2.5 i).
    MRV_SetScale(1, 2.5f);
    const View w = render(0, 0, 100, 5, 60, 3);
    for (int i = 0; i < 40; ++i) EXPECT_EQ(w.at(i, 0)[2], (5 * i) / 2) << i;
    EXPECT_EQ(w.at(40, 0)[2], kCanary);
    EXPECT_EQ(w.at(39, 1)[2], 97);         // trunc(5 / 2.5) = 2 rows
    EXPECT_EQ(w.at(0, 2)[2], kCanary);
    // 2:2 is 1:1.
    MRV_SetScale(2, 2.0f);
    const View u = render(10, 0, 5, 1, 6, 1);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(u.at(i, 0)[2], 10 + i);
    EXPECT_EQ(u.at(5, 0)[2], kCanary);
}

TEST(Render, MagnificationRepeatsEachPixel) {
    makeCanvas(2, 2);
    setPixel(1, 0, 0, {0x1000, 0, 0, 65535});
    setPixel(1, 1, 0, {0x2000, 0, 0, 65535});
    setPixel(1, 0, 1, {0x3000, 0, 0, 65535});
    setPixel(1, 1, 1, {0x4000, 0, 0, 65535});
    MRV_SetViewSize(100, 100);
    MRV_SetScale(3, 1.0f);
    const View v = render(0, 0, 2, 2, 7, 7);
    for (int j = 0; j < 6; ++j)
        for (int i = 0; i < 6; ++i) EXPECT_EQ(v.at(i, j)[2], 0x10 * (1 + i / 3 + 2 * (j / 3))) << i << "," << j;
    EXPECT_EQ(v.at(6, 0)[2], kCanary);
    EXPECT_EQ(v.at(0, 6)[2], kCanary);
    // The view size cuts the magnified picture.
    MRV_SetViewSize(4, 5);
    const View w = render(0, 0, 2, 2, 7, 7);
    EXPECT_EQ(w.at(3, 4)[2], 0x40);
    EXPECT_EQ(w.at(4, 0)[2], kCanary);
    EXPECT_EQ(w.at(0, 5)[2], kCanary);
}

TEST(Render, ViewWidthCutsOneToOneRow) {
    makeCanvas(4, 4);
    MRV_SetViewSize(2, 3);
    const View v = render(0, 0, 4, 4, 4, 4);
    EXPECT_EQ(v.at(1, 2), (Bgr{255, 255, 255}));
    EXPECT_EQ(v.at(2, 0)[0], kCanary);
    EXPECT_EQ(v.at(0, 3)[0], kCanary);
}

TEST(Render, TracingAveragesLayerZero) {
    makeCanvas(4, 4);
    ASSERT_EQ(MRV_CreateLayer(0, 4, 4), 1);
    fillLayer(0, {0, 0, 0, 65535});
    MRV_SetViewSize(4, 4);
    EXPECT_EQ(render(0, 0, 4, 4, 4, 4).at(1, 1), (Bgr{255, 255, 255}));
    MRV_SetTracingMode(0x101);  // low byte 1
    // (65535 + 0) / 2 = 32767 -> 127.
    EXPECT_EQ(render(0, 0, 4, 4, 4, 4).at(1, 1), (Bgr{127, 127, 127}));
    MRV_SetTracingMode(0x100);  // low byte 0
    EXPECT_EQ(render(0, 0, 4, 4, 4, 4).at(1, 1), (Bgr{255, 255, 255}));
}

void showOverlay(int32_t fullStrength) {
    mrv::SelectionState& s = mrv::engine().selection;
    s.maskDisplayed = 1;
    s.maskEnabled = 1;
    s.maskOverlay.colourA[0] = 65280;  // odd squares red
    s.maskOverlay.colourA[1] = s.maskOverlay.colourA[2] = 0;
    s.maskOverlay.colourB[2] = 65280;  // even squares blue
    s.maskOverlay.colourB[0] = s.maskOverlay.colourB[1] = 0;
    s.maskOverlay.fullStrength = fullStrength;
}

TEST(Render, SelectionOverlay) {
    makeCanvas(64, 64);
    mrv::SelectionState& s = mrv::engine().selection;
    s.maskPlane[0] = 0;   // (0, 0), even square
    s.maskPlane[32] = 0;  // (32, 0), odd square
    MRV_SetViewSize(64, 64);
    showOverlay(0);
    // m = 0 / 2 + 0x7FFF = 32767 over white 65535:
    // plain channel ((32767 * 65535) >> 8) >> 16 = 127; lit channel adds
    // (32768 * 65280) >> 8 and reaches 255.
    View v = render(0, 0, 64, 64, 64, 64);
    EXPECT_EQ(v.at(0, 0), (Bgr{255, 127, 127}));
    EXPECT_EQ(v.at(32, 0), (Bgr{127, 127, 255}));
    EXPECT_EQ(v.at(1, 0), (Bgr{255, 255, 255}));  // 0xFFFF at 1:1: no overlay
    showOverlay(1);
    v = render(0, 0, 64, 64, 64, 64);
    // m = 0: ((65535 * 65280) >> 8) >> 16 = 16711425 >> 16 = 254, the overlay colour alone.
    EXPECT_EQ(v.at(0, 0), (Bgr{254, 0, 0}));
    EXPECT_EQ(v.at(32, 0), (Bgr{0, 0, 254}));
    // Disabled mask or hidden overlay: no tint.
    s.maskEnabled = 0;
    EXPECT_EQ(render(0, 0, 64, 64, 64, 64).at(0, 0), (Bgr{255, 255, 255}));
    s.maskEnabled = 1;
    s.maskDisplayed = 0;
    EXPECT_EQ(render(0, 0, 64, 64, 64, 64).at(0, 0), (Bgr{255, 255, 255}));
}

TEST(Render, OverlayOfUnprotectedPixelsOnlyVanishesAtOneToOne) {
    makeCanvas(4, 4);
    fillLayer(1, {32768, 32768, 32768, 65535});
    MRV_SetViewSize(16, 16);
    showOverlay(0);
    EXPECT_EQ(render(0, 0, 4, 4, 8, 8).at(1, 1), (Bgr{128, 128, 128}));
    // Magnified, 0xFFFF becomes 65534: ((65534 * 32768) >> 8) >> 16 = 127, and
    // the lit channel's (1 * 65280) >> 8 = 255 does not carry it over.
    MRV_SetScale(2, 1.0f);
    EXPECT_EQ(render(0, 0, 4, 4, 8, 8).at(1, 1), (Bgr{127, 127, 127}));
}

TEST(Render, LayerMaskAndMaskLayerRules) {
    makeCanvas(4, 4);
    fillLayer(1, {0, 0, 0, 65535});
    addLayer(2, "Normal");
    fillLayer(2, {65280, 0, 0, 65535});
    addLayer(3, "Layer Mask");
    fillLayer(3, {32768, 32768, 32768, 65535});
    setPixel(3, 1, 0, {32768, 32768, 32768, 0});  // transparent: unmasked
    MRV_SetViewSize(4, 4);
    const View v = render(0, 0, 4, 4, 4, 4);
    // sa = (32768 * 65535) >> 16 = 32767 over black: red 65280 * 32767 / 65535 = 32639.5.
    EXPECT_EQ(v.at(0, 0), (Bgr{0, 0, 127}));
    EXPECT_EQ(v.at(1, 0), (Bgr{0, 0, 255}));
    // A mask layer that is hidden masks nothing.
    MRV_SetLayerOptions(3, 0, 0, 100, "Layer Mask");
    EXPECT_EQ(render(0, 0, 4, 4, 4, 4).at(0, 0), (Bgr{0, 0, 255}));
}

TEST(Render, PaintLayerFollowsCurrentLayerAndIsMaskedWithIt) {
    makeCanvas(4, 4);
    fillLayer(1, {65280, 65280, 65280, 65535});
    addLayer(2, "Normal");
    addLayer(3, "Normal");
    fillLayer(3, {0, 65280, 0, 65535});
    setPixel(3, 1, 1, {0, 0, 0, 0});
    MRV_SetLayer(2);
    MRV_CreatePaintLayer(100, "Normal");
    setPixel(2, 1, 1, {65280, 0, 0, 65535});
    mrv::LayerSlot& paint = mrv::engine().core.paintLayer;
    paint.pixels[(1 * 4 + 1) * 4 + 2] = 65280;
    paint.pixels[(1 * 4 + 1) * 4 + 3] = 65535;
    paint.pixels[(0 * 4 + 1) * 4 + 2] = 65280;
    paint.pixels[(0 * 4 + 1) * 4 + 3] = 65535;
    MRV_SetViewSize(4, 4);
    // The stroke covers layer 2 but stays under layer 3.
    View v = render(0, 0, 4, 4, 4, 4);
    EXPECT_EQ(v.at(1, 1), (Bgr{255, 0, 0}));
    EXPECT_EQ(v.at(1, 0), (Bgr{0, 255, 0}));
    // With layer 3 a mask, the entry after the current layer is skipped, so
    // layer 2 is masked by layer 3, and the stroke is masked by it too.
    MRV_SetLayerOptions(3, 1, 0, 100, "Layer Mask");
    fillLayer(3, {0, 0, 0, 65535});  // black mask: sa -> 0 wherever it is opaque
    setPixel(3, 1, 1, {0, 0, 0, 0});
    v = render(0, 0, 4, 4, 4, 4);
    EXPECT_EQ(v.at(1, 1), (Bgr{255, 0, 0}));    // mask pixel transparent: stroke shows
    EXPECT_EQ(v.at(1, 0), (Bgr{255, 255, 255}));  // masked to nothing
}

TEST(Render, BadViewsDrawNothing) {
    makeCanvas(4, 4);
    struct Case {
        const char* what;
        int32_t zoom;
        float scale;
        int32_t vw, vh;
        int32_t x0, y0, w, h;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (const Case& c : {Case{"off canvas right", 1, 1.0f, 8, 8, 4, 0, 4, 4},
                          Case{"off canvas below", 1, 1.0f, 8, 8, 0, 9, 4, 4},
                          Case{"negative size", 1, 1.0f, 8, 8, 0, 0, -3, 4},
                          Case{"view width 0", 1, 1.0f, 0, 8, 0, 0, 4, 4},
                          Case{"view height 0", 1, 1.0f, 8, 0, 0, 0, 4, 4},
                          Case{"zoom 0 over negative scale", 0, -1.0f, 8, 8, 0, 0, 4, 4},
                          Case{"negative zoom over lower scale", -2, -3.0f, 8, 8, 0, 0, 4, 4},
                          Case{"NaN scale", 1, nan, 8, 8, 0, 0, 4, 4},
                          Case{"infinite scale", 1, inf, 8, 8, 0, 0, 4, 4},
                          Case{"scale too large for one column", 1, 100.0f, 8, 8, 0, 0, 4, 4}}) {
        MRV_SetScale(c.zoom, c.scale);
        MRV_SetViewSize(c.vw, c.vh);
        const View v = render(c.x0, c.y0, c.w, c.h, 8, 8);
        for (uint8_t b : v.bytes) ASSERT_EQ(b, kCanary) << c.what;
    }
    // Zoom 2 with a scale of 0 still magnifies.
    MRV_SetScale(2, 0.0f);
    MRV_SetViewSize(8, 8);
    EXPECT_EQ(render(0, 0, 4, 4, 8, 8).at(7, 7), (Bgr{255, 255, 255}));
    // No current layer: nothing.
    MRV_DeleteLayer(1);
    MRV_SetScale(1, 1.0f);
    const View v = render(0, 0, 4, 4, 8, 8);
    EXPECT_EQ(v.bytes[0], kCanary);
    MRV_Render(nullptr, 12, 0, 0, 4, 4);
}

TEST(Render, RectanglePartlyOutsideIsClamped) {
    makeCanvas(4, 4);
    setPixel(1, 0, 0, {0, 0, 0, 65535});
    MRV_SetViewSize(8, 8);
    // A negative x0 becomes 0 (the width is kept, then cut at the canvas edge).
    View v = render(-2, 0, 3, 1, 8, 2);
    EXPECT_EQ(v.at(0, 0), (Bgr{0, 0, 0}));
    EXPECT_EQ(v.at(2, 0), (Bgr{255, 255, 255}));
    EXPECT_EQ(v.at(3, 0)[0], kCanary);
    EXPECT_EQ(v.at(0, 1)[0], kCanary);
    // Running past the right edge: w becomes canvasWidth - x0.
    v = render(2, 3, 10, 10, 8, 2);
    EXPECT_EQ(v.at(1, 0), (Bgr{255, 255, 255}));
    EXPECT_EQ(v.at(2, 0)[0], kCanary);
    EXPECT_EQ(v.at(0, 1)[0], kCanary);
}

TEST(Render, LayerSmallerThanCanvasIsOnlyReadInside) {
    makeCanvas(8, 8);
    ASSERT_EQ(MRV_CreateLayer(2, 3, 2), 1);  // left over from a resize
    MRV_SetLayerOptions(2, 1, 0, 100, "Normal");
    fillLayer(2, {0, 0, 0, 65535});
    MRV_SetViewSize(8, 8);
    const View v = render(0, 0, 8, 8, 8, 8);
    EXPECT_EQ(v.at(2, 1), (Bgr{0, 0, 0}));
    EXPECT_EQ(v.at(3, 1), (Bgr{255, 255, 255}));
    EXPECT_EQ(v.at(2, 2), (Bgr{255, 255, 255}));
}

// A busy picture for comparing threaded and plain results.
void busyPicture(int32_t w, int32_t h) {
    makeCanvas(w, h);
    const char* modes[] = {"Normal", "Multiply", "Alpha Normal", "Layer Mask", "Soft Light", "Texturize", "Add"};
    mrv::seedRandom(77);
    for (int n = 2; n <= 8; ++n) {
        addLayer(n, modes[n - 2], n == 4 ? 100 : 60 + n * 5);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint16_t a = (x / 7 + y / 5 + n) % 3 == 0 ? 0 : static_cast<uint16_t>(mrv::nextRandom() * 2);
                setPixel(n, x, y,
                         {static_cast<uint16_t>(mrv::nextRandom() * 2), static_cast<uint16_t>(mrv::nextRandom() * 2),
                          static_cast<uint16_t>(mrv::nextRandom() * 2), a});
            }
    }
    MRV_SetLayer(3);
    MRV_CreatePaintLayer(80, "Normal");
    for (int y = 10; y < 40 && y < h; ++y)
        for (int x = 10; x < 60 && x < w; ++x) {
            uint16_t* p = mrv::engine().core.paintLayer.pixels + (static_cast<size_t>(y) * w + x) * 4;
            p[0] = 40000;
            p[3] = static_cast<uint16_t>(x * 1000);
        }
}

TEST(Render, ThreadedAndPlainAreBitIdentical) {
    busyPicture(320, 240);
    MRV_SetViewSize(2000, 2000);
    struct Mapping {
        int32_t zoom;
        float scale;
    };
    for (const Mapping& m : {Mapping{1, 1.0f}, Mapping{3, 1.0f}, Mapping{1, 2.5f}}) {
        MRV_SetScale(m.zoom, m.scale);
        mrv::setCompositingThreads(1);
        const View plain = render(0, 0, 320, 240, 960, 720);
        mrv::setCompositingThreads(2);
        const View threaded = render(0, 0, 320, 240, 960, 720);
        EXPECT_EQ(plain.bytes, threaded.bytes) << m.zoom << " " << m.scale;
    }
    mrv::setCompositingThreads(0);
}

TEST(Merge, ThreadedAndPlainAreBitIdentical) {
    busyPicture(320, 240);
    std::vector<uint16_t> plain(320 * 240 * 4), threaded(320 * 240 * 4);
    mrv::setCompositingThreads(1);
    MRV_Merge(plain.data());
    mrv::setCompositingThreads(2);
    MRV_Merge(threaded.data());
    EXPECT_EQ(plain, threaded);
    mrv::setCompositingThreads(0);
}

// A background of varied colours, recreated at the given width.
void varyBackground(int32_t width, const char* mode, int32_t percent) {
    const mrv::CoreState& c = mrv::engine().core;
    MRV_DeleteLayer(1);
    ASSERT_EQ(MRV_CreateLayer(1, width, c.canvasHeight), 1);
    MRV_SetLayerOptions(1, 1, 0, percent, mode);
    for (int32_t y = 0; y < c.canvasHeight; ++y)
        for (int32_t x = 0; x < width; ++x)
            setPixel(1, x, y,
                     {static_cast<uint16_t>(x * 1543 + y * 97), static_cast<uint16_t>(x * 311 + y * 7001),
                      static_cast<uint16_t>(65535 - x * 977), static_cast<uint16_t>(x * 4099 + y * 13)});
}

// The background laid straight into an empty row must give what the general
// entry loop gives: a layer 1 one column narrower than the view sends the
// row through the general loop, and every column it still covers must come
// out the same. The opacity and the partial alphas of the layer above make
// the accumulators float ones.
TEST(Render, BackgroundCopyMatchesGeneralLoop) {
    for (const char* mode : {"Normal", "Multiply", "Screen"}) {
        busyPicture(40, 30);
        MRV_SetViewSize(40, 30);
        varyBackground(40, mode, 60);
        const View fast = render(0, 0, 40, 30, 40, 30);
        varyBackground(39, mode, 60);
        const View general = render(0, 0, 40, 30, 40, 30);
        for (int32_t j = 0; j < 30; ++j)
            for (int32_t i = 0; i < 39; ++i) ASSERT_EQ(fast.at(i, j), general.at(i, j)) << mode << " " << i << "," << j;
    }
}

// Rows without tracing or overlay at 1:1 are finished by their own loop; a
// magnified view goes through the general finish. Both must write the same
// bytes for the same canvas pixel, checkerboard included (layer 1 is hidden,
// so much of the picture is partly transparent).
TEST(Render, PlainFinishMatchesMagnifiedFinish) {
    busyPicture(70, 40);
    MRV_SetLayerOptions(1, 0, 0, 100, "Normal");
    // The overlay would differ on purpose between 1:1 and magnified views.
    MRV_DisplayMask(0);
    MRV_SetTracingMode(0);
    // Nothing covers columns 60..69: the checkerboard shows there as it is.
    for (int32_t n = 2; n <= 8; ++n)
        for (int32_t y = 0; y < 40; ++y)
            for (int32_t x = 60; x < 70; ++x) pixelAt(n, x, y)[3] = 0;
    MRV_SetViewSize(140, 80);
    MRV_SetScale(1, 1.0f);
    const View plain = render(0, 0, 70, 40, 70, 40);
    MRV_SetScale(2, 1.0f);
    const View magnified = render(0, 0, 70, 40, 140, 80);
    MRV_SetScale(1, 1.0f);
    for (int32_t j = 0; j < 80; ++j)
        for (int32_t i = 0; i < 140; ++i) ASSERT_EQ(magnified.at(i, j), plain.at(i / 2, j / 2)) << i << "," << j;
    // Columns 60..63 lie in square column 1 and rows 0..31 in square row 0:
    // an odd sum, the dark square 0x9FFF written as 159; from row 32 on the
    // sum is even, the light square 0xFFFF written as 255.
    EXPECT_EQ(plain.at(61, 5), (Bgr{159, 159, 159}));
    EXPECT_EQ(plain.at(61, 35), (Bgr{255, 255, 255}));
}

// A row is composited in tiles of columns; where the tiles fall depends on
// the rectangle's left edge. Rendering from other left edges must not
// change a pixel, also with layers that end inside a tile (layer 1 and a
// Normal layer narrower than the canvas).
TEST(Render, ColumnTilesDoNotChangeAnyPixel) {
    busyPicture(600, 12);
    varyBackground(500, "Normal", 80);
    ASSERT_EQ(MRV_CreateLayer(9, 300, 12), 1);
    MRV_SetLayerOptions(9, 1, 0, 100, "Normal");
    for (int32_t y = 0; y < 12; ++y)
        for (int32_t x = 0; x < 300; ++x) setPixel(9, x, y, {40000, 20000, 0, static_cast<uint16_t>(x * 300)});
    MRV_SetViewSize(600, 12);
    MRV_SetScale(1, 1.0f);
    const View whole = render(0, 0, 600, 12, 600, 12);
    for (int32_t x0 : {1, 100, 255, 257, 299, 511}) {
        const View part = render(x0, 0, 600 - x0, 12, 600 - x0, 12);
        for (int32_t j = 0; j < 12; ++j)
            for (int32_t i = 0; i < 600 - x0; ++i) ASSERT_EQ(part.at(i, j), whole.at(x0 + i, j)) << x0 << " " << i;
    }
}

}  // namespace

namespace {

TEST(Render, Texturize3StrokeShowsOnlyWhereCurrentNumberMatchesItsPosition) {
    makeCanvas(2, 1);
    fillLayer(1, {65280, 65280, 65280, 65535});
    addLayer(3, "Normal");
    MRV_CreatePaintLayer(100, "Texturize3");
    mrv::LayerSlot& paint = mrv::engine().core.paintLayer;
    const uint16_t stroke[4] = {0x1080, 0x2080, 0x3080, 65535};
    for (int i = 0; i < 4; ++i) paint.pixels[i] = stroke[i];
    MRV_SetViewSize(2, 1);
    // Current layer 1: the list is (layer 1, stroke), the stroke sits at
    // position 1 = currentLayerNum and shows as an opaque copy.
    MRV_SetLayer(1);
    std::vector<uint8_t> v(6, kCanary);
    MRV_Render(v.data(), 6, 0, 0, 2, 1);
    EXPECT_EQ(v[0], 0x30);
    EXPECT_EQ(v[1], 0x20);
    EXPECT_EQ(v[2], 0x10);
    EXPECT_EQ(v[3], 255);
    // Current layer 3: (layer 1, layer 3, stroke): position 2 != 3, the
    // accumulator stays as it was.
    MRV_SetLayer(3);
    MRV_Render(v.data(), 6, 0, 0, 2, 1);
    EXPECT_EQ(v[0], 255);
    EXPECT_EQ(v[2], 255);
}

}  // namespace
