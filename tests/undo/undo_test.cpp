// Undo store: records against the back buffer, undo and redo bit for bit,
// levels, the memory budget, reduction, and what happens around canvas and
// layer changes. Painting is simulated by writing layer pixels directly and
// widening the undo rectangle the way the dab renderer does.
#include <gtest/gtest.h>
#include <morvane/morvane.h>

#include <cstring>
#include <vector>

#include "core/engine_state.h"
#include "platform/os/system_info.h"
#include "undo/undo_store.h"

namespace {

using mrv::engine;

std::vector<uint16_t> layerCopy(int32_t n) {
    const mrv::LayerSlot& s = engine().core.layers[n];
    return std::vector<uint16_t>(s.pixels, s.pixels + static_cast<size_t>(s.width) * s.height * 4);
}

std::vector<uint16_t> backBufferCopy() {
    const mrv::CoreState& c = engine().core;
    const uint16_t* b = engine().undo.undoBackBuffer;
    return std::vector<uint16_t>(b, b + static_cast<size_t>(c.canvasWidth) * c.canvasHeight * 4);
}

std::vector<uint16_t> maskCopy() {
    const mrv::CoreState& c = engine().core;
    const uint16_t* m = engine().selection.maskPlane;
    return std::vector<uint16_t>(m, m + static_cast<size_t>(c.canvasWidth) * c.canvasHeight);
}

// Paints the rectangle [x0, x1) x [y0, y1) of layer n with a pattern that
// differs for every pixel, channel and seed, and widens the undo rectangle as
// a dab would (right and bottom one past the last touched pixel).
void paint(int32_t n, int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t seed) {
    mrv::LayerSlot& s = engine().core.layers[n];
    for (int32_t y = y0; y < y1; ++y)
        for (int32_t x = x0; x < x1; ++x)
            for (int32_t ch = 0; ch < 4; ++ch)
                s.pixels[(static_cast<size_t>(y) * s.width + x) * 4 + ch] =
                    static_cast<uint16_t>(seed * 1000 + y * 100 + x * 10 + ch);
    mrv::undoWidenRectangle(x0, y0, x1, y1);
}

void paintMask(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint16_t value) {
    const int32_t w = engine().core.canvasWidth;
    for (int32_t y = y0; y < y1; ++y)
        for (int32_t x = x0; x < x1; ++x) engine().selection.maskPlane[static_cast<size_t>(y) * w + x] = value;
    mrv::undoWidenRectangle(x0, y0, x1, y1);
}

// A canvas with layers 1..layers, the given current layer and undo levels.
void makeCanvas(int32_t w, int32_t h, int32_t layers, int32_t current, int32_t levels) {
    MRV_CreateImage(nullptr, w, h, 8, 0);
    for (int32_t n = 1; n <= layers; ++n) ASSERT_EQ(MRV_CreateLayer(n, w, h), 1);
    MRV_SetLayer(current);
    MRV_SetUndoMB(512);
    MRV_SetUndoLevels(levels);
}

TEST(UndoRoundTrip, LayerAndBackBufferComeBackBitForBit) {
    makeCanvas(6, 5, 2, 2, 10);
    paint(2, 0, 0, 6, 5, 1);
    MRV_SaveUndoBuffer(1, 0);  // the whole canvas was painted
    const auto before = layerCopy(2);
    paint(2, 1, 1, 3, 3, 2);  // rectangle (1,1)-(3,3) inclusive is saved
    const auto after = layerCopy(2);
    MRV_SaveUndoBuffer(1, 0);
    const mrv::UndoRecord& r = engine().undo.records[0];
    EXPECT_EQ(r.left, 1);
    EXPECT_EQ(r.top, 1);
    EXPECT_EQ(r.right, 3);
    EXPECT_EQ(r.bottom, 3);
    EXPECT_EQ(r.layerNum, 2);
    EXPECT_EQ(backBufferCopy(), after);

    MRV_Undo();
    EXPECT_EQ(layerCopy(2), before);
    EXPECT_EQ(backBufferCopy(), before);
    EXPECT_EQ(MRV_GetRedoCount(), 1);
    MRV_Redo();
    EXPECT_EQ(layerCopy(2), after);
    EXPECT_EQ(backBufferCopy(), after);
    EXPECT_EQ(MRV_GetRedoCount(), 0);
    MRV_Undo();
    MRV_Undo();
    EXPECT_EQ(MRV_CanUndo(), 0);
    std::vector<uint16_t> blank(before.size(), 0);
    EXPECT_EQ(layerCopy(2), blank);
    MRV_Redo();
    MRV_Redo();
    EXPECT_EQ(layerCopy(2), after);
    MRV_DeleteImage();
}

TEST(UndoRoundTrip, MaskAloneAndWithLayer) {
    makeCanvas(5, 5, 1, 1, 10);
    const auto openMask = maskCopy();
    paintMask(0, 0, 3, 2, 0x1234);
    MRV_SaveUndoBuffer(0, 1);
    const auto maskAfterFirst = maskCopy();
    const auto layerBefore = layerCopy(1);
    paint(1, 2, 2, 4, 4, 3);
    paintMask(2, 2, 4, 4, 0x0042);
    MRV_SaveUndoBuffer(1, 1);
    const auto maskAfterSecond = maskCopy();
    const auto layerAfter = layerCopy(1);
    EXPECT_NE(engine().undo.records[0].mask, nullptr);
    EXPECT_NE(engine().undo.records[0].pixels, nullptr);
    EXPECT_EQ(engine().undo.records[1].pixels, nullptr);

    MRV_Undo();
    EXPECT_EQ(maskCopy(), maskAfterFirst);
    EXPECT_EQ(layerCopy(1), layerBefore);
    MRV_Undo();
    EXPECT_EQ(maskCopy(), openMask);
    EXPECT_EQ(layerCopy(1), layerBefore);
    MRV_Redo();
    MRV_Redo();
    EXPECT_EQ(maskCopy(), maskAfterSecond);
    EXPECT_EQ(layerCopy(1), layerAfter);
    const mrv::CoreState& c = engine().core;
    const uint16_t* companion = engine().undo.undoBackMask;
    EXPECT_EQ(std::vector<uint16_t>(companion, companion + c.canvasWidth * c.canvasHeight), maskAfterSecond);
    MRV_DeleteImage();
}

TEST(UndoLevels, EleventhSaveDropsTheOldest) {
    makeCanvas(4, 4, 1, 1, 10);
    std::vector<std::vector<uint16_t>> states{layerCopy(1)};
    for (uint16_t i = 1; i <= 11; ++i) {
        paint(1, 0, 0, 2, 2, i);
        MRV_SaveUndoBuffer(1, 0);
        states.push_back(layerCopy(1));
        EXPECT_EQ(MRV_GetUndoCount(), i < 10 ? i : 10);
    }
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(MRV_CanUndo(), 1);
        MRV_Undo();
    }
    // Ten undos reach the state after the first save; the record that would
    // lead back to the blank layer fell out.
    EXPECT_EQ(MRV_CanUndo(), 0);
    EXPECT_EQ(layerCopy(1), states[1]);
    EXPECT_EQ(MRV_GetRedoCount(), 10);
    MRV_Undo();  // nothing left: no change, position stays
    EXPECT_EQ(MRV_GetRedoCount(), 10);
    MRV_DeleteImage();
}

