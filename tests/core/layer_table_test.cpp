// The layer table: creation, options and mode names, the TextureMap, the
// PaintLayer clears, swapping and the layer-mask lookup.
#include <gtest/gtest.h>
#include <morvane/morvane.h>

#include <cstring>
#include <string>

#include "core/engine_state.h"
#include "core/layer_table.h"

using mrv::engine;

namespace {

class LayerTable : public ::testing::Test {
protected:
    void SetUp() override { MRV_CreateImage(nullptr, kW, kH, 8, 0); }
    void TearDown() override { MRV_DeleteImage(); }

    static uint16_t* px(int n, int x, int y) {
        mrv::LayerSlot& s = engine().core.layers[n];
        return s.pixels + y * s.stride + x * 4;
    }
    static void setRgb(int n, int x, int y, uint16_t r, uint16_t g, uint16_t b) {
        uint16_t* p = px(n, x, y);
        p[0] = r;
        p[1] = g;
        p[2] = b;
    }

    static constexpr int kW = 4, kH = 4;
};

TEST_F(LayerTable, BackgroundIsOpaqueWhiteOthersTransparentBlack) {
    ASSERT_EQ(MRV_CreateLayer(1, kW, kH), 1);
    ASSERT_EQ(MRV_CreateLayer(2, kW, kH), 1);
    for (int i = 0; i < kW * kH * 4; ++i) {
        ASSERT_EQ(engine().core.layers[1].pixels[i], 65535);
        ASSERT_EQ(engine().core.layers[2].pixels[i], 0);
    }
    EXPECT_EQ(engine().core.layers[2].stride, kW * 4);
    // Creating again at the same size reuses and clears the buffer.
    const uint16_t* before = engine().core.layers[2].pixels;
    px(2, 1, 1)[3] = 77;
    ASSERT_EQ(MRV_CreateLayer(2, kW, kH), 1);
    EXPECT_EQ(engine().core.layers[2].pixels, before);
    EXPECT_EQ(px(2, 1, 1)[3], 0);
    // At another size the buffer is replaced.
    ASSERT_EQ(MRV_CreateLayer(2, 2, 3), 1);
    EXPECT_EQ(engine().core.layers[2].width, 2);
    EXPECT_EQ(engine().core.layers[2].stride, 8);
}

TEST_F(LayerTable, BadLayerNumbersAreRefusedOrIgnored) {
    EXPECT_EQ(MRV_CreateLayer(64, kW, kH), 0);
    EXPECT_EQ(MRV_CreateLayer(-1, kW, kH), 0);
    EXPECT_EQ(MRV_CreateLayer(3, kW, -2), 0);
    MRV_DeleteLayer(64);
    MRV_DeleteLayer(-7);
    MRV_SetLayer(99);
    MRV_SetLayer(-1);
    MRV_SetLayerOptions(64, 1, 1, 100, "Multiply");
    MRV_SwapLayers(-1, 3);
    MRV_SwapLayers(3, 64);
    EXPECT_EQ(MRV_CreateTexture(64), nullptr);
    EXPECT_EQ(MRV_GetLayerCount(), 0);
    EXPECT_EQ(engine().core.currentLayer, nullptr);
}

TEST_F(LayerTable, LayerCountIncludesLayerZero) {
    for (int n : {0, 1, 5}) ASSERT_EQ(MRV_CreateLayer(n, kW, kH), 1);
    EXPECT_EQ(MRV_GetLayerCount(), 3);
    MRV_DeleteLayer(5);
    EXPECT_EQ(MRV_GetLayerCount(), 2);
}

TEST_F(LayerTable, EveryModeNameSelectsItsNumber) {
    const char* names[] = {"Normal", "Multiply", "Screen", "Darken", "Lighten", "Difference", "Negation",
                           "Exclusion", "Overlay", "Hard Light", "Soft Light", "Dodge", "Burn", "Reflect",
                           "Glow", "Add", "Subtract", "Texturize", "Texturize2", "Texturize3", nullptr,
                           "Alpha Normal", "Alpha Filter", "Alpha Black Outline", "Alpha Outline Tint 1",
                           "Alpha Outline Tint 2", "Alpha Invert", "Alpha Shader", "Alpha Shader Color",
                           "Alpha Shader Texture2", "Alpha Highlight Texture2", "Alpha Smooth",
                           "Alpha Smooth Lum", "Alpha Smooth Lum2", "Alpha Smooth Lum3", "Alpha Smooth Lum4",
                           "Alpha Smooth Lum5", "Alpha Overlay Outline", "Alpha Highlight", "Layer Mask",
                           "Luminance Alpha", "Luminance Alpha Invert"};
    static_assert(sizeof names / sizeof names[0] == 42);
    ASSERT_EQ(MRV_CreateLayer(2, kW, kH), 1);
    for (int n = 0; n < 42; ++n) {
        if (!names[n]) continue;
        MRV_SetLayerOptions(2, 1, 0, 100, names[n]);
        EXPECT_EQ(engine().core.layers[2].blendMode, n) << names[n];
        EXPECT_STREQ(engine().core.layers[2].modeName, names[n]);
    }
}

TEST_F(LayerTable, NearMissNamesSelectNormal) {
    const std::string fifty(50, 'a');
    const char* misses[] = {"Multiply ", "multiply", "MULTIPLY", " Multiply", "", "Alpha Smooth Lum6",
                            "Luminance Alpha Invert ", fifty.c_str(), nullptr};
    ASSERT_EQ(MRV_CreateLayer(2, kW, kH), 1);
    for (const char* name : misses) {
        MRV_SetLayerOptions(2, 1, 0, 100, "Screen");
        MRV_SetLayerOptions(2, 1, 0, 100, name);
        EXPECT_EQ(engine().core.layers[2].blendMode, 0) << (name ? name : "(null)");
    }
    // A name of 50 characters or more leaves the stored name empty; so does none.
    MRV_SetLayerOptions(2, 1, 0, 100, fifty.c_str());
    EXPECT_STREQ(engine().core.layers[2].modeName, "");
    MRV_SetLayerOptions(2, 1, 0, 100, "multiply");
    EXPECT_STREQ(engine().core.layers[2].modeName, "multiply");
    MRV_SetLayerOptions(2, 1, 0, 100, nullptr);
    EXPECT_STREQ(engine().core.layers[2].modeName, "");
}

TEST_F(LayerTable, OpacityIsPercentTimes256Over100) {
    struct Case { int32_t percent; uint16_t opacity; };
    const Case cases[] = {{100, 256}, {50, 128}, {33, 84}, {0, 0}, {101, 258}, {1, 2}, {-1, 65534}};
    ASSERT_EQ(MRV_CreateLayer(2, kW, kH), 1);
    for (const Case& c : cases) {
        MRV_SetLayerOptions(2, 0x101, 0x200, c.percent, "Normal");
        EXPECT_EQ(engine().core.layers[2].opacity, c.opacity) << c.percent;
        EXPECT_EQ(engine().core.layers[2].visible, 1);      // low byte only
        EXPECT_EQ(engine().core.layers[2].alphaLocked, 0);  // low byte only
    }
}

TEST_F(LayerTable, AlphaLayerOpacityStaysIn16Bits) {
    struct Case { int32_t percent; uint16_t value; };
    // percent * 0.01 * 65535, truncated: 50 gives 32767.5 -> 32767.
    const Case cases[] = {{100, 65535}, {50, 32767}, {0, 0}, {1, 655}, {101, 65535}, {-5, 0}};
    for (const Case& c : cases) {
        MRV_SetAlphaLayerOpacity(c.percent);
        EXPECT_EQ(engine().core.alphaLayerOpacity, c.value) << c.percent;
    }
}

TEST_F(LayerTable, TopLayerFollowsTheHighestFilledSlot) {
    ASSERT_EQ(MRV_CreateLayer(0, kW, kH), 1);
    MRV_SetLayerOptions(0, 1, 0, 100, "Normal");
    EXPECT_EQ(engine().core.topLayerNum, 1);
    ASSERT_EQ(MRV_CreateLayer(1, kW, kH), 1);
    ASSERT_EQ(MRV_CreateLayer(3, kW, kH), 1);
    MRV_SetLayerOptions(7, 1, 0, 100, "Normal");  // any layer's options recompute it
    EXPECT_EQ(engine().core.topLayerNum, 3);
}

TEST_F(LayerTable, LayerMaskAboveTakesTheFirstVisibleFilledLayer) {
    for (int n = 1; n <= 4; ++n) ASSERT_EQ(MRV_CreateLayer(n, kW, kH), 1);
    MRV_SetLayerOptions(3, 0, 0, 100, "Normal");
    MRV_SetLayerOptions(4, 1, 0, 100, "Layer Mask");
    EXPECT_EQ(mrv::layerMaskAbove(2), 4);
    EXPECT_EQ(mrv::layerMaskAbove(4), 0);  // at the top: no mask
    MRV_SetLayerOptions(3, 1, 0, 100, "Normal");
    EXPECT_EQ(mrv::layerMaskAbove(2), 0);
    MRV_SetLayerOptions(3, 1, 0, 100, "Layer Mask");
    EXPECT_EQ(mrv::layerMaskAbove(2), 3);
    MRV_DeleteLayer(3);  // an empty slot is passed over
    EXPECT_EQ(mrv::layerMaskAbove(2), 4);
    EXPECT_EQ(mrv::layerMaskAbove(-3), 0);
}

TEST_F(LayerTable, TextureMapValues) {
    ASSERT_EQ(MRV_CreateLayer(2, kW, kH), 1);
    setRgb(2, 0, 0, 0, 0, 0);              // 0 -> raised to 4
    setRgb(2, 1, 0, 65535, 65535, 65535);  // 196605 / 768 = 255 -> lowered to 250
    setRgb(2, 2, 0, 32768, 32768, 32768);  // 98304 / 768 = 128
    setRgb(2, 3, 0, 3071, 0, 0);           // 3071 / 768 = 3 -> 4
    setRgb(2, 0, 1, 0, 0, 3840);           // 3840 / 768 = 5
    const uint8_t* map = MRV_CreateTexture(2);
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map[0], 4);
    EXPECT_EQ(map[1], 250);
    EXPECT_EQ(map[2], 128);
    EXPECT_EQ(map[3], 4);
    EXPECT_EQ(map[4], 5);
    MRV_DeleteTexture();
    EXPECT_EQ(engine().core.textureMap, nullptr);
}

