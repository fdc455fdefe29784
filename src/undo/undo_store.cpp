// The undo store: records of layer and mask rectangles held against the
// UndoBackBuffer pair, with accounting in kilobytes.
//
// The back buffer always shows the current layer (and its companion plane the
// MaskPlane) as it was before the operation in progress. A save copies the
// touched rectangle of the back buffer (the "before" pixels) into a new record
// and then refreshes that rectangle from the layer, so the layer is read once
// per save. Undo and redo swap a record's block with the layer through the
// back buffer, so the record then holds the other side of the change.
//
// Records are addressed by layer number. A record whose layer no longer holds
// pixels of the canvas size (deleted, or recreated at another size) keeps its
// place in the history, but its pixel block is skipped on undo and redo: it is
// never copied into whichever other layer happens to be current.
#include "undo/undo_store.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/engine_state.h"
#include "core/layer_table.h"
#include "core/memory.h"

namespace mrv {

namespace {

constexpr int32_t kBytesPerPixel = 8;  // RGBA64
constexpr int32_t kBytesPerMaskValue = 2;
constexpr int64_t kRecordBytesPerPixel = kBytesPerPixel + kBytesPerMaskValue;

int64_t recordWidth(const UndoRecord& r) { return static_cast<int64_t>(r.right) - r.left + 1; }
int64_t recordHeight(const UndoRecord& r) { return static_cast<int64_t>(r.bottom) - r.top + 1; }
bool holdsData(const UndoRecord& r) { return r.pixels || r.mask; }

int32_t usableLevels() { return std::clamp(engine().undo.undoLevels, 0, kUndoSlots); }

void addKb(int64_t kb) { engine().undo.undoMemoryKb += kb; }

void subtractKb(int64_t kb) {
    UndoState& u = engine().undo;
    u.undoMemoryKb = std::max<int64_t>(0, u.undoMemoryKb - kb);
}

void emptyRecord(UndoRecord& r) {
    r.pixels = nullptr;
    r.mask = nullptr;
    r.maskState = engine().selection.maskEnabled;
    r.left = r.top = r.right = r.bottom = 0;
    r.layerNum = 0;
}

// Frees a record's blocks, taking the kilobytes each block was counted with
// off the count, and empties it.
void freeRecord(UndoRecord& r) {
    const int64_t pixelsInRect = recordWidth(r) * recordHeight(r);
    if (r.pixels) subtractKb(pixelsInRect * kBytesPerPixel / 1024);
    if (r.mask) subtractKb(pixelsInRect * kBytesPerMaskValue / 1024);
    releaseBuffer(r.pixels);
    releaseBuffer(r.mask);
    emptyRecord(r);
}

// Drops the records that were undone and not redone (slots 0..undoPosition-1)
// and moves the remaining ones up to slot 0.
void removeAbandonedRedo() {
    UndoState& u = engine().undo;
    if (u.undoPosition <= 0) return;
    const int32_t levels = usableLevels();
    const int32_t shift = std::min(u.undoPosition, kUndoSlots);
    for (int32_t i = 0; i < shift; ++i) freeRecord(u.records[i]);
    for (int32_t i = shift; i < levels; ++i) {
        u.records[i - shift] = u.records[i];
        emptyRecord(u.records[i]);
    }
    u.undoPosition = 0;
}

// A block of rows between two buffers; strides in elements of T.
template <class T>
void copyRows(T* dst, size_t dstStride, const T* src, size_t srcStride, size_t rowElements, int64_t rows) {
    for (int64_t y = 0; y < rows; ++y)
        std::memcpy(dst + static_cast<size_t>(y) * dstStride, src + static_cast<size_t>(y) * srcStride,
                    rowElements * sizeof(T));
}

// Canvas-sized buffer addressing: element offset of (x, y) at elementsPerPixel.
size_t canvasOffset(int32_t x, int32_t y, int32_t rowElements, int32_t elementsPerPixel) {
    return static_cast<size_t>(y) * static_cast<size_t>(rowElements) + static_cast<size_t>(x) * elementsPerPixel;
}

// Layer n when it holds pixels laid out exactly like the canvas: only then can
// a canvas rectangle be copied into or out of it.
LayerSlot* canvasLayer(int32_t n) {
    if (!isLayerNumber(n)) return nullptr;
    CoreState& c = engine().core;
    LayerSlot& s = c.layers[n];
    if (!s.pixels || s.width != c.canvasWidth || s.height != c.canvasHeight || s.stride != c.canvasStride)
        return nullptr;
    return &s;
}

// Layer pixels of the record's rectangle: copies between the layer, the back
// buffer and the record block.
struct PixelRect {
    int32_t left, top;
    int64_t w, h;
};

PixelRect rectOf(const UndoRecord& r) { return {r.left, r.top, recordWidth(r), recordHeight(r)}; }

void backToBlock(uint16_t* block, const PixelRect& q) {
    const CoreState& c = engine().core;
    const uint16_t* src = engine().undo.undoBackBuffer + canvasOffset(q.left, q.top, c.canvasStride, 4);
    copyRows(block, static_cast<size_t>(q.w) * 4, src, c.canvasStride, static_cast<size_t>(q.w) * 4, q.h);
}

void layerToBack(const LayerSlot& layer, const PixelRect& q) {
    const CoreState& c = engine().core;
    uint16_t* dst = engine().undo.undoBackBuffer + canvasOffset(q.left, q.top, c.canvasStride, 4);
    const uint16_t* src = layer.pixels + canvasOffset(q.left, q.top, layer.stride, 4);
    copyRows(dst, c.canvasStride, src, layer.stride, static_cast<size_t>(q.w) * 4, q.h);
}

void blockToLayer(LayerSlot& layer, const uint16_t* block, const PixelRect& q) {
    uint16_t* dst = layer.pixels + canvasOffset(q.left, q.top, layer.stride, 4);
    copyRows(dst, layer.stride, block, static_cast<size_t>(q.w) * 4, static_cast<size_t>(q.w) * 4, q.h);
}

void backMaskToBlock(uint16_t* block, const PixelRect& q) {
    const CoreState& c = engine().core;
    const uint16_t* src = engine().undo.undoBackMask + canvasOffset(q.left, q.top, c.canvasWidth, 1);
    copyRows(block, static_cast<size_t>(q.w), src, c.canvasWidth, static_cast<size_t>(q.w), q.h);
}

void maskToBackMask(const PixelRect& q) {
    const CoreState& c = engine().core;
    const size_t at = canvasOffset(q.left, q.top, c.canvasWidth, 1);
    copyRows(engine().undo.undoBackMask + at, c.canvasWidth, engine().selection.maskPlane + at, c.canvasWidth,
             static_cast<size_t>(q.w), q.h);
}

void blockToMask(const uint16_t* block, const PixelRect& q) {
    const CoreState& c = engine().core;
    uint16_t* dst = engine().selection.maskPlane + canvasOffset(q.left, q.top, c.canvasWidth, 1);
    copyRows(dst, c.canvasWidth, block, static_cast<size_t>(q.w), static_cast<size_t>(q.w), q.h);
}

// A record's rectangle must still lie inside the canvas before it is copied
// anywhere; records are cleared on every resize, so this only guards against
// a canvas that was deleted and created again without the history noticing.
bool rectInsideCanvas(const UndoRecord& r) {
    const CoreState& c = engine().core;
    return r.left >= 0 && r.top >= 0 && r.left <= r.right && r.top <= r.bottom && r.right < c.canvasWidth &&
           r.bottom < c.canvasHeight;
}

// Steps shared by undo and redo on one slot: select the record's layer, then
// exchange each block with the layer (or mask) through the back buffer pair.
void swapRecord(UndoRecord& r) {
    EngineState& e = engine();
    CoreState& c = e.core;
    if (r.layerNum != c.currentLayerNum) setLayer(r.layerNum);
    if (!rectInsideCanvas(r)) return;
    const PixelRect q = rectOf(r);
    if (r.pixels && e.undo.undoBackBuffer) {
        // The record's layer must be the current one now and still hold
        // canvas-sized pixels; otherwise the block has nowhere to go.
        LayerSlot* layer = canvasLayer(r.layerNum);
        if (layer && c.currentLayerNum == r.layerNum && c.currentLayer == layer) {
            // The back buffer must show this layer, or the record would take
            // another layer's pixels as its "after" state.
            if (e.undo.backBufferLayer != r.layerNum) undoSaveBackBuffer(r.layerNum);
            blockToLayer(*layer, r.pixels, q);
            backToBlock(r.pixels, q);
            layerToBack(*layer, q);
        }
    }
    if (r.mask && e.selection.maskPlane && e.undo.undoBackMask) {
        blockToMask(r.mask, q);
        backMaskToBlock(r.mask, q);
        maskToBackMask(q);
    }
}

}  // namespace

int64_t undoBackBufferKb(int32_t width, int32_t height) {
    return static_cast<int64_t>(width) * height * 10 / 1024;
}

int64_t undoAutomaticBudgetKb(const platform::MemoryFigures& m, int64_t memoryInUseKb, int32_t width,
                              int32_t height) {
    // The smaller of the two figures; physical memory when they are equal.
    const uint64_t availBytes = m.availPageFile < m.availPhysical ? m.availPageFile : m.availPhysical;
    const uint64_t availKb = availBytes >> 10;
    const int64_t raw =
        static_cast<int64_t>(static_cast<double>(availKb) * 0.85 + static_cast<double>(memoryInUseKb));
    const int64_t unit = static_cast<int64_t>(width) * height / 1024;
    return std::max(raw - 20 * unit, 15 * unit);
}

void undoRecomputeAutomaticBudget() {
    UndoState& u = engine().undo;
    if (!u.automaticBudget) return;
    const CoreState& c = engine().core;
    u.undoBudgetKb = undoAutomaticBudgetKb(platform::queryMemory(), u.undoMemoryKb, c.canvasWidth, c.canvasHeight);
}

void undoResetRectangle() {
    UndoState& u = engine().undo;
    const CoreState& c = engine().core;
    u.undoLeft = c.canvasWidth - 1;
    u.undoTop = c.canvasHeight - 1;
    u.undoRight = 0;
    u.undoBottom = 0;
}

void undoWidenRectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    UndoState& u = engine().undo;
    u.undoLeft = std::min(u.undoLeft, left);
    u.undoTop = std::min(u.undoTop, top);
    u.undoRight = std::max(u.undoRight, right);
    u.undoBottom = std::max(u.undoBottom, bottom);
}