TEST(UndoLevels, NewSaveDropsRedoRecords) {
    makeCanvas(4, 4, 1, 1, 10);
    for (uint16_t i = 1; i <= 3; ++i) {
        paint(1, 0, 0, 2, 2, i);
        MRV_SaveUndoBuffer(1, 0);
    }
    MRV_Undo();
    MRV_Undo();
    EXPECT_EQ(MRV_GetRedoCount(), 2);
    EXPECT_EQ(MRV_CanRedo(), 1);
    const auto afterFirst = layerCopy(1);
    paint(1, 1, 1, 4, 4, 9);
    MRV_SaveUndoBuffer(1, 0);
    EXPECT_EQ(MRV_GetRedoCount(), 0);
    EXPECT_EQ(MRV_CanRedo(), 0);
    EXPECT_EQ(MRV_GetUndoCount(), 2);
    MRV_Redo();  // nothing to redo
    MRV_Undo();
    EXPECT_EQ(layerCopy(1), afterFirst);
    MRV_DeleteImage();
}

TEST(UndoRectangle, EmptyAndDegenerateRectanglesSaveTheWholeCanvas) {
    struct Case {
        const char* what;
        int32_t left, top, right, bottom;
        int32_t expLeft, expTop, expRight, expBottom;
    };
    const Case cases[] = {
        {"nothing painted", 6, 4, 0, 0, 0, 0, 6, 4},
        {"one column", 3, 1, 3, 4, 0, 0, 6, 4},
        {"one row", 1, 2, 5, 2, 0, 0, 6, 4},
        {"two columns", 3, 1, 4, 3, 3, 1, 4, 3},
        // Painting past the edges is clamped to the canvas, both edges kept.
        {"clipped", -3, -2, 9, 9, 0, 0, 6, 4},
        {"one past the edge", 5, 3, 7, 5, 5, 3, 6, 4},
    };
    for (const Case& k : cases) {
        makeCanvas(7, 5, 1, 1, 10);
        mrv::UndoState& u = engine().undo;
        u.undoLeft = k.left;
        u.undoTop = k.top;
        u.undoRight = k.right;
        u.undoBottom = k.bottom;
        MRV_SaveUndoBuffer(1, 0);
        const mrv::UndoRecord& r = u.records[0];
        EXPECT_EQ(r.left, k.expLeft) << k.what;
        EXPECT_EQ(r.top, k.expTop) << k.what;
        EXPECT_EQ(r.right, k.expRight) << k.what;
        EXPECT_EQ(r.bottom, k.expBottom) << k.what;
        // The rectangle is emptied again after the save.
        EXPECT_EQ(u.undoLeft, 6) << k.what;
        EXPECT_EQ(u.undoTop, 4) << k.what;
        EXPECT_EQ(u.undoRight, 0) << k.what;
        EXPECT_EQ(u.undoBottom, 0) << k.what;
        MRV_DeleteImage();
    }
}