TEST_F(LayerTable, TextureMapFollowsTheTexturize3Layer) {
    for (int n = 1; n <= 3; ++n) ASSERT_EQ(MRV_CreateLayer(n, kW, kH), 1);
    MRV_SetLayer(2);
    // Configured while not current: the map is built.
    MRV_SetLayerOptions(3, 1, 0, 100, "Texturize3");
    ASSERT_NE(engine().core.textureMap, nullptr);
    // Becoming current frees it (the texture is about to be edited) ...
    MRV_SetLayer(3);
    EXPECT_EQ(engine().core.textureMap, nullptr);
    // ... and leaving it builds it again.
    MRV_SetLayer(2);
    ASSERT_NE(engine().core.textureMap, nullptr);
    // Reconfiguring a Texturize3 layer frees the map; a hidden one casts none.
    MRV_SetLayerOptions(3, 0, 0, 100, "Texturize3");
    EXPECT_EQ(engine().core.textureMap, nullptr);
    // While current, configuring it builds nothing.
    MRV_SetLayer(3);
    MRV_SetLayerOptions(3, 1, 0, 100, "Texturize3");
    EXPECT_EQ(engine().core.textureMap, nullptr);
}

TEST_F(LayerTable, SetLayerRefreshesTheUndoBackBuffer) {
    ASSERT_EQ(MRV_CreateLayer(2, kW, kH), 1);
    px(2, 3, 3)[0] = 1234;
    MRV_SetLayer(5);  // empty slot: nothing happens
    EXPECT_EQ(engine().core.currentLayer, nullptr);
    MRV_SetLayer(2);
    EXPECT_EQ(MRV_GetLayerNum(), 2);
    EXPECT_EQ(engine().core.currentLayer, &engine().core.layers[2]);
    EXPECT_EQ(0, std::memcmp(engine().undo.undoBackBuffer, engine().core.layers[2].pixels, kW * kH * 8));
}

