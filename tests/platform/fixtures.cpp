// Fixture files for the reader tests. PNG, JPEG, TIFF and GIF come from the
// real libraries' writers; BMP, TGA, PCX and PSD are assembled byte by byte
// from their published layouts so that our readers are checked against the
// format, not against themselves.
#include "fixtures.h"

#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

#include "platform/imaging/imaging.h"

namespace fixtures {

using mrv::platform::FileType;

namespace {

void pngAppend(png_structp png, png_bytep data, png_size_t n) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}
void pngFlush(png_structp) {}

// Top-left red, top-right green, bottom-left blue, bottom-right (10, 20, 30), all opaque.
const std::vector<uint8_t> kQuad = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 10, 20, 30, 255};

std::vector<uint8_t> makeJpeg(int width, int height, J_COLOR_SPACE space, int components, const uint8_t* pixel) {
    jpeg_compress_struct c;
    jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = width;
    c.image_height = height;
    c.input_components = components;
    c.in_color_space = space;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(width) * components);
    for (int x = 0; x < width; ++x) std::memcpy(&row[x * components], pixel, components);
    while (c.next_scanline < c.image_height) {
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<uint8_t> out(mem, mem + size);
    jpeg_destroy_compress(&c);
    std::free(mem);
    return out;
}

std::vector<uint8_t> makeTiff(int width, int height, const std::vector<uint8_t>& rgba, uint16_t compression) {
    const std::string path = std::string(::testing::TempDir()) + "mrv_fixture_" + std::to_string(getpid()) + ".tif";
    TIFF* t = TIFFOpen(path.c_str(), "w");
    TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(t, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 4);
    TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(t, TIFFTAG_COMPRESSION, compression);
    const uint16_t extra = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(t, TIFFTAG_EXTRASAMPLES, 1, &extra);
    TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, height);
    for (int y = 0; y < height; ++y)
        TIFFWriteScanline(t, const_cast<uint8_t*>(&rgba[static_cast<size_t>(y) * width * 4]), y, 0);
    TIFFClose(t);
    std::vector<uint8_t> out;
    FILE* f = std::fopen(path.c_str(), "rb");
    int ch;
    while ((ch = std::fgetc(f)) != EOF) out.push_back(static_cast<uint8_t>(ch));
    std::fclose(f);
    std::remove(path.c_str());
    return out;
}

int gifAppend(GifFileType* gif, const GifByteType* data, int n) {
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + n);
    return n;
}

// 3 x 2 screen, colours: 0 red, 1 green, 2 blue, 3 transparent. Rows: 0 1 2 / 3 0 1.
std::vector<uint8_t> makeGif() {
    std::vector<uint8_t> out;
    int err = 0;
    GifFileType* gif = EGifOpen(&out, gifAppend, &err);
    GifColorType colors[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 9, 9}};
    ColorMapObject* map = GifMakeMapObject(4, colors);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, 3, 2, 8, 0, map);
    GraphicsControlBlock gcb{};
    gcb.TransparentColor = 3;
    gcb.DelayTime = 0;
    gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
    GifByteType ext[4];
    const size_t len = EGifGCBToExtension(&gcb, ext);
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(len), ext);
    EGifPutImageDesc(gif, 0, 0, 3, 2, false, nullptr);
    GifPixelType row0[3] = {0, 1, 2}, row1[3] = {3, 0, 1};
    EGifPutLine(gif, row0, 3);
    EGifPutLine(gif, row1, 3);
    EGifCloseFile(gif, &err);
    GifFreeMapObject(map);
    return out;
}

// 2 x 9 interlaced frame: row y uses index y mod 3 (red, green, blue). GIF
// stores interlaced rows in four passes: 0, 8 / 4 / 2, 6 / 1, 3, 5, 7.
std::vector<uint8_t> makeInterlacedGif() {
    std::vector<uint8_t> out;
    int err = 0;
    GifFileType* gif = EGifOpen(&out, gifAppend, &err);
    GifColorType colors[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {0, 0, 0}};
    ColorMapObject* map = GifMakeMapObject(4, colors);
    EGifPutScreenDesc(gif, 2, 9, 8, 0, map);
    EGifPutImageDesc(gif, 0, 0, 2, 9, true, nullptr);
    for (int y : {0, 8, 4, 2, 6, 1, 3, 5, 7}) {
        GifPixelType row[2] = {static_cast<GifPixelType>(y % 3), static_cast<GifPixelType>(y % 3)};
        EGifPutLine(gif, row, 2);
    }
    EGifCloseFile(gif, &err);
    GifFreeMapObject(map);
    return out;
}