TEST(UndoBudget, FixedBudgetKeepsTheNewestRecordAtKZero) {
    // 1000 x 1000: back buffers 10,000,000 / 1024 = 9765 KB, already above a
    // 1 MB budget, so only the last pass (k = 0) may allocate.
    makeCanvas(1000, 1000, 1, 1, 5);
    MRV_SetUndoMB(1);
    EXPECT_EQ(MRV_GetTotalUndoMemory(), 1);
    EXPECT_EQ(engine().undo.undoMemoryKb, 9765);
    paint(1, 0, 0, 10, 10, 1);
    MRV_SaveUndoBuffer(1, 0);  // (0,0)-(10,10): 121 pixels, 968 bytes = 0 KB
    EXPECT_EQ(MRV_GetUndoCount(), 1);
    MRV_SaveUndoBuffer(1, 0);  // whole canvas: 8,000,000 / 1024 = 7812 KB
    EXPECT_EQ(MRV_GetUndoCount(), 1);
    const mrv::UndoRecord& r = engine().undo.records[0];
    EXPECT_EQ(r.right, 999);
    EXPECT_EQ(r.bottom, 999);
    EXPECT_EQ(engine().undo.undoMemoryKb, 9765 + 7812);
    MRV_SaveUndoBuffer(1, 1);  // adds the mask block: 2,000,000 / 1024 = 1953 KB
    EXPECT_EQ(MRV_GetUndoCount(), 1);
    EXPECT_EQ(engine().undo.undoMemoryKb, 9765 + 7812 + 1953);
    EXPECT_EQ(MRV_GetCurrentUndoMemory(), (9765 + 7812 + 1953) / 1024);
    MRV_ClearUndo();
    EXPECT_EQ(engine().undo.undoMemoryKb, 9765);
    EXPECT_EQ(MRV_GetUndoCount(), 0);
    MRV_DeleteImage();
}

