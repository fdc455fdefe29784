// The undo store: records of layer and mask rectangles held against the
// UndoBackBuffer pair, with accounting in kilobytes. This file holds the
// history's housekeeping that the canvas lifecycle and the layer table call
// (clearing, resetting, the back buffer refresh, reduction under memory
// pressure and the automatic budget).
#include "undo/undo_store.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/engine_state.h"
#include "core/memory.h"
#include "platform/os/system_info.h"

namespace mrv {

namespace {

int64_t recordWidth(const UndoRecord& r) { return static_cast<int64_t>(r.right) - r.left + 1; }
int64_t recordHeight(const UndoRecord& r) { return static_cast<int64_t>(r.bottom) - r.top + 1; }


void subtractKb(int64_t kb) {
    UndoState& u = engine().undo;
    u.undoMemoryKb = std::max<int64_t>(0, u.undoMemoryKb - kb);
}

// Frees a record's blocks, taking their kilobytes off the count, and empties it.
void freeRecord(UndoRecord& r) {
    const int64_t pixelsInRect = recordWidth(r) * recordHeight(r);
    if (r.pixels) subtractKb(pixelsInRect * 8 / 1024);
    if (r.mask) subtractKb(pixelsInRect * 2 / 1024);
    releaseBuffer(r.pixels);
    releaseBuffer(r.mask);
    r.maskState = engine().selection.maskEnabled;
    r.left = r.top = r.right = r.bottom = 0;
}

void emptyRecord(UndoRecord& r) {
    r.pixels = nullptr;
    r.mask = nullptr;
    r.maskState = engine().selection.maskEnabled;
    r.left = r.top = r.right = r.bottom = 0;
    r.layerNum = 0;
}

// Drops the records that were undone and not redone (slots 0..undoPosition-1)
// and moves the remaining ones up to slot 0.
void removeAbandonedRedo() {
    UndoState& u = engine().undo;
    if (u.undoPosition <= 0) return;
    const int32_t levels = std::clamp(u.undoLevels, 0, kUndoSlots);
    const int32_t shift = std::min(u.undoPosition, kUndoSlots);
    for (int32_t i = 0; i < shift; ++i) freeRecord(u.records[i]);
    for (int32_t i = shift; i < levels; ++i) {
        u.records[i - shift] = u.records[i];
        emptyRecord(u.records[i]);
    }
    for (int32_t i = std::max(levels - shift, 0); i < shift; ++i) emptyRecord(u.records[i]);
    u.undoPosition = 0;
}

}  // namespace

int64_t undoBackBufferKb(int32_t width, int32_t height) {
    return static_cast<int64_t>(width) * height * 10 / 1024;
}

void undoRecomputeAutomaticBudget() {
    UndoState& u = engine().undo;
    if (!u.automaticBudget) return;
    const platform::MemoryFigures m = platform::queryMemory();
    const uint64_t availBytes = std::min(m.availPhysical, m.availPageFile);
    const uint64_t availKb = availBytes >> 10;
    const int64_t raw = static_cast<int64_t>(static_cast<double>(availKb) * 0.85 +
                                             static_cast<double>(u.undoMemoryKb));
    const CoreState& c = engine().core;
    const int64_t unit = static_cast<int64_t>(c.canvasWidth) * c.canvasHeight / 1024;
    u.undoBudgetKb = std::max(raw - 20 * unit, 15 * unit);
}

void undoResetRectangle() {
    UndoState& u = engine().undo;
    const CoreState& c = engine().core;
    u.undoLeft = c.canvasWidth - 1;
    u.undoTop = c.canvasHeight - 1;
    u.undoRight = 0;
    u.undoBottom = 0;
}

void undoResetRecords() {
    UndoState& u = engine().undo;
    for (UndoRecord& r : u.records) freeRecord(r);
}

void undoSaveBackBuffer(int32_t n) {
    EngineState& e = engine();
    if (e.undo.paused) return;
    const uint64_t pixelCount = static_cast<uint64_t>(e.core.canvasWidth) * e.core.canvasHeight;
    if (isLayerNumber(n)) {
        const LayerSlot& layer = e.core.layers[n];
        // A layer whose size no longer matches the canvas (a resize the host
        // has not finished) is copied only as far as both buffers reach.
        if (layer.pixels && e.undo.undoBackBuffer) {
            const uint64_t layerPixels = static_cast<uint64_t>(layer.width) * layer.height;
            std::memcpy(e.undo.undoBackBuffer, layer.pixels, std::min(pixelCount, layerPixels) * 8);
        }
    }
    if (e.selection.maskPlane && e.undo.undoBackMask)
        std::memcpy(e.undo.undoBackMask, e.selection.maskPlane, pixelCount * 2);
}

void undoClearHistory() {
    EngineState& e = engine();
    UndoState& u = e.undo;
    undoResetRectangle();
    u.paused = 0;
    u.undoPosition = 0;
    for (UndoRecord& r : u.records) {
        freeRecord(r);
        r.layerNum = 0;
    }
    u.undoMemoryKb = undoBackBufferKb(e.core.canvasWidth, e.core.canvasHeight);
    undoSaveBackBuffer(e.core.currentLayerNum);
    undoRecomputeAutomaticBudget();
}

bool undoHasReleasableRecords() {
    const UndoState& u = engine().undo;
    if (u.undoPosition > 0) return true;
    for (const UndoRecord& r : u.records)
        if (r.pixels) return true;
    return false;
}

int64_t undoReduce(int32_t kb) {
    UndoState& u = engine().undo;
    removeAbandonedRedo();
    int64_t released = 0;
    const int32_t levels = std::clamp(u.undoLevels, 0, kUndoSlots);
    for (int32_t k = levels - 1; k >= 0; --k) {
        UndoRecord& r = u.records[k];
        if (!r.pixels) continue;
        if (released >= kb) break;
        const int64_t kbOfRecord = recordWidth(r) * recordHeight(r) * 10 / 1024;
        releaseBuffer(r.pixels);
        releaseBuffer(r.mask);
        subtractKb(kbOfRecord);
        released += kbOfRecord;
        emptyRecord(r);
    }
    return released;
}

}  // namespace mrv
