// Run-length line codecs: run splitting at 255, low bytes ignored, decoding
// bounded by n, and the layer and mask line functions.
#include <gtest/gtest.h>
#include <morvane/morvane.h>

#include <vector>

#include "core/engine_state.h"

using mrv::engine;

namespace {

std::vector<uint16_t> pixels(int n, uint16_t r, uint16_t g, uint16_t b, uint16_t a) {
    std::vector<uint16_t> p;
    for (int i = 0; i < n; ++i) p.insert(p.end(), {r, g, b, a});
    return p;
}

TEST(RleCodecs, LongRunsSplitAt255) {
    const std::vector<uint16_t> row = pixels(300, 0x1200, 0x3400, 0x5600, 0xFFFF);
    std::vector<uint8_t> out(5 * 300, 0xEE);
    ASSERT_EQ(MRV_RLECompressRGBA64ToRGBA32(row.data(), out.data(), 300), 10);
    const uint8_t expected[10] = {255, 0x12, 0x34, 0x56, 0xFF, 45, 0x12, 0x34, 0x56, 0xFF};
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 10), std::vector<uint8_t>(expected, expected + 10));
    EXPECT_EQ(out[10], 0xEE);
    std::vector<uint16_t> back(300 * 4, 1);
    MRV_RLEUncompressRGBA32ToRGBA64(out.data(), back.data(), 300);
    EXPECT_EQ(back, pixels(300, 0x1200, 0x3400, 0x5600, 0xFF00));

    // The mask form splits the same way: 256 values -> 255 + 1.
    std::vector<uint16_t> mask(256, 0xFFFF);
    std::vector<uint8_t> m(2 * 256, 0);
    ASSERT_EQ(MRV_RLECompressG16ToG8(mask.data(), m.data(), 256), 4);
    EXPECT_EQ(m[0], 255);
    EXPECT_EQ(m[1], 0xFF);
    EXPECT_EQ(m[2], 1);
    EXPECT_EQ(m[3], 0xFF);
    std::vector<uint16_t> maskBack(256, 0);
    MRV_RLEUncompressG8ToG16(m.data(), maskBack.data(), 256);
    for (uint16_t v : maskBack) ASSERT_EQ(v, 0xFF00) << "decodes to 0xFF00, not 0xFFFF";
}

TEST(RleCodecs, LowBytesDoNotBreakRunsAndAreDropped) {
    const uint16_t row[8] = {0x12FF, 0, 0, 0xFFFF, 0x1200, 0, 0, 0xFF00};
    uint8_t out[10];
    ASSERT_EQ(MRV_RLECompressRGBA64ToRGBA32(row, out, 2), 5);
    EXPECT_EQ(out[0], 2);
    uint16_t back[8];
    MRV_RLEUncompressRGBA32ToRGBA64(out, back, 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(back[i * 4 + 0], 0x1200);
        EXPECT_EQ(back[i * 4 + 3], 0xFF00);
    }
    const uint16_t mask[3] = {0x80FF, 0x8001, 0x7FFF};
    uint8_t m[6];
    ASSERT_EQ(MRV_RLECompressG16ToG8(mask, m, 3), 4);
    EXPECT_EQ(m[0], 2);
    EXPECT_EQ(m[1], 0x80);
    EXPECT_EQ(m[2], 1);
    EXPECT_EQ(m[3], 0x7F);
}

TEST(RleCodecs, SmallCountsAndAlternatingRows) {
    const std::vector<uint16_t> one = pixels(1, 0xAB00, 0, 0, 0);
    uint8_t out[5 * 6];
    EXPECT_EQ(MRV_RLECompressRGBA64ToRGBA32(one.data(), out, 1), 5);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[1], 0xAB);
    EXPECT_EQ(MRV_RLECompressRGBA64ToRGBA32(one.data(), out, 0), 0);
    EXPECT_EQ(MRV_RLECompressRGBA64ToRGBA32(one.data(), out, -3), 0);
    EXPECT_EQ(MRV_RLECompressG16ToG8(one.data(), out, 0), 0);
    // Two colours alternating: one run per pixel, 5 * n bytes.
    std::vector<uint16_t> alt;
    for (int i = 0; i < 6; ++i) alt.insert(alt.end(), {uint16_t(i % 2 ? 0xFF00 : 0), 0, 0, 0xFF00});
    EXPECT_EQ(MRV_RLECompressRGBA64ToRGBA32(alt.data(), out, 6), 30);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(out[i * 5], 1);
    // Null pointers.
    EXPECT_EQ(MRV_RLECompressRGBA64ToRGBA32(nullptr, out, 6), 0);
    EXPECT_EQ(MRV_RLECompressRGBA64ToRGBA32(alt.data(), nullptr, 6), 0);
    EXPECT_EQ(MRV_RLECompressG16ToG8(nullptr, out, 6), 0);
    MRV_RLEUncompressRGBA32ToRGBA64(nullptr, alt.data(), 6);
    MRV_RLEUncompressG8ToG16(out, nullptr, 6);
}