TEST(UndoBudget, RoomyBudgetKeepsOlderRecords) {
    // 64 x 64: back buffers 40960 / 1024 = 40 KB; a whole-canvas layer record
    // is 32768 / 1024 = 32 KB and the save asks for 40960 / 1024 = 40 KB room.
    makeCanvas(64, 64, 1, 1, 10);
    MRV_SetUndoMB(1);  // 1024 KB
    for (int i = 0; i < 6; ++i) MRV_SaveUndoBuffer(1, 0);
    EXPECT_EQ(MRV_GetUndoCount(), 6);
    EXPECT_EQ(engine().undo.undoMemoryKb, 40 + 6 * 32);
    // A negative budget is below anything in use: only the newest record stays.
    MRV_SetUndoMB(-1);
    MRV_SaveUndoBuffer(1, 0);
    EXPECT_EQ(MRV_GetUndoCount(), 1);
    EXPECT_EQ(engine().undo.undoMemoryKb, 40 + 32);
    MRV_DeleteImage();
}

TEST(UndoBudget, AutomaticBudgetFormula) {
    mrv::platform::MemoryFigures m{};
    // 2000 x 1000: unit = 2,000,000 / 1024 = 1953.
    m.availPhysical = 1000ull << 20;  // 1,024,000 KB
    m.availPageFile = 3000ull << 20;
    // 1,024,000 * 0.85 = 870,400; + 100 in use; - 20 * 1953 = 39,060.
    EXPECT_EQ(mrv::undoAutomaticBudgetKb(m, 100, 2000, 1000), 870400 + 100 - 39060);
    m.availPageFile = 10ull << 20;  // the smaller figure: 10,240 KB -> 8704
    EXPECT_EQ(mrv::undoAutomaticBudgetKb(m, 0, 2000, 1000), 15 * 1953);  // floor at 15 units
    m.availPhysical = 0;
    m.availPageFile = 0;
    EXPECT_EQ(mrv::undoAutomaticBudgetKb(m, 0, 2000, 1000), 29295);
    EXPECT_EQ(mrv::undoAutomaticBudgetKb(m, 0, 0, 0), 0);
}

TEST(UndoBudget, AutomaticBudgetFollowsTheMachine) {
    makeCanvas(2000, 1000, 1, 1, 10);
    MRV_SetUndoMB(0);
    EXPECT_GE(engine().undo.undoBudgetKb, 29295);
    EXPECT_GE(MRV_GetTotalUndoMemory(), 29295 / 1024);
    MRV_SetUndoMB(3);
    EXPECT_EQ(MRV_GetTotalUndoMemory(), 3);
    EXPECT_EQ(engine().undo.automaticBudget, 0);
    MRV_DeleteImage();
}

TEST(UndoLayers, UndoSwitchesToTheRecordsLayer) {
    makeCanvas(5, 5, 5, 3, 10);
    const auto layer3Before = layerCopy(3);
    paint(3, 1, 1, 4, 4, 4);
    MRV_SaveUndoBuffer(1, 0);
    const auto layer3After = layerCopy(3);
    MRV_SetLayer(5);
    paint(5, 0, 0, 2, 2, 5);
    const auto layer5 = layerCopy(5);
    MRV_Undo();
    EXPECT_EQ(MRV_GetLayerNum(), 3);
    EXPECT_EQ(layerCopy(3), layer3Before);
    EXPECT_EQ(layerCopy(5), layer5);
    MRV_SetLayer(5);
    MRV_Redo();
    EXPECT_EQ(MRV_GetLayerNum(), 3);
    EXPECT_EQ(layerCopy(3), layer3After);
    EXPECT_EQ(backBufferCopy(), layer3After);
    MRV_DeleteImage();
}

