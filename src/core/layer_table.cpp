// The layer table: creation and release of layer pixels, the current layer,
// display options and blend-mode names, the TextureMap and the PaintLayer.
#include "core/layer_table.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "core/engine_state.h"
#include "core/memory.h"
#include "undo/undo_store.h"

namespace mrv {

namespace {

// Indexed by blend-mode number. Number 20 has no name and cannot be selected.
constexpr const char* kBlendModeNames[kBlendModeCount] = {
    "Normal",
    "Multiply",
    "Screen",
    "Darken",
    "Lighten",
    "Difference",
    "Negation",
    "Exclusion",
    "Overlay",
    "Hard Light",
    "Soft Light",
    "Dodge",
    "Burn",
    "Reflect",
    "Glow",
    "Add",
    "Subtract",
    "Texturize",
    "Texturize2",
    "Texturize3",
    nullptr,
    "Alpha Normal",
    "Alpha Filter",
    "Alpha Black Outline",
    "Alpha Outline Tint 1",
    "Alpha Outline Tint 2",
    "Alpha Invert",
    "Alpha Shader",
    "Alpha Shader Color",
    "Alpha Shader Texture2",
    "Alpha Highlight Texture2",
    "Alpha Smooth",
    "Alpha Smooth Lum",
    "Alpha Smooth Lum2",
    "Alpha Smooth Lum3",
    "Alpha Smooth Lum4",
    "Alpha Smooth Lum5",
    "Alpha Overlay Outline",
    "Alpha Highlight",
    "Layer Mask",
    "Luminance Alpha",
    "Luminance Alpha Invert",
};

uint64_t pixelCount(const LayerSlot& s) {
    return static_cast<uint64_t>(std::max(s.width, 0)) * static_cast<uint64_t>(std::max(s.height, 0));
}

void emptyTouchedRect(LayerSlot& s) {
    const CoreState& c = engine().core;
    s.touchedLeft = c.canvasWidth;
    s.touchedTop = c.canvasHeight;
    s.touchedRight = 0;
    s.touchedBottom = 0;
}

// Allocates w*h RGBA64 pixels, releasing undo history while memory is short.
uint16_t* allocLayerPixels(int32_t w, int32_t h) {
    const uint64_t count = static_cast<uint64_t>(w) * static_cast<uint64_t>(h) * 4;
    uint16_t* p = allocArray<uint16_t>(count);
    // A request below one kilobyte still asks the store to release a record,
    // otherwise a pass that frees nothing would be repeated forever.
    const int64_t wantedKb = std::max<int64_t>(static_cast<int64_t>(count * 2 / 1024), 1);
    const int32_t kb = static_cast<int32_t>(std::min<int64_t>(wantedKb, INT32_MAX));
    while (!p) {
        const bool hadRedo = engine().undo.undoPosition > 0;
        const int64_t released = undoReduce(kb);
        p = allocArray<uint16_t>(count);
        if (!p && released == 0 && !hadRedo) break;
    }
    return p;
}

}  // namespace

const char* blendModeName(int32_t n) {
    if (n < 0 || n >= kBlendModeCount) return nullptr;
    return kBlendModeNames[n];
}

int32_t layerModeFromName(const char* name) {
    if (!name) return 0;
    for (int32_t n = 0; n < kBlendModeCount; ++n) {
        if (kBlendModeNames[n] && std::strcmp(kBlendModeNames[n], name) == 0) return n;
    }
    return 0;
}

uint16_t layerOpacityFromPercent(int32_t percent) {
    return static_cast<uint16_t>(static_cast<int64_t>(percent) * 256 / 100);
}

int32_t createLayer(int32_t n, int32_t width, int32_t height) {
    if (!isLayerNumber(n)) return 0;
    // A layer can be no larger than the largest canvas; anything else is a
    // size no host can mean and would exhaust memory.
    if (width < 0 || height < 0 || width > kMaxCanvasSide || height > kMaxCanvasSide) return 0;
    LayerSlot& s = engine().core.layers[n];
    if (s.pixels && (s.width != width || s.height != height)) releaseBuffer(s.pixels);
    s.width = width;
    s.height = height;
    s.stride = width * 4;
    if (!s.pixels) {
        s.pixels = allocLayerPixels(width, height);
        if (!s.pixels) return 0;
    }
    const uint64_t bytes = static_cast<uint64_t>(width) * height * 8;
    std::memset(s.pixels, n == 1 ? 0xFF : 0x00, bytes);
    return 1;
}

void deleteLayer(int32_t n) {
    if (!isLayerNumber(n)) return;
    releaseBuffer(engine().core.layers[n].pixels);
}

int32_t layerCount() {
    int32_t count = 0;
    for (const LayerSlot& s : engine().core.layers)
        if (s.pixels) ++count;
    return count;
}

void setLayer(int32_t n) {
    if (!isLayerNumber(n)) return;
    CoreState& c = engine().core;
    LayerSlot& s = c.layers[n];
    if (!s.pixels) return;
    // The texture layer is about to be edited: its map would go stale.
    if (s.blendMode == kModeTexturize3 && c.textureMap) deleteTexture();
    const int32_t previous = c.currentLayerNum;
    if (c.currentLayer && previous != n && isLayerNumber(previous)) {
        const LayerSlot& p = c.layers[previous];
        if (p.pixels && p.visible && p.blendMode == kModeTexturize3) createTexture(previous);
    }
    c.currentLayer = &s;
    c.currentLayerNum = n;
    undoSaveBackBuffer(n);
}

void recomputeTopLayer() {
    CoreState& c = engine().core;
    c.topLayerNum = 1;
    for (int32_t n = 1; n < kLayerCount; ++n)
        if (c.layers[n].pixels) c.topLayerNum = n;
}

void setLayerOptions(int32_t n, int32_t visible, int32_t alphaLocked, int32_t percent, const char* name) {
    if (!isLayerNumber(n)) return;
    CoreState& c = engine().core;
    LayerSlot& s = c.layers[n];
    if (s.blendMode == kModeTexturize3 && c.textureMap) deleteTexture();
    s.visible = static_cast<uint8_t>(visible);
    s.alphaLocked = static_cast<uint8_t>(alphaLocked);
    s.opacity = layerOpacityFromPercent(percent);
    std::memset(s.modeName, 0, sizeof s.modeName);
    if (name && std::strlen(name) < sizeof s.modeName) std::strcpy(s.modeName, name);
    s.blendMode = layerModeFromName(name);
    recomputeTopLayer();
    const bool isCurrent = c.currentLayer == &s;
    if (!isCurrent && s.visible && s.blendMode == kModeTexturize3 && s.pixels) createTexture(n);
}

void swapLayers(int32_t a, int32_t b) {
    if (!isLayerNumber(a) || !isLayerNumber(b)) return;
    std::swap(engine().core.layers[a], engine().core.layers[b]);
}

uint8_t* createTexture(int32_t n) {
    if (!isLayerNumber(n)) return nullptr;
    CoreState& c = engine().core;
    const LayerSlot& s = c.layers[n];
    if (!s.pixels) return nullptr;
    const int32_t w = std::max(c.canvasWidth, 0);
    const int32_t h = std::max(c.canvasHeight, 0);
    if (!c.textureMap) {
        c.textureMap = allocArray<uint8_t>(static_cast<uint64_t>(w) * h);
        if (!c.textureMap) return nullptr;
    }
    // A layer smaller than the canvas (a resize still in progress) casts the
    // darkest texture value where it has no pixels.
    const int32_t rows = std::min(h, s.height);
    const int32_t cols = std::min(w, s.width);
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* out = c.textureMap + static_cast<size_t>(y) * w;
        if (y >= rows) {
            std::memset(out, kTextureMin, w);
            continue;
        }
        const uint16_t* row = s.pixels + static_cast<size_t>(y) * s.stride;
        for (int32_t x = 0; x < cols; ++x) {
            const uint32_t sum = uint32_t{row[x * 4]} + row[x * 4 + 1] + row[x * 4 + 2];
            out[x] = static_cast<uint8_t>(std::clamp<uint32_t>(sum / 768, kTextureMin, kTextureMax));
        }
        if (cols < w) std::memset(out + cols, kTextureMin, w - cols);
    }
    return c.textureMap;
}

