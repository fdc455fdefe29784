// Demo stage: demoBuildLayers. Fills the six layers main() created with
// pictures made here and loaded through the RGBA32 loader: a sky gradient
// background, soft discs in Normal, a Multiply band, a ring faded by the
// Layer Mask above it, soft squares through an Alpha-family mode that turns
// their partly covered rims into black outlines, and a selection whose
// overlay the rendered view shows.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "demo.h"

namespace {

struct Image {
    int32_t w, h;
    std::vector<uint8_t> px;
    Image(int32_t width, int32_t height) : w(width), h(height), px(static_cast<size_t>(width) * height * 4, 0) {}
    uint8_t* at(int32_t x, int32_t y) { return &px[(static_cast<size_t>(y) * w + x) * 4]; }
};

uint8_t clampByte(float v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

// Coverage of a disc with a soft rim of `soft` pixels.
float disc(float x, float y, float cx, float cy, float r, float soft) {
    const float d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
    return std::fmin(1.0f, std::fmax(0.0f, (r - d) / soft));
}

void load(int32_t n, const Image& img) { MRV_LoadRGBA32Layer(img.px.data(), img.w * 4, n, 0, 0, img.w, img.h, 0); }

}  // namespace

bool demoBuildLayers(DemoContext& ctx) {
    const int32_t w = ctx.width, h = ctx.height;

    // Layer 1: an opaque sky gradient.
    Image sky(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            uint8_t* p = sky.at(x, y);
            const float t = static_cast<float>(y) / h;
            p[0] = clampByte(120 + 120 * t);
            p[1] = clampByte(170 + 60 * t);
            p[2] = clampByte(235 - 40 * t);
            p[3] = 255;
        }
    load(1, sky);

    // Layer 2 (Normal): three soft discs.
    Image discs(w, h);
    const struct {
        float cx, cy, r;
        uint8_t rgb[3];
    } spots[] = {{220, 260, 140, {220, 60, 50}}, {420, 200, 110, {250, 200, 40}}, {600, 330, 150, {60, 140, 90}}};
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            uint8_t* p = discs.at(x, y);
            for (const auto& s : spots) {
                const float a = disc(static_cast<float>(x), static_cast<float>(y), s.cx, s.cy, s.r, 6.0f);
                if (a <= 0) continue;
                // Painter's order: each disc over the ones before it.
                const float under = p[3] / 255.0f;
                const float out = a + under * (1 - a);
                for (int i = 0; i < 3; ++i) p[i] = clampByte((s.rgb[i] * a + p[i] * under * (1 - a)) / out);
                p[3] = clampByte(out * 255);
            }
        }
    load(2, discs);

    // Layer 3 (Multiply 70 %): a diagonal band of violet stripes.
    Image band(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const int32_t d = x + y - 700;
            if (d < -90 || d > 90) continue;
            uint8_t* p = band.at(x, y);
            const bool stripe = ((x - y) / 24) % 2 == 0;
            p[0] = stripe ? 150 : 200;
            p[1] = stripe ? 90 : 160;
            p[2] = 230;
            p[3] = 255;
        }
    load(3, band);

    // Layer 4 (Normal here): a ring, faded by the Layer Mask above it. An
    // Alpha-family mode would give every covered pixel the alpha-layer
    // opacity after masking, so the fade shows on a Normal layer.
    MRV_SetLayerOptions(4, 1, 0, 100, "Normal");
    Image glow(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const float outer = disc(static_cast<float>(x), static_cast<float>(y), 400, 420, 150, 30.0f);
            const float inner = disc(static_cast<float>(x), static_cast<float>(y), 400, 420, 90, 30.0f);
            const float a = outer - inner;
            if (a <= 0) continue;
            uint8_t* p = glow.at(x, y);
            p[0] = 255;
            p[1] = clampByte(120 + 100 * a);
            p[2] = 30;
            p[3] = clampByte(a * 255);
        }
    load(4, glow);

    // Layer 5 (Layer Mask of layer 4): a left-to-right grey ramp, so the ring
    // fades in from the left; its top part is transparent and masks nothing.
    Image ramp(w, h);
    for (int32_t y = 300; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            uint8_t* p = ramp.at(x, y);
            p[0] = p[1] = p[2] = clampByte(255.0f * x / (w - 1));
            p[3] = 255;
        }
    load(5, ramp);

    // Layer 6 (Alpha Black Outline, alpha-layer opacity 90 %): squares with a
    // soft rim of 10 pixels; the opaque middle keeps its colour, the rim
    // becomes a black outline at the alpha-layer opacity.
    MRV_SetLayerOptions(6, 1, 0, 100, "Alpha Black Outline");
    MRV_SetAlphaLayerOpacity(90);
    Image squares(w, h);
    for (int32_t k = 0; k < 6; ++k)
        for (int32_t y = 30; y < 130; ++y)
            for (int32_t x = 50 + k * 120; x < 150 + k * 120 && x < w; ++x) {
                const int32_t edge = std::min(std::min(x - (50 + k * 120), 149 + k * 120 - x), std::min(y - 30, 129 - y));
                uint8_t* p = squares.at(x, y);
                p[0] = clampByte(40 * k);
                p[1] = 190;
                p[2] = clampByte(250 - 40 * k);
                p[3] = clampByte(edge >= 10 ? 255 : 25 * (edge + 1));
            }
    load(6, squares);
    std::printf("layers filled: sky, discs (Normal), band (Multiply), ring (Normal) under a ramp\n"
                "  Layer Mask, outlined squares (Alpha Black Outline)\n");

    // A selection: an ellipse in the lower right is protected with a soft rim
    // (grey 255 protects fully); the view shows it through the overlay.
    std::vector<uint8_t> grey(static_cast<size_t>(w) * h * 3, 0);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const float dx = (x - 660.0f) / 120.0f, dy = (y - 500.0f) / 80.0f;
            const float v = std::fmin(1.0f, std::fmax(0.0f, (1.0f - std::sqrt(dx * dx + dy * dy)) * 6.0f));
            uint8_t* p = &grey[(static_cast<size_t>(y) * w + x) * 3];
            p[0] = p[1] = p[2] = clampByte(v * 255);
        }
    MRV_LoadMask(grey.data(), w * 3, w, h);
    MRV_EnableMask(1);
    MRV_SetMaskOptions(255, 40, 40, 255, 140, 140, 0);
    MRV_DisplayMask(1);
    std::printf("selection: soft ellipse protected at (660, 500), overlay on\n");
    return true;
}