TEST(UndoLayers, RecordOfADeletedLayerSkipsItsPixelsButKeepsItsMask) {
    makeCanvas(5, 5, 4, 3, 10);
    paint(3, 1, 1, 4, 4, 4);
    paintMask(1, 1, 4, 4, 0x2000);
    MRV_SaveUndoBuffer(1, 1);
    MRV_SetLayer(4);
    paint(4, 0, 0, 5, 5, 6);
    const auto layer4 = layerCopy(4);
    MRV_DeleteLayer(3);
    MRV_Undo();
    EXPECT_EQ(MRV_GetLayerNum(), 4);
    EXPECT_EQ(layerCopy(4), layer4);  // never written into another layer
    EXPECT_EQ(MRV_GetRedoCount(), 1);
    EXPECT_EQ(maskCopy(), std::vector<uint16_t>(25, 0xFFFF));
    MRV_Redo();
    EXPECT_EQ(layerCopy(4), layer4);
    EXPECT_EQ(MRV_GetRedoCount(), 0);
    EXPECT_EQ(engine().selection.maskPlane[1 * 5 + 1], 0x2000);

    // Recreated at another size: the block no longer fits and is skipped too.
    ASSERT_EQ(MRV_CreateLayer(3, 2, 2), 1);
    MRV_Undo();
    EXPECT_EQ(MRV_GetLayerNum(), 3);
    EXPECT_EQ(engine().core.layers[3].width, 2);
    EXPECT_EQ(layerCopy(3), std::vector<uint16_t>(16, 0));
    MRV_DeleteImage();
}

TEST(UndoLayers, SwappedLayersFollowTheNumber) {
    makeCanvas(4, 4, 3, 2, 10);
    paint(2, 0, 0, 4, 4, 1);
    MRV_SaveUndoBuffer(1, 0);
    paint(2, 0, 0, 2, 2, 2);
    MRV_SaveUndoBuffer(1, 0);  // (0,0)-(2,2) inclusive, before = pattern 1
    MRV_SwapLayers(2, 3);
    const auto painted = layerCopy(3);
    // Records are kept by layer number: slot 2 now holds the other (blank)
    // layer and receives the block, inside its canvas-sized buffer.
    MRV_Undo();
    EXPECT_EQ(MRV_GetLayerNum(), 2);
    EXPECT_EQ(layerCopy(3), painted);
    const uint16_t* p = engine().core.layers[2].pixels;
    EXPECT_EQ(p[0], 1000);                       // (0,0) red: 1 * 1000
    EXPECT_EQ(p[(2 * 4 + 2) * 4 + 3], 1223);     // (2,2) alpha: 1000 + 200 + 20 + 3
    EXPECT_EQ(p[(3 * 4 + 3) * 4], 0);            // outside the record: still blank
    MRV_DeleteImage();
}

TEST(UndoReduce, ZeroOnlyDropsRedoRecordsAndMaskOnlyRecordsStay) {
    makeCanvas(64, 64, 1, 1, 10);
    // Four whole-canvas layer records of 32 KB, then one mask-only record.
    for (int i = 0; i < 4; ++i) MRV_SaveUndoBuffer(1, 0);
    MRV_SaveUndoBuffer(0, 1);
    MRV_Undo();
    MRV_Undo();
    EXPECT_EQ(MRV_GetUndoCount(), 5);
    MRV_ReduceUndo(0);
    EXPECT_EQ(MRV_GetRedoCount(), 0);
    EXPECT_EQ(MRV_GetUndoCount(), 3);
    EXPECT_EQ(engine().undo.undoMemoryKb, 40 + 3 * 32);

    makeCanvas(64, 64, 1, 1, 10);
    MRV_SaveUndoBuffer(0, 1);  // oldest: mask only (8 KB)
    for (int i = 0; i < 4; ++i) MRV_SaveUndoBuffer(1, 0);
    // 40 KB need two 32 KB records; the mask-only record is passed over.
    EXPECT_EQ(mrv::undoReduce(40), 64);
    EXPECT_EQ(MRV_GetUndoCount(), 3);
    EXPECT_NE(engine().undo.records[4].mask, nullptr);
    EXPECT_EQ(engine().undo.records[3].pixels, nullptr);
    EXPECT_EQ(engine().undo.undoMemoryKb, 40 + 8 + 2 * 32);
    EXPECT_EQ(mrv::undoReduce(1000), 64);
    EXPECT_EQ(MRV_GetUndoCount(), 1);
    EXPECT_EQ(engine().undo.undoMemoryKb, 40 + 8);
    MRV_DeleteImage();
}