void undoResetRecords() {
    UndoState& u = engine().undo;
    for (UndoRecord& r : u.records) freeRecord(r);
}

void undoSaveBackBuffer(int32_t n) {
    EngineState& e = engine();
    if (e.undo.paused) return;
    const uint64_t pixelCount = static_cast<uint64_t>(std::max(e.core.canvasWidth, 0)) *
                                static_cast<uint64_t>(std::max(e.core.canvasHeight, 0));
    if (isLayerNumber(n)) {
        const LayerSlot& layer = e.core.layers[n];
        // A layer whose size no longer matches the canvas (a resize the host
        // has not finished) is copied only as far as both buffers reach.
        if (layer.pixels && e.undo.undoBackBuffer) {
            const uint64_t layerPixels = static_cast<uint64_t>(std::max(layer.width, 0)) *
                                         static_cast<uint64_t>(std::max(layer.height, 0));
            std::memcpy(e.undo.undoBackBuffer, layer.pixels, std::min(pixelCount, layerPixels) * kBytesPerPixel);
            e.undo.backBufferLayer = n;
        }
    }
    if (e.selection.maskPlane && e.undo.undoBackMask)
        std::memcpy(e.undo.undoBackMask, e.selection.maskPlane, pixelCount * kBytesPerMaskValue);
}