void deleteTexture() { releaseBuffer(engine().core.textureMap); }

int32_t layerMaskAbove(int32_t n) {
    const CoreState& c = engine().core;
    if (n < 0 || n >= c.topLayerNum) return 0;
    for (int32_t k = n + 1; k <= c.topLayerNum && k < kLayerCount; ++k) {
        const LayerSlot& s = c.layers[k];
        if (s.pixels && s.visible) return s.blendMode == kModeLayerMask ? k : 0;
    }
    return 0;
}

void createPaintLayer(int32_t percent, const char* name) {
    CoreState& c = engine().core;
    LayerSlot& p = c.paintLayer;
    if (!p.pixels) {
        p.width = std::max(c.canvasWidth, 0);
        p.height = std::max(c.canvasHeight, 0);
        p.stride = p.width * 4;
        p.pixels = allocArrayOrThrow<uint16_t>(pixelCount(p) * 4);
        clearPaintLayer();
    }
    if (name && std::strlen(name) < sizeof p.modeName) {
        std::memset(p.modeName, 0, sizeof p.modeName);
        std::strcpy(p.modeName, name);
    }
    p.visible = 1;
    p.alphaLocked = 0;
    p.opacity = layerOpacityFromPercent(percent);
    p.blendMode = layerModeFromName(name);
}

void clearPaintLayer() {
    LayerSlot& p = engine().core.paintLayer;
    if (!p.pixels) return;
    std::memset(p.pixels, 0, pixelCount(p) * 8);
    emptyTouchedRect(p);
}

void clearPaintLayerOld() {
    LayerSlot& p = engine().core.paintLayer;
    if (!p.pixels) return;
    std::memset(p.pixels, 0xFF, pixelCount(p) * 8);
    // The touched rectangle comes from the dab renderer; keep it on the layer.
    const int32_t left = std::max(p.touchedLeft, 0);
    const int32_t top = std::max(p.touchedTop, 0);
    const int32_t right = std::min(p.touchedRight, p.width);
    const int32_t bottom = std::min(p.touchedBottom, p.height);
    for (int32_t y = top; y < bottom; ++y) {
        if (left < right)
            std::memset(p.pixels + static_cast<size_t>(y) * p.stride + static_cast<size_t>(left) * 4, 0,
                        static_cast<size_t>(right - left) * 8);
    }
    emptyTouchedRect(p);
}

void deletePaintLayer() { releaseBuffer(engine().core.paintLayer.pixels); }

}  // namespace mrv