TEST(UndoBadInput, LevelsAndHistoryEdges) {
    makeCanvas(4, 4, 1, 1, 0);
    MRV_Undo();
    MRV_Redo();
    EXPECT_EQ(MRV_CanUndo(), 0);
    EXPECT_EQ(MRV_CanRedo(), 0);
    // Levels 0 record nothing but still move the back buffer along.
    paint(1, 0, 0, 3, 3, 2);
    MRV_SaveUndoBuffer(1, 1);
    EXPECT_EQ(MRV_GetUndoCount(), 0);
    EXPECT_EQ(MRV_CanUndo(), 0);
    EXPECT_EQ(backBufferCopy(), layerCopy(1));
    EXPECT_EQ(engine().undo.undoMemoryKb, 0);  // 4 x 4 x 10 / 1024 = 0

    const std::pair<int32_t, int32_t> levels[] = {{-5, 0}, {0, 0}, {1, 1}, {500, 500}, {501, 500}, {INT32_MAX, 500}};
    for (const auto& [given, kept] : levels) {
        MRV_SetUndoLevels(given);
        EXPECT_EQ(engine().undo.undoLevels, kept) << given;
    }
    MRV_SetUndoLevels(500);
    for (int i = 0; i < 510; ++i) MRV_SaveUndoBuffer(1, 0);
    EXPECT_EQ(MRV_GetUndoCount(), 500);
    for (int i = 0; i < 600; ++i) MRV_Undo();
    EXPECT_EQ(MRV_GetRedoCount(), 500);
    EXPECT_EQ(MRV_CanUndo(), 0);
    MRV_SetUndoLevels(3);  // clears first
    EXPECT_EQ(MRV_GetUndoCount(), 0);
    EXPECT_EQ(MRV_GetRedoCount(), 0);
    MRV_DeleteImage();
}

TEST(UndoBadInput, NothingToRecordLeavesTheHistoryUsable) {
    makeCanvas(4, 4, 2, 2, 10);
    paint(2, 0, 0, 2, 2, 1);
    MRV_SaveUndoBuffer(1, 0);
    // Neither block asked for: no empty record may hide the older one.
    MRV_SaveUndoBuffer(0, 0);
    EXPECT_EQ(MRV_GetUndoCount(), 1);
    EXPECT_EQ(MRV_CanUndo(), 1);
    // The current layer deleted: a layer-only save has nothing to record.
    MRV_DeleteLayer(2);
    MRV_SaveUndoBuffer(1, 0);
    EXPECT_EQ(MRV_GetUndoCount(), 1);
    MRV_DeleteImage();
}

TEST(UndoBadInput, PauseStopsSavingUndoAndRedo) {
    makeCanvas(4, 4, 1, 1, 10);
    paint(1, 0, 0, 2, 2, 1);
    MRV_SaveUndoBuffer(1, 0);
    MRV_PauseUndo();
    paint(1, 0, 0, 4, 4, 2);
    const auto painted = layerCopy(1);
    MRV_SaveUndoBuffer(1, 0);
    EXPECT_EQ(MRV_GetUndoCount(), 1);
    MRV_Undo();
    EXPECT_EQ(layerCopy(1), painted);
    EXPECT_EQ(MRV_GetRedoCount(), 0);
    MRV_ResumeUndo();
    MRV_Undo();
    EXPECT_EQ(MRV_GetRedoCount(), 1);
    MRV_PauseUndo();
    MRV_ClearUndo();  // also ends the pause
    EXPECT_EQ(engine().undo.paused, 0);
    EXPECT_EQ(MRV_GetRedoCount(), 0);
    MRV_DeleteImage();
}

