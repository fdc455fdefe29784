// Canvas lifecycle, engine services and the random arrays.
#include <gtest/gtest.h>
#include <morvane/morvane.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "core/engine_state.h"
#include "core/random.h"
#include "core/services.h"

using mrv::engine;

namespace {

TEST(Canvas, SidesOutsideTheRangeBecome100) {
    struct Case { int32_t w, h, expectW, expectH; };
    const Case cases[] = {{-1, 20000, 100, 100}, {10000, 0, 10000, 0}, {10001, 7, 100, 7}, {0, -5, 0, 100}};
    for (const Case& c : cases) {
        MRV_CreateImage(nullptr, c.w, c.h, 8, 0);
        EXPECT_EQ(engine().core.canvasWidth, c.expectW) << c.w;
        EXPECT_EQ(engine().core.canvasHeight, c.expectH) << c.h;
        EXPECT_EQ(engine().core.canvasStride, c.expectW * 4);
        MRV_DeleteImage();
    }
}

TEST(Canvas, CreateImageStartsAFreshPicture) {
    MRV_CreateImage(nullptr, 1000, 1000, 16, 7);
    const mrv::EngineState& e = engine();
    // The two back buffers: 1000 * 1000 * 10 / 1024 kilobytes.
    EXPECT_EQ(e.undo.undoMemoryKb, 9765);
    EXPECT_EQ(MRV_GetCurrentUndoMemory(), 9);
    EXPECT_EQ(e.view.viewZoom, 1);
    EXPECT_EQ(e.view.viewScale, 1.0f);
    EXPECT_EQ(e.selection.maskEnabled, 1);
    EXPECT_EQ(e.selection.maskStride, 2000);
    EXPECT_EQ(e.core.traceLayer, &e.core.layers[0]);
    EXPECT_EQ(e.core.brushMaxStride, 64);
    for (int i = 0; i < 1000 * 1000; i += 997) ASSERT_EQ(e.selection.maskPlane[i], 0xFFFF);
    EXPECT_EQ(e.selection.maskPlane[999999], 0xFFFF);
    EXPECT_EQ(MRV_GetLayerCount(), 0);
    for (const uint8_t* grit : e.brush.gritTextures) EXPECT_NE(grit, nullptr);
    EXPECT_NE(e.brush.brushShape, nullptr);
    EXPECT_EQ(e.brush.blendBuffer.stride, 64);
    for (int i = 0; i < 16 * 16 * 4; ++i) ASSERT_EQ(e.brush.blendBuffer.pixels[i], 0);
    EXPECT_EQ(e.imaging.iplSrcBuffer32, nullptr);
    MRV_DeleteImage();
}

TEST(Canvas, SecondCreateImageReleasesTheFirstCanvas) {
    MRV_CreateImage(nullptr, 8, 8, 8, 0);
    ASSERT_EQ(MRV_CreateLayer(1, 8, 8), 1);
    ASSERT_EQ(MRV_CreateLayer(2, 8, 8), 1);
    MRV_SetLayer(2);
    MRV_CreatePaintLayer(100, "Normal");
    MRV_CreateImage(nullptr, 4, 4, 4, 0);  // no leak: checked by the sanitiser build
    EXPECT_EQ(MRV_GetLayerCount(), 0);
    EXPECT_EQ(engine().core.currentLayer, nullptr);
    EXPECT_EQ(MRV_GetLayerNum(), 2);  // the number is kept, the pointer is not
    EXPECT_EQ(engine().core.paintLayer.pixels, nullptr);
    EXPECT_EQ(engine().undo.undoMemoryKb, 4 * 4 * 10 / 1024);
    MRV_DeleteImage();
}

TEST(Canvas, NewSizeKeepsLayersAndReplacesWorkingBuffers) {
    MRV_NewSize(nullptr, 4, 4, 4, 0);  // before any canvas: just makes one
    MRV_CreateImage(nullptr, 4, 4, 4, 0);
    ASSERT_EQ(MRV_CreateLayer(1, 4, 4), 1);
    ASSERT_EQ(MRV_CreateLayer(2, 4, 4), 1);
    MRV_SetLayerOptions(2, 1, 0, 100, "Texturize3");
    ASSERT_NE(engine().core.textureMap, nullptr);
    MRV_CreatePaintLayer(100, "Normal");
    engine().view.viewZoom = 3;
    engine().selection.maskPlane[0] = 5;
    const uint16_t* layerPixels = engine().core.layers[2].pixels;

    MRV_NewSize(nullptr, 64, 32, 20, 0);
    const mrv::EngineState& e = engine();
    EXPECT_EQ(e.core.canvasWidth, 64);
    EXPECT_EQ(e.core.canvasHeight, 32);
    EXPECT_EQ(e.core.brushMaxSize, 20);
    EXPECT_EQ(e.core.layers[2].pixels, layerPixels);  // layers are the caller's to resize
    EXPECT_EQ(e.core.layers[2].width, 4);
    EXPECT_EQ(e.core.textureMap, nullptr);
    EXPECT_EQ(e.core.paintLayer.pixels, nullptr);
    EXPECT_EQ(e.view.viewZoom, 1);
    EXPECT_EQ(e.selection.maskPlane[0], 0xFFFF);
    EXPECT_EQ(e.undo.undoMemoryKb, 64 * 32 * 10 / 1024);
    MRV_DeleteImage();
}

TEST(Canvas, DeleteImageFreesEverythingButTheRandomArrays) {
    MRV_CreateImage(nullptr, 10, 6, 8, 0);
    ASSERT_EQ(MRV_CreateLayer(0, 10, 6), 1);
    ASSERT_EQ(MRV_CreateLayer(1, 10, 6), 1);
    MRV_CreatePaintLayer(100, "Normal");
    MRV_DeleteImage();
    const mrv::EngineState& e = engine();
    EXPECT_EQ(MRV_GetLayerCount(), 0);
    EXPECT_EQ(e.selection.maskPlane, nullptr);
    EXPECT_EQ(e.undo.undoBackBuffer, nullptr);
    EXPECT_EQ(e.undo.undoBackMask, nullptr);
    EXPECT_EQ(e.brush.brushShape, nullptr);
    EXPECT_EQ(e.brush.gritTextures[19], nullptr);
    EXPECT_EQ(e.core.paintLayer.pixels, nullptr);
    EXPECT_EQ(e.undo.undoMemoryKb, 0);
    EXPECT_EQ(e.core.canvasWidth, 10);  // the last size stays
    EXPECT_NE(e.core.randomBytes255.data, nullptr);
    MRV_DeleteImage();  // twice is harmless
}

TEST(Canvas, GettersAnswerBeforeAnyCanvas) {
    EXPECT_EQ(MRV_GetLayerCount(), 0);
    EXPECT_EQ(MRV_GetLayerNum(), 0);
    EXPECT_EQ(MRV_GetCurrentUndoMemory(), 0);
    EXPECT_EQ(MRV_CreateTexture(1), nullptr);
    MRV_SetLayer(1);
    MRV_SetLayerOptions(1, 1, 0, 100, "Normal");
    MRV_ClearPaintLayer();
    MRV_ClearPaintLayer_old();
    MRV_DeleteImage();
    EXPECT_EQ(engine().core.currentLayer, nullptr);
}

TEST(LastError, KeepsAtMost511Characters) {
    const std::string text(600, 'x');
    MRV_SetLastError(text.c_str());
    EXPECT_EQ(std::strlen(MRV_GetLastError()), 511u);
    MRV_SetLastError(nullptr);
    EXPECT_STREQ(MRV_GetLastError(), "");
    MRV_SetLastError("CreateImage Excpt");
    EXPECT_STREQ(MRV_GetLastError(), "CreateImage Excpt");
}

TEST(LastError, AnImpossibleCanvasReportsAndLeavesNothingBehind) {
    // brushMaxSize is cut to 10000, so grit textures stay allocatable; a
    // huge layer is refused instead of exhausting memory.
    MRV_CreateImage(nullptr, 16, 16, 1 << 30, 0);
    EXPECT_EQ(engine().core.brushMaxSize, 10000);
    EXPECT_EQ(MRV_CreateLayer(2, 1 << 20, 1 << 20), 0);
    EXPECT_EQ(MRV_CreateLayer(2, -1, 4), 0);
    EXPECT_EQ(engine().core.layers[2].pixels, nullptr);
    MRV_DeleteImage();
}

TEST(Services, MemoryBlocksAndCopies) {
    EXPECT_EQ(MRV_Alloc(-1), nullptr);
    char* block = static_cast<char*>(MRV_Alloc(8));
    ASSERT_NE(block, nullptr);
    std::memcpy(block, "abcdefg", 8);
    MRV_Memcpy(block, nullptr, 8);  // null source: nothing happens
    MRV_Memcpy(nullptr, "zz", 2);
    MRV_Memcpy(block, "zz", -3);
    EXPECT_STREQ(block, "abcdefg");
    MRV_Memcpy(block, "zz", 2);
    EXPECT_STREQ(block, "zzcdefg");
    EXPECT_EQ(BankAdrs(block), block);
    MRV_Free(block);
    MRV_Free(nullptr);
}

TEST(Services, RenameNeverReplacesAFile) {
    char dir[] = "/tmp/morvane-rename-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string a = std::string(dir) + "/a", b = std::string(dir) + "/b", c = std::string(dir) + "/c";
    for (const std::string* p : {&a, &b}) {
        FILE* f = std::fopen(p->c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fclose(f);
    }
    EXPECT_EQ(MRV_RenameFile(a.c_str(), b.c_str()), 0);
    EXPECT_EQ(access(a.c_str(), F_OK), 0);
    EXPECT_EQ(MRV_RenameFile(a.c_str(), c.c_str()), 1);
    EXPECT_NE(access(a.c_str(), F_OK), 0);
    EXPECT_EQ(MRV_RenameFile(nullptr, c.c_str()), 0);
    std::remove(b.c_str());
    std::remove(c.c_str());
    rmdir(dir);
}

TEST(Services, StartDirectoryShorterThan1024) {
    const std::string fits(1023, 'd'), tooLong(1024, 'e');
    MRV_SetStartDir(fits.c_str());
    EXPECT_EQ(std::string(engine().core.startDirectory), fits);
    MRV_SetStartDir(tooLong.c_str());
    EXPECT_EQ(std::string(engine().core.startDirectory), fits);
    MRV_SetStartDir(nullptr);
    EXPECT_EQ(std::string(engine().core.startDirectory), fits);
}

TEST(Services, DisplayChangeIsReportedOnce) {
    EXPECT_EQ(MRV_IsDisplayChanged(), 0);
    mrv::signalDisplayChange();
    EXPECT_EQ(MRV_IsDisplayChanged(), 1);
    EXPECT_EQ(MRV_IsDisplayChanged(), 0);
}

TEST(Services, LinuxStandIns) {
    EXPECT_STREQ(MRV_GetDirInfo(), "/usr/share");
    EXPECT_EQ(MRV_IsCompositionEnabled(), 0);
    EXPECT_EQ(MRV_SetWindowRedraw(nullptr, 1), 0);
    EXPECT_EQ(MRV_RedrawWindow(nullptr), 0);
    EXPECT_EQ(MRV_GetWindowBackgroundColor(), 0x00F0F0F0);
    EXPECT_EQ(MRV_GetWindowTextColor(), 0);
    EXPECT_EQ(MRV_GetWindowCaptionSize(), 23);
    EXPECT_EQ(MRV_GetWindowSmallCaptionSize(), 23);
    EXPECT_EQ(MRV_GetWindowFixedFrameSize(), 3);
    // 2^47 bytes of user address space is 134217728 megabytes.
    EXPECT_EQ(MRV_GetTotalVirMemory(), 134217728);
    EXPECT_GT(MRV_GetTotalPhyMemory(), 0);
    EXPECT_LE(MRV_GetAvailPhyMemory(), MRV_GetTotalPhyMemory());
    EXPECT_LE(MRV_GetAvailPgMemory(), MRV_GetTotalPgMemory());
    EXPECT_LT(MRV_GetAvailVirMemory(), MRV_GetTotalVirMemory());
}

TEST(Random, FollowsTheEngineSequence) {
    // state = state * 214013 + 2531011; result = (state >> 16) & 0x7FFF.
    // From seed 1 the first results are 41, 18467, 6334, 26500.
    mrv::seedRandom(1);
    EXPECT_EQ(mrv::nextRandom(), 41);
    EXPECT_EQ(mrv::nextRandom(), 18467);
    EXPECT_EQ(mrv::nextRandom(), 6334);
    EXPECT_EQ(mrv::nextRandom(), 26500);
    // From seed 0: state 2531011, 2531011 >> 16 = 38.
    mrv::seedRandom(0);
    EXPECT_EQ(mrv::nextRandom(), 38);
}

TEST(Random, ArraysComeFromTheSeedAndAreKeptWhenUnchanged) {
    MRV_SetRandomSeed(1);
    MRV_CreateImage(nullptr, 4, 4, 4, 0);
    const mrv::RandArrayByte& a255 = engine().core.randomBytes255;
    const mrv::RandArrayByte& a254 = engine().core.randomBytes254;
    ASSERT_NE(a255.data, nullptr);
    EXPECT_EQ(a255.length, 1000000);
    EXPECT_EQ(a255.modulus, 255);
    EXPECT_EQ(a255.seed, 1);
    // 41 % 255, 18467 % 255 = 107, 6334 % 255 = 214, 26500 % 255 = 235.
    EXPECT_EQ(a255.data[0], 41);
    EXPECT_EQ(a255.data[1], 107);
    EXPECT_EQ(a255.data[2], 214);
    EXPECT_EQ(a255.data[3], 235);
    // The second array restarts from the same seed: 18467 % 254 = 179, 6334 % 254 = 238.
    EXPECT_EQ(a254.data[0], 41);
    EXPECT_EQ(a254.data[1], 179);
    EXPECT_EQ(a254.data[2], 238);
    int max255 = 0, max254 = 0;
    for (int i = 0; i < 1000000; ++i) {
        max255 = std::max<int>(max255, a255.data[i]);
        max254 = std::max<int>(max254, a254.data[i]);
    }
    EXPECT_EQ(max255, 254);
    EXPECT_EQ(max254, 253);

    const uint8_t* kept = a255.data;
    MRV_NewSize(nullptr, 4, 4, 4, 0);
    EXPECT_EQ(a255.data, kept);  // same seed: the array is kept

    MRV_SetRandomSeed(2);
    MRV_NewSize(nullptr, 4, 4, 4, 0);
    EXPECT_EQ(a255.seed, 2);
    // 2 * 214013 + 2531011 = 2959037, >> 16 = 45.
    EXPECT_EQ(a255.data[0], 45);
    MRV_DeleteImage();
}

}  // namespace
