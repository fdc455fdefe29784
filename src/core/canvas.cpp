// Canvas creation, resizing and deletion. A canvas owns the MaskPlane, the
// UndoBackBuffer pair, the TextureMap and PaintLayer, the brush-sized buffers
// and the image-processing working buffers; layers are owned by the table.
#include "core/canvas.h"

#include <algorithm>
#include <cstring>

#include "brush/brush_buffers.h"
#include "core/engine_state.h"
#include "core/guard.h"
#include "core/layer_table.h"
#include "core/memory.h"
#include "core/random.h"
#include "undo/undo_store.h"

namespace mrv {

namespace {

constexpr int32_t kFallbackSide = 100;
// A brush larger than the largest canvas cannot be painted; larger requests
// are cut to this so that the brush buffers stay allocatable.
constexpr int32_t kMaxBrushMaxSize = kMaxCanvasSide;

int32_t clampBrushMaxSize(int32_t size) { return std::clamp(size, 0, kMaxBrushMaxSize); }

void storeSizes(void* hostWindow, int32_t width, int32_t height, int32_t brushMaxSize, int32_t fifth) {
    CoreState& c = engine().core;
    c.hostWindow = hostWindow;
    c.canvasWidth = width;
    c.canvasHeight = height;
    c.canvasStride = width * 4;
    c.brushMaxSize = brushMaxSize;
    c.brushMaxStride = brushMaxSize * 4;
    c.fifthArgument = fifth;
    ViewState& v = engine().view;
    v.viewZoom = 1;
    v.viewScale = 1.0f;
    v.viewOffsetX = 0;
    v.viewOffsetY = 0;
}

// MaskPlane (all edits act fully), the mask flags and the UndoBackBuffer pair.
void allocateCanvasBuffers() {
    EngineState& e = engine();
    const uint64_t pixels = static_cast<uint64_t>(e.core.canvasWidth) * e.core.canvasHeight;
    e.selection.maskPlane = allocArrayOrThrow<uint16_t>(pixels);
    std::memset(e.selection.maskPlane, 0xFF, pixels * 2);
    e.selection.maskStride = e.core.canvasWidth * 2;
    e.selection.maskEnabled = 1;
    e.core.tracingMode = 0;
    e.core.traceLayer = &e.core.layers[0];
    e.undo.undoBackBuffer = allocZeroedArrayOrThrow<uint16_t>(pixels * 4);
    e.undo.undoBackMask = allocZeroedArrayOrThrow<uint16_t>(pixels);
}

void makeRandomArrays() {
    CoreState& c = engine().core;
    if (!makeRandArrayByte(c.randomBytes255, 255, kRandomArrayLength)) setLastError("MakeRandArrayByte Excpt");
    if (!makeRandArrayByte(c.randomBytes254, 254, kRandomArrayLength)) setLastError("MakeRandArrayByte Excpt");
}

void releaseImagingBuffers() {
    ImagingState& i = engine().imaging;
    releaseBuffer(i.iplSrcBuffer32);
    releaseBuffer(i.iplDstBuffer32);
    releaseBuffer(i.iplSrcBuffer24);
    releaseBuffer(i.iplDstBuffer24);
}

}  // namespace

int32_t clampCanvasSide(int32_t side) {
    return (side < 0 || side > kMaxCanvasSide) ? kFallbackSide : side;
}

void releaseWorkingBuffers() {
    EngineState& e = engine();
    releaseBuffer(e.selection.maskPlane);
    deleteTexture();
    releaseBuffer(e.undo.undoBackBuffer);
    releaseBuffer(e.undo.undoBackMask);
    releaseBrushBuffers();
    deletePaintLayer();
    releaseImagingBuffers();
}

namespace {

// Shared by creation and resizing: the earlier canvas's working buffers and
// undo records are released (so a second MRV_CreateImage leaks nothing), then
// everything is made again for the new size. Layers go only when a new
// picture starts; a resize leaves them to the caller.
void replaceCanvas(void* hostWindow, int32_t width, int32_t height, int32_t brushMaxSize, int32_t fifth,
                   bool releaseLayers) {
    EngineState& e = engine();
    undoResetRecords();
    releaseWorkingBuffers();
    e.undo.undoMemoryKb = 0;
    storeSizes(hostWindow, clampCanvasSide(width), clampCanvasSide(height), clampBrushMaxSize(brushMaxSize), fifth);
    if (releaseLayers) {
        for (LayerSlot& s : e.core.layers) releaseBuffer(s.pixels);
        e.core.currentLayer = nullptr;
    }
    allocateBrushBuffers();
    allocateCanvasBuffers();
    undoClearHistory();  // counts the back buffer pair as in use
    makeRandomArrays();
}

}  // namespace

void createImage(void* hostWindow, int32_t width, int32_t height, int32_t brushMaxSize, int32_t fifth) {
    replaceCanvas(hostWindow, width, height, brushMaxSize, fifth, true);
}

void newSize(void* hostWindow, int32_t width, int32_t height, int32_t brushMaxSize, int32_t fifth) {
    replaceCanvas(hostWindow, width, height, brushMaxSize, fifth, false);
}

void deleteImage() {
    EngineState& e = engine();
    undoResetRecords();
    releaseWorkingBuffers();
    undoClearHistory();
    e.undo.undoMemoryKb = 0;
    for (int32_t n = 0; n < kLayerCount; ++n) deleteLayer(n);
    e.core.currentLayer = nullptr;
}

}  // namespace mrv
