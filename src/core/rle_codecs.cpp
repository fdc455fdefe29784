// Run-length line codecs. Runs compare the 8-bit forms only, so 16-bit values
// that differ in their low bytes share a run and decode with a zero low byte.
#include "core/rle_codecs.h"

#include <algorithm>
#include <cstring>

#include "core/engine_state.h"

namespace mrv {

namespace {

// Largest count whose encoding length still fits the int32 result.
constexpr int32_t kMaxLayerCount = INT32_MAX / 5;
constexpr int32_t kMaxMaskCount = INT32_MAX / 2;

inline void highBytes(const uint16_t* p, uint8_t v[4]) {
    v[0] = static_cast<uint8_t>(p[0] >> 8);
    v[1] = static_cast<uint8_t>(p[1] >> 8);
    v[2] = static_cast<uint8_t>(p[2] >> 8);
    v[3] = static_cast<uint8_t>(p[3] >> 8);
}

bool lineLayer(int32_t n, int32_t y, LayerSlot*& slot, int32_t& width) {
    if (!isLayerNumber(n)) return false;
    const CoreState& c = engine().core;
    LayerSlot& s = engine().core.layers[n];
    if (!s.pixels || y < 0 || y >= c.canvasHeight || y >= s.height) return false;
    width = std::min(c.canvasWidth, s.width);
    if (width <= 0) return false;
    slot = &s;
    return true;
}

}  // namespace

int32_t rleCompressRGBA64ToRGBA32(const uint16_t* pixels, uint8_t* out, int32_t n) {
    if (!pixels || !out || n < 1 || n > kMaxLayerCount) return 0;
    uint8_t value[4];
    highBytes(pixels, value);
    uint32_t length = 1;
    size_t written = 0;
    auto flush = [&] {
        out[written] = static_cast<uint8_t>(length);
        std::memcpy(out + written + 1, value, 4);
        written += 5;
    };
    for (int32_t i = 1; i < n; ++i) {
        uint8_t next[4];
        highBytes(pixels + static_cast<size_t>(i) * 4, next);
        if (length < kMaxRun && std::memcmp(next, value, 4) == 0) {
            ++length;
            continue;
        }
        flush();
        std::memcpy(value, next, 4);
        length = 1;
    }
    flush();
    return static_cast<int32_t>(written);
}

int32_t rleCompressG16ToG8(const uint16_t* values, uint8_t* out, int32_t n) {
    if (!values || !out || n < 1 || n > kMaxMaskCount) return 0;
    uint8_t value = static_cast<uint8_t>(values[0] >> 8);
    uint32_t length = 1;
    size_t written = 0;
    for (int32_t i = 1; i < n; ++i) {
        const uint8_t next = static_cast<uint8_t>(values[i] >> 8);
        if (length < kMaxRun && next == value) {
            ++length;
            continue;
        }
        out[written++] = static_cast<uint8_t>(length);
        out[written++] = value;
        value = next;
        length = 1;
    }
    out[written++] = static_cast<uint8_t>(length);
    out[written++] = value;
    return static_cast<int32_t>(written);
}

void rleUncompressRGBA32ToRGBA64(const uint8_t* in, uint16_t* pixels, int32_t n) {
    if (!in || !pixels) return;
    int64_t pos = 0;
    while (pos < n) {
        // A run that would pass n is cut at n: the output holds n pixels only.
        const int64_t length = std::min<int64_t>(in[0], n - pos);
        uint16_t v[4];
        for (int k = 0; k < 4; ++k) v[k] = static_cast<uint16_t>(in[1 + k] << 8);
        for (int64_t i = 0; i < length; ++i) std::memcpy(pixels + (pos + i) * 4, v, 8);
        pos += length;
        in += 5;
    }
}

void rleUncompressG8ToG16(const uint8_t* in, uint16_t* values, int32_t n) {
    if (!in || !values) return;
    int64_t pos = 0;
    while (pos < n) {
        const int64_t length = std::min<int64_t>(in[0], n - pos);
        const uint16_t v = static_cast<uint16_t>(in[1] << 8);
        for (int64_t i = 0; i < length; ++i) values[pos + i] = v;
        pos += length;
        in += 2;
    }
}

int32_t getRGBA32LayerLineRLE(uint8_t* out, int32_t n, int32_t y) {
    LayerSlot* s = nullptr;
    int32_t width = 0;
    if (!out || !lineLayer(n, y, s, width)) return 0;
    return rleCompressRGBA64ToRGBA32(s->pixels + static_cast<size_t>(y) * s->stride, out, width);
}

void putRGBA32LayerLineRLE(const uint8_t* in, int32_t n, int32_t y) {
    LayerSlot* s = nullptr;
    int32_t width = 0;
    if (!in || !lineLayer(n, y, s, width)) return;
    rleUncompressRGBA32ToRGBA64(in, s->pixels + static_cast<size_t>(y) * s->stride, width);
}

int32_t getMaskLineRLE(uint8_t* out, int32_t y) {
    const EngineState& e = engine();
    if (!out || !e.selection.maskPlane || y < 0 || y >= e.core.canvasHeight) return 0;
    return rleCompressG16ToG8(e.selection.maskPlane + static_cast<size_t>(y) * e.core.canvasWidth, out,
                              e.core.canvasWidth);
}

void putMaskLineRLE(const uint8_t* in, int32_t y) {
    EngineState& e = engine();
    if (!in || !e.selection.maskPlane || y < 0 || y >= e.core.canvasHeight) return;
    rleUncompressG8ToG16(in, e.selection.maskPlane + static_cast<size_t>(y) * e.core.canvasWidth,
                         e.core.canvasWidth);
}

}  // namespace mrv