TEST_F(LayerTable, SwapExchangesRecordsButNotTheCurrentNumber) {
    ASSERT_EQ(MRV_CreateLayer(2, kW, kH), 1);
    ASSERT_EQ(MRV_CreateLayer(3, 2, 2), 1);
    MRV_SetLayerOptions(2, 1, 1, 50, "Screen");
    MRV_SetLayer(2);
    const uint16_t* pixels2 = engine().core.layers[2].pixels;
    MRV_SwapLayers(2, 3);
    const mrv::LayerSlot& s3 = engine().core.layers[3];
    EXPECT_EQ(s3.pixels, pixels2);
    EXPECT_EQ(s3.blendMode, 2);
    EXPECT_EQ(s3.opacity, 128);
    EXPECT_EQ(s3.alphaLocked, 1);
    EXPECT_EQ(engine().core.layers[2].width, 2);
    EXPECT_EQ(MRV_GetLayerNum(), 2);
    EXPECT_EQ(engine().core.currentLayer, &engine().core.layers[2]);
}

TEST_F(LayerTable, DeleteKeepsTheOptions) {
    ASSERT_EQ(MRV_CreateLayer(4, kW, kH), 1);
    MRV_SetLayerOptions(4, 1, 0, 30, "Overlay");
    MRV_DeleteLayer(4);
    EXPECT_EQ(engine().core.layers[4].pixels, nullptr);
    EXPECT_EQ(engine().core.layers[4].blendMode, 8);
    EXPECT_EQ(engine().core.layers[4].opacity, 76);  // 30 * 256 / 100 = 76.8
}