Bytes bmpHeaders(int width, int height, int bits, uint32_t compression, uint32_t colors, uint32_t dataSize) {
    const uint32_t offset = 14 + 40 + colors * 4;
    Bytes b;
    b.str("BM").le32(offset + dataSize).le32(0).le32(offset);
    b.le32(40).le32(width).le32(static_cast<uint32_t>(height)).le16(1).le16(bits).le32(compression).le32(dataSize);
    b.le32(2835).le32(2835).le32(colors).le32(0);
    return b;
}

}  // namespace

std::vector<uint8_t> makePng(int width, int height, int colorType, int bitDepth, const std::vector<uint8_t>& raw,
                             const std::vector<uint8_t>& palette, const std::vector<uint8_t>& trns) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, pngAppend, pngFlush);
    png_set_IHDR(png, info, width, height, bitDepth, colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty())
        png_set_PLTE(png, info, reinterpret_cast<png_const_colorp>(palette.data()), static_cast<int>(palette.size() / 3));
    if (!trns.empty()) png_set_tRNS(png, info, trns.data(), static_cast<int>(trns.size()), nullptr);
    png_write_info(png, info);
    if (bitDepth == 16) png_set_swap(png);  // our raw rows are little-endian 16-bit
    const size_t rowBytes = raw.size() / height;
    for (int y = 0; y < height; ++y) png_write_row(png, raw.data() + y * rowBytes);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::vector<Fixture> allFixtures() {
    std::vector<Fixture> f;

    // PNG: 8-bit RGBA, 16-bit RGB (high bytes kept), palette with transparency, 2-bit grey.
    {
        const std::vector<uint8_t> rgba = {1, 2, 3, 4, 250, 251, 252, 253, 0, 0, 0, 0, 128, 64, 32, 16};
        f.push_back({"png-rgba8", FileType::kFilePng, makePng(2, 2, PNG_COLOR_TYPE_RGB_ALPHA, 8, rgba), 2, 2, rgba, 0, 0});
        std::vector<uint8_t> raw16;
        for (uint16_t v : {0x1234, 0xABCD, 0xFFFF, 0x00FF, 0x8000, 0x7FFF})
            raw16.push_back(v & 0xFF), raw16.push_back(v >> 8);
        f.push_back({"png-rgb16", FileType::kFilePng, makePng(2, 1, PNG_COLOR_TYPE_RGB, 16, raw16), 2, 1,
                     {0x12, 0xAB, 0xFF, 255, 0x00, 0x80, 0x7F, 255}, 0, 0});
        f.push_back({"png-palette", FileType::kFilePng,
                     makePng(3, 1, PNG_COLOR_TYPE_PALETTE, 8, {2, 0, 1}, {10, 20, 30, 40, 50, 60, 70, 80, 90}, {128}),
                     3, 1, {70, 80, 90, 255, 10, 20, 30, 128, 40, 50, 60, 255}, 0, 0});
        // 2-bit grey 0..3 expands to 0, 85, 170, 255: one byte 0b00011011.
        f.push_back({"png-grey2", FileType::kFilePng, makePng(4, 1, PNG_COLOR_TYPE_GRAY, 2, {0x1B}), 4, 1,
                     {0, 0, 0, 255, 85, 85, 85, 255, 170, 170, 170, 255, 255, 255, 255, 255}, 0, 0});
    }
    // JPEG: flat colour, grey and Adobe CMYK, 16 x 8 (lossy: small tolerance).
    {
        const uint8_t rgb[3] = {100, 150, 200}, grey[1] = {77}, cmyk[4] = {255, 0, 0, 255};
        std::vector<uint8_t> want(16 * 8 * 4);
        for (size_t i = 0; i < 128; ++i) want[i * 4] = 100, want[i * 4 + 1] = 150, want[i * 4 + 2] = 200, want[i * 4 + 3] = 255;
        f.push_back({"jpeg-rgb", FileType::kFileJpeg, makeJpeg(16, 8, JCS_RGB, 3, rgb), 16, 8, want, 3, 0});
        for (size_t i = 0; i < 128; ++i) want[i * 4] = want[i * 4 + 1] = want[i * 4 + 2] = 77;
        f.push_back({"jpeg-grey", FileType::kFileJpeg, makeJpeg(16, 8, JCS_GRAYSCALE, 1, grey), 16, 8, want, 1, 0});
        for (size_t i = 0; i < 128; ++i) want[i * 4] = 255, want[i * 4 + 1] = 0, want[i * 4 + 2] = 0;
        f.push_back({"jpeg-cmyk", FileType::kFileJpeg, makeJpeg(16, 8, JCS_CMYK, 4, cmyk), 16, 8, want, 3, 0});
    }
    // TIFF: RGBA with unassociated alpha, uncompressed and LZW.
    {
        const std::vector<uint8_t> rgba = {1, 2, 3, 255, 40, 50, 60, 70, 200, 100, 0, 255, 9, 8, 7, 0};
        f.push_back({"tiff-raw", FileType::kFileTiff, makeTiff(2, 2, rgba, COMPRESSION_NONE), 2, 2, rgba, 0, 0});
        f.push_back({"tiff-lzw", FileType::kFileTiff, makeTiff(2, 2, rgba, COMPRESSION_LZW), 2, 2, rgba, 0, 0});
    }
    // GIF: first frame with a transparent index. The trailer byte is not needed to read frame one.
    f.push_back({"gif", FileType::kFileGif, makeGif(), 3, 2,
                 {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 0, 0, 0, 0, 255, 0, 0, 255, 0, 255, 0, 255}, 0, 1});

    {
        std::vector<uint8_t> want;
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 2; ++x)
                want.insert(want.end(), {static_cast<uint8_t>(y % 3 == 0 ? 255 : 0), static_cast<uint8_t>(y % 3 == 1 ? 255 : 0),
                                         static_cast<uint8_t>(y % 3 == 2 ? 255 : 0), 255});
        f.push_back({"gif-interlaced", FileType::kFileGif, makeInterlacedGif(), 2, 9, want, 0, 1});
    }
    // BMP 1-bit, 9 wide: bits 1 0 1 1 0 0 0 1 | 1, rows padded to 4 bytes; index 1 is (10, 20, 30).
    {
        Bytes b = bmpHeaders(9, 1, 1, 0, 2, 4);
        b.raw({0, 0, 0, 0, 30, 20, 10, 0});
        b.raw({0xB1, 0x80, 0, 0});
        std::vector<uint8_t> want;
        for (int bit : {1, 0, 1, 1, 0, 0, 0, 1, 1})
            want.insert(want.end(), {static_cast<uint8_t>(bit * 10), static_cast<uint8_t>(bit * 20), static_cast<uint8_t>(bit * 30), 255});
        f.push_back({"bmp-1", FileType::kFileBmp, b.v, 9, 1, want, 0, 0});
    }
    // BMP 32-bit with colour masks after a 40-byte header: 0x00112233 is red 0x11, green 0x22, blue 0x33.
    {
        Bytes b;
        b.str("BM").le32(14 + 40 + 12 + 4).le32(0).le32(14 + 40 + 12);
        b.le32(40).le32(1).le32(1).le16(1).le16(32).le32(3).le32(4).le32(0).le32(0).le32(0).le32(0);
        b.le32(0x00FF0000).le32(0x0000FF00).le32(0x000000FF);
        b.le32(0x00112233);
        f.push_back({"bmp-bitfields", FileType::kFileBmp, b.v, 1, 1, {0x11, 0x22, 0x33, 255}, 0, 0});
    }
    // BMP 24-bit 2 x 2: rows bottom-up, blue-green-red, padded to 8 bytes.
    {
        Bytes b = bmpHeaders(2, 2, 24, 0, 0, 16);
        b.raw({255, 0, 0, 30, 20, 10, 0, 0});     // bottom: blue, (10, 20, 30)
        b.raw({0, 0, 255, 0, 255, 0, 0, 0});      // top: red, green
        f.push_back({"bmp-24", FileType::kFileBmp, b.v, 2, 2, kQuad, 0, 0});
    }
    // BMP 8-bit run-length with a 3-colour palette: bottom row a run of two of index 2,
    // end of line, top row runs of one of index 0 and one of index 1, end of bitmap.
    {
        Bytes b = bmpHeaders(2, 2, 8, 1, 3, 10);
        b.raw({0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0});  // palette: red, green, blue (blue-green-red-0)
        b.raw({2, 2, 0, 0, 1, 0, 1, 1, 0, 1});
        f.push_back({"bmp-rle8", FileType::kFileBmp, b.v, 2, 2,
                     {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 0, 0, 255, 255}, 0, 0});
    }
    // TGA true colour 24-bit, bottom-left origin.
    {
        Bytes b;
        b.raw({0, 0, 2}).zeros(5).zeros(4).le16(2).le16(2).u8(24).u8(0);
        b.raw({255, 0, 0, 30, 20, 10});  // bottom row: blue, (10, 20, 30)
        b.raw({0, 0, 255, 0, 255, 0});   // top row: red, green
        f.push_back({"tga-24", FileType::kFileTga, b.v, 2, 2, kQuad, 0, 0});
    }
    // TGA run-length 32-bit, top-left origin, 8 alpha bits: a run of two then two raw pixels.
    {
        Bytes b;
        b.raw({0, 0, 10}).zeros(5).zeros(4).le16(2).le16(2).u8(32).u8(0x28);
        b.raw({0x81, 3, 2, 1, 200});
        b.raw({0x01, 30, 20, 10, 0, 60, 50, 40, 255});
        f.push_back({"tga-rle32", FileType::kFileTga, b.v, 2, 2,
                     {1, 2, 3, 200, 1, 2, 3, 200, 10, 20, 30, 0, 40, 50, 60, 255}, 0, 0});
    }
    // TGA colour-mapped: entries 5 and 6 (first index 5), 24-bit, top-left origin.
    {
        Bytes b;
        b.raw({0, 1, 1}).le16(5).le16(2).u8(24).zeros(4).le16(2).le16(1).u8(8).u8(0x20);
        b.raw({3, 2, 1, 6, 5, 4});
        b.raw({6, 5});
        f.push_back({"tga-mapped", FileType::kFileTga, b.v, 2, 1, {4, 5, 6, 255, 1, 2, 3, 255}, 0, 0});
    }
    // PCX 8-bit with the 256-colour palette; runs above 0xBF need the escape.
    {
        Bytes b;
        b.raw({0x0A, 5, 1, 8}).le16(0).le16(0).le16(1).le16(1).le16(72).le16(72).zeros(48).u8(0).u8(1).le16(2);
        b.zeros(128 - b.v.size());
        b.raw({0xC2, 0x01, 0x02, 0xC1, 0xC5});
        b.u8(0x0C);
        std::vector<uint8_t> pal(768, 0);
        pal[3] = 1, pal[4] = 2, pal[5] = 3, pal[6] = 4, pal[7] = 5, pal[8] = 6;
        pal[0xC5 * 3] = 7, pal[0xC5 * 3 + 1] = 8, pal[0xC5 * 3 + 2] = 9;
        b.v.insert(b.v.end(), pal.begin(), pal.end());
        f.push_back({"pcx-8", FileType::kFilePcx, b.v, 2, 2,
                     {1, 2, 3, 255, 1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255}, 0, 0});
    }
    // PCX 24-bit as three planes, one scan line of two pixels.
    {
        Bytes b;
        b.raw({0x0A, 5, 1, 8}).le16(0).le16(0).le16(1).le16(0).le16(72).le16(72).zeros(48).u8(0).u8(3).le16(2);
        b.zeros(128 - b.v.size());
        b.raw({10, 40, 20, 50, 30, 60});
        f.push_back({"pcx-24", FileType::kFilePcx, b.v, 2, 1, {10, 20, 30, 255, 40, 50, 60, 255}, 0, 0});
    }
    // PSD RGB 8-bit with alpha, raw planes.
    {
        Bytes b;
        b.str("8BPS").be16(1).zeros(6).be16(4).be32(1).be32(2).be16(8).be16(3);
        b.be32(0).be32(0).be32(0).be16(0);
        b.raw({10, 40, 20, 50, 30, 60, 255, 128});
        f.push_back({"psd-rgba", FileType::kFilePsd, b.v, 2, 1, {10, 20, 30, 255, 40, 50, 60, 128}, 0, 0});
    }
    // PSD grey 16-bit, PackBits: a repeat of 0x80 (4 bytes) is two samples with high byte 0x80.
    {
        Bytes b;
        b.str("8BPS").be16(1).zeros(6).be16(1).be32(1).be32(2).be16(16).be16(1);
        b.be32(0).be32(0).be32(0).be16(1);
        b.be16(2).raw({0xFD, 0x80});  // -3: four copies
        f.push_back({"psd-grey16-rle", FileType::kFilePsd, b.v, 2, 1, {128, 128, 128, 255, 128, 128, 128, 255}, 0, 0});
    }
    return f;
}

}  // namespace fixtures
