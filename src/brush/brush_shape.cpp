// BrushShape building. A picture given by path is loaded once and cached with
// its rotation, so that a host rebuilding the shape at every size change does
// not reread and rerotate the file; the blur, resampling and grey conversion
// run on every build because they depend on the size and the tool.
#include "brush/brush_shape.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "brush/tool_state.h"
#include "core/engine_state.h"
#include "core/memory.h"
#include "platform/effect_script/effect_script.h"
#include "platform/imaging/imaging.h"

namespace mrv {

namespace {

constexpr int32_t kFullCoverage = 65535;
constexpr int32_t kRotateEffect = 51;
constexpr int32_t kRotateQuality = 100;  // second parameter of the rotation effect
constexpr int32_t kDecimateAreaAverage = 1;

// Values above 16 bits (a strength above 1) saturate, and a negative strength
// paints nothing, rather than wrapping around to arbitrary coverage.
uint16_t saturate16(float v) {
    if (!(v > 0.0f)) return 0;
    if (v >= 65535.0f) return 65535;
    return static_cast<uint16_t>(static_cast<int32_t>(v));
}

bool hasPath(const char* path) { return path && path[0] != '\0' && path[1] != '\0'; }

// Loads the picture into the cache as RGBA32. Script route first (when
// allowed); a path that loads as a script never falls back to the file route.
bool loadShapePicture(const char* path, bool withScript) {
    BrushState& b = engine().brush;
    int32_t width = 0;
    int32_t height = 0;
    UniqueBuffer<uint8_t> picture;
    if (withScript && platform::scriptImageSize(path, &width, &height)) {
        if (width <= 0 || height <= 0) return false;
        picture.reset(allocArray<uint8_t>(static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4));
        if (!picture) return false;
        if (!platform::renderScript(path, picture.get(), width, height)) return false;
        platform::swapRedBlue(picture.get(), static_cast<size_t>(width) * static_cast<size_t>(height));
    } else {
        platform::DecodedImage decoded{};
        if (!platform::readImageToRGBA(path, &decoded)) return false;
        UniqueBuffer<uint8_t> library(decoded.pixels);
        if (decoded.width <= 0 || decoded.height <= 0) return false;
        width = decoded.width;
        height = decoded.height;
        const uint64_t bytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4;
        picture.reset(allocArray<uint8_t>(bytes));
        if (!picture) return false;
        std::memcpy(picture.get(), library.get(), bytes);
    }
    b.shapeSourcePicture = picture.release();
    b.shapeSourceWidth = width;
    b.shapeSourceHeight = height;
    // A path too long for the cache is kept truncated; it can then never
    // match again, so such a picture is simply reloaded each time.
    std::strncpy(b.shapeSourcePath, path, kShapePathSize - 1);
    b.shapeSourcePath[kShapePathSize - 1] = '\0';
    return true;
}

bool cacheMatches(const char* path, int32_t angle) {
    const BrushState& b = engine().brush;
    return b.shapeSourcePicture && std::strcmp(b.shapeSourcePath, path) == 0 && b.shapeSourceAngle == angle;
}

// Steps from the cached picture to the BrushShape. False when the shape could
// not be made from it (the caller then draws the round shape).
bool shapeFromPicture(bool withBlur) {
    EngineState& e = engine();
    BrushState& b = e.brush;
    const int32_t size = usableBrushSize();
    const int32_t width = b.shapeSourceWidth;
    const int32_t height = b.shapeSourceHeight;
    // Row strides below are 32-bit byte counts.
    if (width <= 0 || height <= 0 || width > INT32_MAX / 4) return false;
    const uint64_t area = static_cast<uint64_t>(size) * static_cast<uint64_t>(size);
    UniqueBuffer<uint8_t> work(allocArray<uint8_t>(area * 4));
    UniqueBuffer<uint8_t> grey(allocArray<uint8_t>(area));
    if (!work || !grey) return false;

    bool resampled = false;
    const uint8_t* source = b.shapeSourcePicture;
    UniqueBuffer<uint8_t> blurred;
    if (withBlur && b.shapeBlur > 0) {
        const uint64_t bytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4;
        blurred.reset(allocArray<uint8_t>(bytes));
        if (!blurred) {
            b.gritCountdown = b.gritInterval;
            return false;
        }
        std::memcpy(blurred.get(), source, bytes);
        applyShapeBlur(source, blurred.get(), width, height, b.shapeBlur);
        source = blurred.get();
    }
    // Only the width chooses between enlarging and shrinking.
    if (size >= width) {
        resampled = platform::resizeImage(source, width, height, width * 4, work.get(), size, size, size * 4, 4);
    } else {
        resampled = platform::decimateImage(source, width, height, width * 4, work.get(), size, size, size * 4, 4,
                                            kDecimateAreaAverage);
    }
    blurred.reset();
    b.gritCountdown = b.gritInterval;
    if (!resampled) return false;

    platform::grayFromColor(work.get(), 4, grey.get(), area);
    const int32_t stride = e.core.brushMaxSize;
    const float strength = b.shapeStrength;
    for (int32_t r = 0; r < size; ++r) {
        uint16_t* row = b.brushShape + static_cast<int64_t>(r) * stride;
        const uint8_t* g = grey.get() + static_cast<int64_t>(r) * size;
        for (int32_t c = 0; c < size; ++c) row[c] = saturate16(static_cast<float>(g[c] * 256) * strength);
    }
    return true;
}

}  // namespace

bool applyShapeBlur(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t shapeBlur) {
    // Wired to the built-in "Value Blur" filter (sliders s1 = 0 and
    // s2 = (100 - shapeBlur) * 10, in place) once that filter exists; until
    // then the shape is resampled unblurred.
    return false;
}

void releaseShapeSource() {
    BrushState& b = engine().brush;
    releaseBuffer(b.shapeSourcePicture);
    b.shapeSourceWidth = 0;
    b.shapeSourceHeight = 0;
}

void buildRoundShape() {
    EngineState& e = engine();
    BrushState& b = e.brush;
    if (!b.brushShape) throwFault();
    const int32_t size = usableBrushSize();
    const int32_t stride = e.core.brushMaxSize;
    // The integer centre puts an even shape half a pixel before the middle;
    // painted strokes rely on that placement, so it is kept.
    const int32_t centre = size / 2;
    const double radius = size * 0.5;
    const double rim = radius * b.shapeSoftness / 255;
    const double inner = radius - rim;
    const float strength = b.shapeStrength;
    for (int32_t y = 0; y < size; ++y) {
        uint16_t* row = b.brushShape + static_cast<int64_t>(y) * stride;
        for (int32_t x = 0; x < size; ++x) {
            const int64_t dx = x - centre;
            const int64_t dy = y - centre;
            const int32_t d = static_cast<int32_t>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
            if (d > radius) {
                row[x] = 0;
                continue;
            }
            int32_t v = kFullCoverage;
            if (b.shapeSoftness != 0 && d > inner) {
                const double ramp = kFullCoverage * (rim - (d - inner)) / rim;
                v = static_cast<int32_t>(std::clamp(ramp, 0.0, static_cast<double>(kFullCoverage)));
            }
            if (b.shapeHollow != 0) v = kFullCoverage - v;
            row[x] = saturate16(static_cast<float>(v) * strength);
        }
    }
}

void setBrushShape(const char* path, int32_t angle, bool withScript) {
    EngineState& e = engine();
    BrushState& b = e.brush;
    if (!b.brushShape) throwFault();
    const uint64_t maxSize = static_cast<uint64_t>(e.core.brushMaxSize);
    std::memset(b.brushShape, 0, maxSize * maxSize * sizeof(uint16_t));

    if (hasPath(path)) {
        bool made = false;
        try {
            bool havePicture = cacheMatches(path, angle);
            if (!havePicture) {
                releaseShapeSource();
                havePicture = loadShapePicture(path, withScript);
                if (havePicture) {
                    b.shapeSourceAngle = angle;
                    // Rotation runs for every angle, 0 included; when the effect
                    // cannot run the picture stays unrotated but is still
                    // recorded with the requested angle.
                    const int32_t slots[2] = {angle, kRotateQuality};
                    platform::applyEffect(kRotateEffect, slots, 2, b.shapeSourcePicture, b.shapeSourceWidth,
                                          b.shapeSourceHeight);
                }
            }
            if (havePicture) made = shapeFromPicture(withScript);
        } catch (...) {
            made = false;  // any fault with the picture gives the round shape
        }
        if (made) return;
    }
    buildRoundShape();
}

void createBlobFromImage(int32_t n, int32_t mode) {
    if (!isLayerNumber(n)) return;
    LayerSlot& layer = engine().core.layers[n];
    if (!layer.pixels) return;
    constexpr int64_t kMidGrey = 32767;
    constexpr int64_t kHalfWay = 65534;
    constexpr uint16_t kFaintAlpha = 8191;
    constexpr double kAlphaFromLightness = 0.843;
    constexpr int32_t kBlobAlphaFloor = 10239;
    for (int32_t y = 0; y < layer.height; ++y) {
        uint16_t* p = layer.pixels + static_cast<int64_t>(y) * layer.stride;
        for (int32_t x = 0; x < layer.width; ++x, p += 4) {
            const int64_t lightness = (static_cast<int64_t>(p[0]) + p[1] + p[2]) / 3;
            for (int ch = 0; ch < 3; ++ch) {
                const int64_t c = p[ch];
                int64_t out = kMidGrey;
                if (mode == 1) {
                    out = lightness < kMidGrey ? c + (65535 - c) * (kMidGrey - lightness) / kHalfWay
                                               : c - c * (lightness - kMidGrey) / kHalfWay;
                }
                p[ch] = static_cast<uint16_t>(out);
            }
            if (p[3] > kFaintAlpha)
                p[3] = static_cast<uint16_t>(static_cast<int32_t>(lightness * kAlphaFromLightness + kBlobAlphaFloor));
        }
    }
}

}  // namespace mrv