TEST_F(LayerTable, PaintLayerClears) {
    MRV_CreatePaintLayer(50, "Multiply");
    mrv::LayerSlot& p = engine().core.paintLayer;
    ASSERT_NE(p.pixels, nullptr);
    EXPECT_EQ(p.width, kW);
    EXPECT_EQ(p.opacity, 128);
    EXPECT_EQ(p.blendMode, 1);
    EXPECT_EQ(p.visible, 1);
    EXPECT_EQ(p.touchedLeft, kW);
    EXPECT_EQ(p.touchedTop, kH);
    EXPECT_EQ(p.touchedRight, 0);
    EXPECT_EQ(p.touchedBottom, 0);

    // A name too long keeps the previous name but still selects mode 0.
    const std::string tooLong(60, 'n');
    MRV_CreatePaintLayer(100, tooLong.c_str());
    EXPECT_STREQ(p.modeName, "Multiply");
    EXPECT_EQ(p.blendMode, 0);

    // The older clear fills with 0xFF and clears only the touched rectangle.
    p.touchedLeft = 1;
    p.touchedTop = 1;
    p.touchedRight = 3;
    p.touchedBottom = 3;
    MRV_ClearPaintLayer_old();
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const bool inside = x >= 1 && x < 3 && y >= 1 && y < 3;
            for (int c = 0; c < 4; ++c) ASSERT_EQ(p.pixels[y * p.stride + x * 4 + c], inside ? 0 : 0xFFFF);
        }
    EXPECT_EQ(p.touchedLeft, kW);
    EXPECT_EQ(p.touchedBottom, 0);

    // A touched rectangle beyond the layer is cut to it.
    p.touchedLeft = -10;
    p.touchedTop = -10;
    p.touchedRight = 100;
    p.touchedBottom = 100;
    MRV_ClearPaintLayer_old();
    for (int i = 0; i < kW * kH * 4; ++i) ASSERT_EQ(p.pixels[i], 0);

    p.pixels[5] = 9;
    MRV_ClearPaintLayer();
    for (int i = 0; i < kW * kH * 4; ++i) ASSERT_EQ(p.pixels[i], 0);
    MRV_DeletePaintLayer();
    EXPECT_EQ(p.pixels, nullptr);
    MRV_ClearPaintLayer();  // no PaintLayer: nothing happens
}

}  // namespace