TEST(RleCodecs, DecodingNeverWritesPastN) {
    // One run of 255 decoded into 10 pixels: the run is cut at n.
    const uint8_t runs[] = {255, 1, 2, 3, 4, 0, 9, 9, 9, 9};
    std::vector<uint16_t> out(11 * 4, 0xBEEF);
    MRV_RLEUncompressRGBA32ToRGBA64(runs, out.data(), 10);
    EXPECT_EQ(out[9 * 4 + 3], 4 * 256);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(out[10 * 4 + k], 0xBEEF);
    // n = 0 writes nothing; a zero-length run writes nothing and decoding goes on.
    std::fill(out.begin(), out.end(), 0xBEEF);
    MRV_RLEUncompressRGBA32ToRGBA64(runs, out.data(), 0);
    EXPECT_EQ(out[0], 0xBEEF);
    const uint8_t withZero[] = {0, 7, 7, 7, 7, 2, 5, 6, 7, 8};
    MRV_RLEUncompressRGBA32ToRGBA64(withZero, out.data(), 2);
    EXPECT_EQ(out[0], 5 * 256);
    EXPECT_EQ(out[7], 8 * 256);
    EXPECT_EQ(out[8], 0xBEEF);
    const uint8_t mask[] = {0, 1, 200, 0x40};
    std::vector<uint16_t> m(4, 0xBEEF);
    MRV_RLEUncompressG8ToG16(mask, m.data(), 3);
    EXPECT_EQ(m[0], 0x4000);
    EXPECT_EQ(m[2], 0x4000);
    EXPECT_EQ(m[3], 0xBEEF);
}

class RleLines : public ::testing::Test {
protected:
    void SetUp() override {
        MRV_CreateImage(nullptr, kW, kH, 8, 0);
        ASSERT_EQ(MRV_CreateLayer(1, kW, kH), 1);
        ASSERT_EQ(MRV_CreateLayer(2, kW, kH), 1);
    }
    void TearDown() override { MRV_DeleteImage(); }
    static constexpr int kW = 6, kH = 3;
};

TEST_F(RleLines, LayerRowsRoundTripThroughTheLineFunctions) {
    uint16_t* row1 = engine().core.layers[1].pixels + 1 * kW * 4;
    for (int x = 0; x < kW; ++x) {
        row1[x * 4 + 0] = x < 4 ? 0x10FF : 0x2000;
        row1[x * 4 + 3] = 0xFFFF;
    }
    std::vector<uint8_t> out(5 * kW, 0);
    ASSERT_EQ(MRV_GetRGBA32LayerLineRLE(out.data(), 1, 1), 10);
    EXPECT_EQ(out[0], 4);
    EXPECT_EQ(out[5], 2);
    EXPECT_EQ(out[6], 0x20);
    MRV_PutRGBA32LayerLineRLE(out.data(), 2, 2);
    const uint16_t* row2 = engine().core.layers[2].pixels + 2 * kW * 4;
    EXPECT_EQ(row2[0], 0x1000);
    EXPECT_EQ(row2[3], 0xFF00);
    EXPECT_EQ(row2[5 * 4], 0x2000);
    EXPECT_EQ(engine().core.layers[2].pixels[1 * kW * 4 + 3], 0) << "other rows untouched";
    // Rows outside the canvas and empty or bad layers.
    EXPECT_EQ(MRV_GetRGBA32LayerLineRLE(out.data(), 1, kH), 0);
    EXPECT_EQ(MRV_GetRGBA32LayerLineRLE(out.data(), 1, -1), 0);
    EXPECT_EQ(MRV_GetRGBA32LayerLineRLE(out.data(), 3, 0), 0);
    EXPECT_EQ(MRV_GetRGBA32LayerLineRLE(out.data(), 64, 0), 0);
    EXPECT_EQ(MRV_GetRGBA32LayerLineRLE(nullptr, 1, 0), 0);
    MRV_PutRGBA32LayerLineRLE(out.data(), 2, kH);
    MRV_PutRGBA32LayerLineRLE(out.data(), -1, 0);
    MRV_PutRGBA32LayerLineRLE(nullptr, 2, 0);
}

TEST_F(RleLines, MaskRowsRoundTripThroughTheLineFunctions) {
    uint16_t* mask = engine().selection.maskPlane;
    mask[1 * kW + 0] = 0x0000;
    mask[1 * kW + 1] = 0x00FF;
    std::vector<uint8_t> out(2 * kW, 0);
    ASSERT_EQ(MRV_GetMaskLineRLE(out.data(), 1), 4);
    EXPECT_EQ(out[0], 2);
    EXPECT_EQ(out[1], 0);
    EXPECT_EQ(out[2], 4);
    EXPECT_EQ(out[3], 0xFF);
    MRV_PutMaskLineRLE(out.data(), 2);
    EXPECT_EQ(mask[2 * kW + 0], 0);
    EXPECT_EQ(mask[2 * kW + 1], 0);
    EXPECT_EQ(mask[2 * kW + 5], 0xFF00);
    EXPECT_EQ(mask[0], 0xFFFF);
    EXPECT_EQ(MRV_GetMaskLineRLE(out.data(), kH), 0);
    MRV_PutMaskLineRLE(out.data(), -1);
    MRV_DeleteImage();
    EXPECT_EQ(MRV_GetMaskLineRLE(out.data(), 0), 0) << "no mask plane";
    MRV_PutMaskLineRLE(out.data(), 0);
    MRV_CreateImage(nullptr, kW, kH, 8, 0);
}

TEST_F(RleLines, NarrowLayersCodeOnlyThePixelsTheyHold) {
    ASSERT_EQ(MRV_CreateLayer(3, 2, 2), 1);
    std::vector<uint8_t> out(5 * kW, 0);
    EXPECT_EQ(MRV_GetRGBA32LayerLineRLE(out.data(), 3, 1), 5);
    EXPECT_EQ(out[0], 2);
    EXPECT_EQ(MRV_GetRGBA32LayerLineRLE(out.data(), 3, 2), 0);
    const uint8_t wide[] = {6, 9, 9, 9, 9};
    MRV_PutRGBA32LayerLineRLE(wide, 3, 1);
    EXPECT_EQ(engine().core.layers[3].pixels[1 * 8 + 4], 0x0900);
}

}  // namespace
