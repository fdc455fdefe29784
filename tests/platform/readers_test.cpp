// File readers: every fixture decodes to its known pixels and is recognised
// by content; damaged versions are refused or decoded without touching
// memory they do not own (run under the sanitizers); limits hold.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fixtures.h"
#include "platform/imaging/imaging.h"

using namespace mrv::platform;
using fixtures::Fixture;

namespace {

std::string tempPath(const std::string& name) {
    return std::string(::testing::TempDir()) + "mrv_" + std::to_string(getpid()) + "_" + name;
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

TEST(Readers, EveryFixtureDecodesToItsPixelsAndIsRecognised) {
    for (const Fixture& fx : fixtures::allFixtures()) {
        SCOPED_TRACE(fx.name);
        const std::string path = tempPath(fx.name);
        writeFile(path, fx.bytes);
        EXPECT_EQ(guessFileType(path.c_str()), fx.fileType);
        DecodedImage img{};
        ASSERT_TRUE(readImageToRGBA(path.c_str(), &img));
        std::remove(path.c_str());
        ASSERT_EQ(img.width, fx.width);
        ASSERT_EQ(img.height, fx.height);
        for (size_t i = 0; i < fx.rgba.size(); ++i)
            ASSERT_NEAR(img.pixels[i], fx.rgba[i], fx.tolerance) << "byte " << i;
        std::free(img.pixels);
    }
}

TEST(Readers, DamagedFilesAreRefusedOrReadSafely) {
    for (const Fixture& fx : fixtures::allFixtures()) {
        SCOPED_TRACE(fx.name);
        // Every truncation: refused unless only bytes the reader does not need are gone.
        for (size_t cut = 0; cut < fx.bytes.size(); ++cut) {
            std::vector<uint8_t> part(fx.bytes.begin(), fx.bytes.begin() + cut);
            DecodedImage img{nullptr, 0, 0};
            const bool ok = readImageToRGBAFromMemory(part.empty() ? nullptr : part.data(), part.size(), &img);
            if (cut + fx.truncationSlack < fx.bytes.size()) EXPECT_FALSE(ok) << "cut at " << cut;
            if (ok) std::free(img.pixels);
        }
        // Bit flips through the whole file, several bits a byte: any result, no fault.
        uint32_t seed = 7;
        for (size_t pos = 0; pos < fx.bytes.size(); ++pos) {
            for (int k = 0; k < 3; ++k) {
                seed = seed * 214013u + 2531011u;
                std::vector<uint8_t> bad = fx.bytes;
                bad[pos] ^= static_cast<uint8_t>(1u << ((seed >> 16) & 7));
                DecodedImage img{nullptr, 0, 0};
                if (readImageToRGBAFromMemory(bad.data(), bad.size(), &img)) {
                    EXPECT_GT(img.width, 0);
                    EXPECT_GT(img.height, 0);
                    std::free(img.pixels);
                }
            }
        }
    }
}

// Sets width and height in a PNG's header chunk and mends its checksum.
std::vector<uint8_t> withPngSize(std::vector<uint8_t> png, uint32_t w, uint32_t h) {
    auto put = [&](size_t at, uint32_t v) {
        png[at] = v >> 24, png[at + 1] = v >> 16, png[at + 2] = v >> 8, png[at + 3] = v;
    };
    put(16, w);
    put(20, h);
    put(29, static_cast<uint32_t>(crc32(0, png.data() + 12, 17)));
    return png;
}

TEST(Readers, AbsurdSizesAndWrongMagicAreRefused) {
    const auto tiny = fixtures::makePng(1, 1, PNG_COLOR_TYPE_GRAY, 8, {0});
    DecodedImage img{nullptr, 0, 0};
    // 20000 x 20000 is above the 16384 x 16384 limit: refused before any allocation.
    const auto huge = withPngSize(tiny, 20000, 20000);
    EXPECT_FALSE(readImageToRGBAFromMemory(huge.data(), huge.size(), &img));
    // A header that claims a big picture over one row of data: refused after the data runs out.
    const auto claims = withPngSize(tiny, 4000, 4000);
    EXPECT_FALSE(readImageToRGBAFromMemory(claims.data(), claims.size(), &img));

    fixtures::Bytes bmp;
    bmp.str("BM").le32(0).le32(0).le32(54).le32(40).le32(100000).le32(100000).le16(1).le16(24).le32(0).zeros(20);
    EXPECT_FALSE(readImageToRGBAFromMemory(bmp.v.data(), bmp.v.size(), &img));

    // BMP palette index beyond the colours in the file.
    fixtures::Bytes idx;
    idx.str("BM").le32(0).le32(0).le32(14 + 40 + 8).le32(40).le32(1).le32(1).le16(1).le16(8).le32(0).le32(4);
    idx.le32(0).le32(0).le32(2).le32(0).raw({0, 0, 0, 0, 255, 255, 255, 0}).raw({2, 0, 0, 0});
    EXPECT_FALSE(readImageToRGBAFromMemory(idx.v.data(), idx.v.size(), &img));
    idx.v[14 + 40 + 8] = 1;  // index 1 is in the palette: the same file reads
    ASSERT_TRUE(readImageToRGBAFromMemory(idx.v.data(), idx.v.size(), &img));
    EXPECT_EQ(img.pixels[0], 255);
    std::free(img.pixels);
    img.pixels = nullptr;  // failed reads below must leave it untouched

    // Headers of our own formats that claim far more than the file could hold
    // (a few bytes of runs for a big picture): refused without decoding.
    fixtures::Bytes pcx;
    pcx.raw({0x0A, 5, 1, 8}).le16(0).le16(0).le16(9999).le16(9999).le16(72).le16(72).zeros(48).u8(0).u8(3).le16(10000);
    pcx.zeros(128 - pcx.v.size()).raw({0xFF, 0, 0xFF, 0});
    EXPECT_FALSE(readImageToRGBAFromMemory(pcx.v.data(), pcx.v.size(), &img));
    fixtures::Bytes tga;
    tga.raw({0, 0, 10}).zeros(5).zeros(4).le16(16000).le16(16000).u8(24).u8(0).raw({0xFF, 1, 2, 3, 0xFF, 1, 2, 3});
    EXPECT_FALSE(readImageToRGBAFromMemory(tga.v.data(), tga.v.size(), &img));
    fixtures::Bytes psd;
    psd.str("8BPS").be16(1).zeros(6).be16(3).be32(20000).be32(20000).be16(8).be16(3).be32(0).be32(0).be32(0).be16(0);
    psd.zeros(64);
    EXPECT_FALSE(readImageToRGBAFromMemory(psd.v.data(), psd.v.size(), &img));

    // Metafiles are told apart by content but not read.
    fixtures::Bytes emf;
    emf.le32(1).le32(88).zeros(32).str(" EMF").zeros(44);
    const std::string emfPath = tempPath("m.emf");
    writeFile(emfPath, emf.v);
    EXPECT_EQ(guessFileType(emfPath.c_str()), kFileEmf);
    EXPECT_FALSE(readImageToRGBA(emfPath.c_str(), &img));
    std::remove(emfPath.c_str());

    const uint8_t text[] = "just some text, not a picture at all....";
    EXPECT_FALSE(readImageToRGBAFromMemory(text, sizeof text, &img));
    EXPECT_FALSE(readImageToRGBAFromMemory(nullptr, 10, &img));
    EXPECT_FALSE(readImageToRGBA("/nonexistent/file.png", &img));
    EXPECT_FALSE(readImageToRGBA(nullptr, &img));
    EXPECT_EQ(guessFileType("/nonexistent/file.png"), kFileUnknown);
    EXPECT_EQ(img.pixels, nullptr);
}

TEST(Readers, WrittenPngReadsBackTheSameBytes) {
    std::vector<uint8_t> rgba(7 * 5 * 4), rgb(7 * 5 * 3);
    for (size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<uint8_t>(i * 29 + 3);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i * 13 + 1);
    const std::string path = tempPath("roundtrip.png");
    ASSERT_TRUE(writePng(path.c_str(), rgba.data(), 7, 5, 4, 2835));
    DecodedImage img{};
    ASSERT_TRUE(readImageToRGBA(path.c_str(), &img));
    EXPECT_EQ(std::vector<uint8_t>(img.pixels, img.pixels + rgba.size()), rgba);
    std::free(img.pixels);
    ASSERT_TRUE(writePng(path.c_str(), rgb.data(), 7, 5, 3, 0));
    ASSERT_TRUE(readImageToRGBA(path.c_str(), &img));
    for (size_t i = 0; i < 35; ++i) {
        ASSERT_EQ(img.pixels[i * 4], rgb[i * 3]);
        ASSERT_EQ(img.pixels[i * 4 + 1], rgb[i * 3 + 1]);
        ASSERT_EQ(img.pixels[i * 4 + 2], rgb[i * 3 + 2]);
        ASSERT_EQ(img.pixels[i * 4 + 3], 255);
    }
    std::free(img.pixels);
    std::remove(path.c_str());
}

TEST(Readers, TenThousandSquareReads) {
    // The largest canvas the engine holds must decode: a grey PNG of 10000 x 10000.
    const int side = 10000;
    std::vector<uint8_t> raw(static_cast<size_t>(side) * side, 0);
    for (int y = 0; y < side; ++y) raw[static_cast<size_t>(y) * side + y] = 200;  // a diagonal to find again
    const auto png = fixtures::makePng(side, side, PNG_COLOR_TYPE_GRAY, 8, raw);
    raw.clear();
    raw.shrink_to_fit();
    DecodedImage img{};
    ASSERT_TRUE(readImageToRGBAFromMemory(png.data(), png.size(), &img));
    EXPECT_EQ(img.width, side);
    EXPECT_EQ(img.height, side);
    const size_t last = (static_cast<size_t>(side - 1) * side + side - 1) * 4;
    EXPECT_EQ(img.pixels[last], 200);
    EXPECT_EQ(img.pixels[last + 3], 255);
    EXPECT_EQ(img.pixels[last - 4], 0);
    std::free(img.pixels);
}

}  // namespace

namespace {

TEST(WriteJpeg, ReadsBackCloseWithItsDensity) {
    // 16 x 16 flat (100, 150, 200) with alpha 7, quality 95: alpha dropped, colour within 3.
    std::vector<uint8_t> rgba(16 * 16 * 4);
    for (size_t i = 0; i < 256; ++i) rgba[i * 4] = 100, rgba[i * 4 + 1] = 150, rgba[i * 4 + 2] = 200, rgba[i * 4 + 3] = 7;
    const std::string path = tempPath("w.jpg");
    ASSERT_TRUE(writeJpeg(path.c_str(), rgba.data(), 16, 16, 4, 95, 300));
    EXPECT_EQ(guessFileType(path.c_str()), kFileJpeg);
    DecodedImage img{};
    ASSERT_TRUE(readImageToRGBA(path.c_str(), &img));
    ASSERT_EQ(img.width, 16);
    for (size_t i = 0; i < 256; ++i) {
        ASSERT_NEAR(img.pixels[i * 4], 100, 3);
        ASSERT_NEAR(img.pixels[i * 4 + 1], 150, 3);
        ASSERT_NEAR(img.pixels[i * 4 + 2], 200, 3);
        ASSERT_EQ(img.pixels[i * 4 + 3], 255);
    }
    std::free(img.pixels);
    // The JFIF segment: units 1 (dots per inch) at byte 13, then 300 and 300 big-endian.
    FILE* f = std::fopen(path.c_str(), "rb");
    uint8_t head[18];
    ASSERT_EQ(std::fread(head, 1, sizeof head, f), sizeof head);
    std::fclose(f);
    EXPECT_EQ(std::memcmp(head + 6, "JFIF", 4), 0);
    EXPECT_EQ(head[13], 1);
    EXPECT_EQ(head[14] << 8 | head[15], 300);
    EXPECT_EQ(head[16] << 8 | head[17], 300);
    std::remove(path.c_str());
    EXPECT_FALSE(writeJpeg(path.c_str(), rgba.data(), 16, 16, 2, 95, 300));
    EXPECT_FALSE(writeJpeg("/nonexistent-dir/x.jpg", rgba.data(), 16, 16, 4, 95, 300));
}

}  // namespace