void undoClearHistory() {
    EngineState& e = engine();
    UndoState& u = e.undo;
    undoResetRectangle();
    u.paused = 0;
    u.undoPosition = 0;
    u.backBufferLayer = -1;
    for (UndoRecord& r : u.records) freeRecord(r);
    // Only the back buffer pair is left in use, when there is one.
    u.undoMemoryKb = u.undoBackBuffer ? undoBackBufferKb(e.core.canvasWidth, e.core.canvasHeight) : 0;
    undoSaveBackBuffer(e.core.currentLayerNum);
    undoRecomputeAutomaticBudget();
}

void undoSaveBuffer(bool saveLayer, bool saveMask) {
    EngineState& e = engine();
    UndoState& u = e.undo;
    const CoreState& c = e.core;
    if (u.paused) return;
    // No canvas (never created or deleted): there is nothing to record against.
    if (!u.undoBackBuffer || !u.undoBackMask || c.canvasWidth <= 0 || c.canvasHeight <= 0) return;

    int32_t left = std::max(u.undoLeft, 0);
    int32_t top = std::max(u.undoTop, 0);
    int32_t right = std::min(u.undoRight, c.canvasWidth - 1);
    int32_t bottom = std::min(u.undoBottom, c.canvasHeight - 1);
    removeAbandonedRedo();
    // An empty rectangle means the operation did not say what it touched
    // (effects, loads); so does one of a single column or row.
    if (left >= right || top >= bottom) {
        left = 0;
        top = 0;
        right = c.canvasWidth - 1;
        bottom = c.canvasHeight - 1;
    }
    const PixelRect q{left, top, static_cast<int64_t>(right) - left + 1, static_cast<int64_t>(bottom) - top + 1};
    const int64_t pixelsInRect = q.w * q.h;

    // The layer block needs a current layer laid out like the canvas. A save
    // that can record neither block leaves the history as it is: an empty
    // newest record would hide every older one from undo.
    LayerSlot* layer = saveLayer ? canvasLayer(c.currentLayerNum) : nullptr;
    if (layer != c.currentLayer) layer = nullptr;
    if (layer && u.backBufferLayer != c.currentLayerNum) {
        // The back buffer holds another layer (a layer selected while undo
        // was paused, or a back buffer loaded from another layer): its
        // pixels are not this layer's "before" state, and a record made from
        // them would paint the other layer into this one on undo. Nothing
        // is recorded for the layer; the back buffer starts following it.
        undoSaveBackBuffer(c.currentLayerNum);
        layer = nullptr;
    }
    const bool wantPixels = layer != nullptr;
    const bool wantMask = saveMask && e.selection.maskPlane;
    if (!wantPixels && !wantMask) {
        undoResetRectangle();
        return;
    }

    undoRecomputeAutomaticBudget();
    const int32_t levels = usableLevels();
    const int64_t neededKb = pixelsInRect * kRecordBytesPerPixel / 1024;
    uint16_t* pixels = nullptr;
    uint16_t* mask = nullptr;
    // Blocks of a dropped record that have exactly the size the new record
    // needs are kept aside and reused instead of being returned to the
    // system: a repeated whole-canvas save then works in pages that already
    // exist rather than faulting in a fresh block each time. The accounting
    // is the same as a free followed by an allocation.
    UniqueBuffer<uint16_t> sparePixels;
    UniqueBuffer<uint16_t> spareMask;
    for (int32_t k = levels - 1; k >= 0; --k) {
        UndoRecord& old = u.records[k];
        if (holdsData(old)) {
            const bool sameSize = recordWidth(old) * recordHeight(old) == pixelsInRect;
            uint16_t* oldPixels = old.pixels;
            uint16_t* oldMask = old.mask;
            if (sameSize && wantPixels && !sparePixels && oldPixels) {
                sparePixels.reset(oldPixels);
                old.pixels = nullptr;
                subtractKb(pixelsInRect * kBytesPerPixel / 1024);
            }
            if (sameSize && wantMask && !spareMask && oldMask) {
                spareMask.reset(oldMask);
                old.mask = nullptr;
                subtractKb(pixelsInRect * kBytesPerMaskValue / 1024);
            }
            freeRecord(old);
        }
        // The newest record is always attempted once every older one is gone,
        // even over the budget: a budget too small for one record still keeps
        // the last operation.
        if (u.undoMemoryKb + neededKb < u.undoBudgetKb || k == 0) {
            if (wantPixels && !pixels) {
                pixels = sparePixels ? sparePixels.release()
                                     : allocArray<uint16_t>(static_cast<uint64_t>(pixelsInRect) * 4);
                if (pixels) addKb(pixelsInRect * kBytesPerPixel / 1024);
            }
            if (wantMask && !mask) {
                mask = spareMask ? spareMask.release() : allocArray<uint16_t>(static_cast<uint64_t>(pixelsInRect));
                if (mask) addKb(pixelsInRect * kBytesPerMaskValue / 1024);
            }
        }
        if ((!wantPixels || pixels) && (!wantMask || mask)) break;
    }

    if (levels == 0 || (wantPixels && !pixels) || (wantMask && !mask)) {
        // No record; a block that did come through is not kept alone.
        if (pixels) subtractKb(pixelsInRect * kBytesPerPixel / 1024);
        if (mask) subtractKb(pixelsInRect * kBytesPerMaskValue / 1024);
        releaseBuffer(pixels);
        releaseBuffer(mask);
        // The back buffer still follows the layer so that the next save
        // starts from the right "before" state.
        if (wantPixels) layerToBack(*layer, q);
        if (wantMask) maskToBackMask(q);
        undoResetRectangle();
        return;
    }

    for (int32_t k = levels - 1; k >= 1; --k) u.records[k] = u.records[k - 1];
    UndoRecord& r = u.records[0];
    r.pixels = pixels;
    r.mask = mask;
    r.maskState = e.selection.maskEnabled;
    r.left = left;
    r.top = top;
    r.right = right;
    r.bottom = bottom;
    r.layerNum = c.currentLayerNum;

    if (pixels) {
        backToBlock(pixels, q);
        layerToBack(*layer, q);
    }
    if (mask) {
        backMaskToBlock(mask, q);
        maskToBackMask(q);
    }
    undoResetRectangle();
}