TEST(UndoBadInput, BackBufferOfAnotherLayerIsNeverRecordedAsThisOne) {
    makeCanvas(4, 4, 3, 2, 10);
    paint(2, 0, 0, 4, 4, 1);
    paint(3, 0, 0, 4, 4, 2);
    MRV_SetLayer(3);
    MRV_SetLayer(2);
    const auto layer2 = layerCopy(2);
    // A layer selected while paused leaves the back buffer on layer 3.
    MRV_PauseUndo();
    MRV_SetLayer(3);
    MRV_ResumeUndo();
    paint(3, 0, 0, 2, 2, 3);
    MRV_SaveUndoBuffer(1, 0);
    EXPECT_EQ(MRV_GetUndoCount(), 0);  // no "before" state for layer 3
    EXPECT_EQ(backBufferCopy(), layerCopy(3));
    const auto layer3 = layerCopy(3);
    paint(3, 1, 1, 3, 3, 4);
    MRV_SaveUndoBuffer(1, 0);
    MRV_Undo();
    EXPECT_EQ(layerCopy(3), layer3);

    // The back buffer loaded from another layer (to pick colour up from it)
    // neither becomes the next record nor the record's "after" state.
    MRV_Redo();
    const auto layer3After = layerCopy(3);
    MRV_SaveUndoBackBuffer(2);
    MRV_Undo();
    EXPECT_EQ(layerCopy(3), layer3);
    MRV_Redo();
    EXPECT_EQ(layerCopy(3), layer3After);
    MRV_SaveUndoBackBuffer(2);
    paint(3, 0, 0, 1, 1, 5);
    MRV_SaveUndoBuffer(1, 0);
    EXPECT_EQ(MRV_GetUndoCount(), 1);
    EXPECT_EQ(layerCopy(2), layer2);
    MRV_DeleteImage();
}

TEST(UndoBadInput, ResizeAndDeleteEmptyTheHistory) {
    makeCanvas(8, 8, 1, 1, 10);
    paint(1, 0, 0, 4, 4, 1);
    MRV_SaveUndoBuffer(1, 1);
    MRV_NewSize(nullptr, 4, 4, 8, 0);
    EXPECT_EQ(MRV_GetUndoCount(), 0);
    EXPECT_EQ(MRV_CanUndo(), 0);
    MRV_Undo();
    MRV_Redo();
    // The layer is still 8 x 8 on a 4 x 4 canvas: its block cannot be recorded.
    MRV_SaveUndoBuffer(1, 0);
    EXPECT_EQ(MRV_GetUndoCount(), 0);
    MRV_SaveUndoBuffer(0, 1);  // the mask can
    EXPECT_EQ(MRV_GetUndoCount(), 1);

    MRV_DeleteImage();
    EXPECT_EQ(MRV_GetUndoCount(), 0);
    EXPECT_EQ(MRV_GetCurrentUndoMemory(), 0);
    MRV_SaveUndoBuffer(1, 1);
    MRV_SaveUndoBackBuffer(1);
    MRV_Undo();
    MRV_Redo();
    MRV_ReduceUndo(100);
    MRV_ClearUndo();
    EXPECT_EQ(MRV_GetUndoCount(), 0);
    EXPECT_EQ(MRV_CanUndo(), 0);
}

TEST(UndoBackBuffer, SaveBackBufferCopiesLayerAndMask) {
    makeCanvas(4, 4, 3, 1, 10);
    paint(3, 0, 0, 4, 4, 7);
    paintMask(0, 0, 4, 4, 0x0100);
    MRV_SaveUndoBackBuffer(3);
    EXPECT_EQ(backBufferCopy(), layerCopy(3));
    EXPECT_EQ(engine().undo.undoBackMask[5], 0x0100);
    MRV_SaveUndoBackBuffer(64);  // no such layer: the mask is still copied
    MRV_SaveUndoBackBuffer(-1);
    EXPECT_EQ(backBufferCopy(), layerCopy(3));
    MRV_DeleteImage();
}

}  // namespace
