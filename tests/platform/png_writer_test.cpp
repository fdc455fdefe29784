// PNG writing, checked with libpng itself, and the two file-writing exports.
#include <gtest/gtest.h>
#include <morvane/morvane.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/imaging/imaging.h"

namespace {

struct PngFile {
    uint32_t width = 0, height = 0;
    int colorType = -1, bitDepth = 0;
    uint32_t ppmX = 0, ppmY = 0;
    int unit = -1;
    std::vector<uint8_t> pixels;
};

// Reads a PNG with libpng's own calls, independent of our readers.
bool readWithLibpng(const std::string& path, PngFile* out) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_read_info(png, info);
    out->width = png_get_image_width(png, info);
    out->height = png_get_image_height(png, info);
    out->colorType = png_get_color_type(png, info);
    out->bitDepth = png_get_bit_depth(png, info);
    png_uint_32 x = 0, y = 0;
    int unit = -1;
    if (png_get_pHYs(png, info, &x, &y, &unit)) {
        out->ppmX = x;
        out->ppmY = y;
        out->unit = unit;
    }
    const size_t rowBytes = png_get_rowbytes(png, info);
    out->pixels.resize(rowBytes * out->height);
    for (uint32_t r = 0; r < out->height; ++r) png_read_row(png, out->pixels.data() + r * rowBytes, nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    return true;
}

std::string tempPath(const char* name) {
    return std::string(::testing::TempDir()) + "mrv_" + std::to_string(getpid()) + "_" + name;
}

TEST(WritePng, Rgba32ExactWithResolution) {
    const std::string path = tempPath("rgba.png");
    const std::vector<uint8_t> px = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 1, 2, 3, 4, 250, 251, 252, 253, 9, 8, 7, 6};
    // 300 dpi * 39.3700787 = 11811.02 -> 11811 pixels per metre.
    ASSERT_EQ(MRV_WriteToFileRGBA32(px.data(), 3, 2, path.c_str(), ".PnG", 300), 1);
    PngFile f;
    ASSERT_TRUE(readWithLibpng(path, &f));
    EXPECT_EQ(f.width, 3u);
    EXPECT_EQ(f.height, 2u);
    EXPECT_EQ(f.colorType, PNG_COLOR_TYPE_RGB_ALPHA);
    EXPECT_EQ(f.bitDepth, 8);
    EXPECT_EQ(f.ppmX, 11811u);
    EXPECT_EQ(f.ppmY, 11811u);
    EXPECT_EQ(f.unit, PNG_RESOLUTION_METER);
    EXPECT_EQ(f.pixels, px);
    std::remove(path.c_str());
}

TEST(WritePng, Rgb24ExactAndSeventyTwoDpi) {
    const std::string path = tempPath("rgb.png");
    const std::vector<uint8_t> px = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
    // 72 dpi -> 2834.6456 -> 2834.
    ASSERT_EQ(MRV_WriteToFileRGB24(px.data(), 2, 2, path.c_str(), ".png", 72), 1);
    PngFile f;
    ASSERT_TRUE(readWithLibpng(path, &f));
    EXPECT_EQ(f.colorType, PNG_COLOR_TYPE_RGB);
    EXPECT_EQ(f.ppmX, 2834u);
    EXPECT_EQ(f.pixels, px);
    std::remove(path.c_str());
    // No resolution record for a resolution that is not positive.
    ASSERT_EQ(MRV_WriteToFileRGB24(px.data(), 2, 2, path.c_str(), ".png", 0), 1);
    PngFile g;
    ASSERT_TRUE(readWithLibpng(path, &g));
    EXPECT_EQ(g.unit, -1);
    std::remove(path.c_str());
}

TEST(WritePng, RefusalsWriteNothing) {
    const std::string path = tempPath("none.png");
    std::remove(path.c_str());
    const uint8_t px[16] = {};
    EXPECT_EQ(MRV_WriteToFileRGB24(px, 2, 2, path.c_str(), ".gif", 72), 0);   // not written yet
    EXPECT_EQ(MRV_WriteToFileRGB24(px, 2, 2, path.c_str(), "png", 72), 0);    // whole extension, with its dot
    EXPECT_EQ(MRV_WriteToFileRGB24(px, 2, 2, path.c_str(), ".pngx", 72), 0);
    EXPECT_EQ(MRV_WriteToFileRGBA32(nullptr, 2, 2, path.c_str(), ".png", 72), 0);
    EXPECT_EQ(MRV_WriteToFileRGBA32(px, 0, 2, path.c_str(), ".png", 72), 0);
    EXPECT_EQ(MRV_WriteToFileRGBA32(px, 2, 2, nullptr, ".png", 72), 0);
    EXPECT_EQ(MRV_WriteToFileRGBA32(px, 2, 2, path.c_str(), nullptr, 72), 0);
    EXPECT_EQ(access(path.c_str(), F_OK), -1);
    // An unwritable destination fails and leaves nothing behind.
    EXPECT_EQ(MRV_WriteToFileRGBA32(px, 2, 2, "/nonexistent-dir/x.png", ".png", 72), 0);
    EXPECT_FALSE(mrv::platform::writePng(path.c_str(), px, 2, 2, 2, 0));  // two channels: not a mode we write
}

}  // namespace