void undoUndo() {
    UndoState& u = engine().undo;
    if (u.paused || u.undoPosition < 0 || u.undoPosition >= usableLevels()) return;
    UndoRecord& r = u.records[u.undoPosition];
    if (!holdsData(r)) return;
    swapRecord(r);
    ++u.undoPosition;
}

void undoRedo() {
    UndoState& u = engine().undo;
    if (u.paused || u.undoPosition <= 0) return;
    --u.undoPosition;
    if (u.undoPosition >= kUndoSlots) return;
    swapRecord(u.records[u.undoPosition]);
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
    for (int32_t k = usableLevels() - 1; k >= 0; --k) {
        UndoRecord& r = u.records[k];
        // Records holding only a mask block are small and stay.
        if (!r.pixels) continue;
        if (released >= kb) break;
        // Released is what the blocks were counted with when allocated.
        const int64_t pixelsInRect = recordWidth(r) * recordHeight(r);
        int64_t recordKb = pixelsInRect * kBytesPerPixel / 1024;
        if (r.mask) recordKb += pixelsInRect * kBytesPerMaskValue / 1024;
        freeRecord(r);
        released += recordKb;
    }
    return released;
}

void undoSetLevels(int32_t n) {
    undoClearHistory();
    engine().undo.undoLevels = std::clamp(n, 0, kUndoSlots);
}

void undoSetBudgetMb(int32_t mb) {
    UndoState& u = engine().undo;
    if (mb == 0) {
        u.automaticBudget = 1;
        undoRecomputeAutomaticBudget();
        return;
    }
    u.automaticBudget = 0;
    u.undoBudgetKb = static_cast<int64_t>(mb) * 1024;
}

bool undoCanUndo() {
    const UndoState& u = engine().undo;
    return u.undoPosition >= 0 && u.undoPosition < usableLevels() && holdsData(u.records[u.undoPosition]);
}

bool undoCanRedo() { return engine().undo.undoPosition != 0; }

int32_t undoRedoCount() { return engine().undo.undoPosition; }

int32_t undoRecordCount() {
    int32_t count = 0;
    for (const UndoRecord& r : engine().undo.records)
        if (holdsData(r)) ++count;
    return count;
}

}  // namespace mrv
