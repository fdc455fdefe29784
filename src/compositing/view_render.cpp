// View rendering. Nothing is cached between calls: every call rebuilds the
// layer list and recomposites each displayed pixel from the layers.
//
// The work is organised by rows: for one canvas row, each list entry in turn
// is laid over an accumulator row covering the canvas columns on show, then
// the row is finished (tracing, checkerboard, overlay) and written out. The
// per-pixel arithmetic is exactly that of compositing pixel by pixel through
// the whole list (each pixel's accumulator is independent of its
// neighbours); doing it entry by entry lets each entry's mode, opacity and
// mask be fixed for a whole row, and lets the rows go to both cores.
//
// The accumulator of a pixel is either "direct" (set by a plain copy: a
// transparent accumulator taking the entry, or an opaque Normal entry) and
// then holds the entry's 16-bit values exactly, or a single-precision straight
// colour with its alpha once any entry needed the formula table.
#include "compositing/view_render.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <utility>
#include <vector>

#include "compositing/blend_math.h"
#include "compositing/parallel.h"
#include "core/engine_state.h"
#include "core/layer_table.h"

namespace mrv {

namespace {

using namespace blend;

constexpr uint32_t kCheckerDark = 0x9FFF;
constexpr uint32_t kCheckerLight = 0xFFFF;
constexpr int32_t kSquareShift = 5;  // checkerboard and overlay squares are 32 x 32 canvas pixels
constexpr uint32_t kOverlayHalf = 0x7FFF;
// Layer pixels are asked for this far ahead of the pixel loop: every entry
// streams its own row, more streams than the hardware follows on its own.
constexpr int32_t kPrefetchPixels = 128;
constexpr int32_t kTileColumns = 512;  // 512 accumulators of 32 bytes: 16 KiB

struct Accumulator {
    Float4 c;  // straight red, green, blue on 0..1 and the alpha, while !direct
    uint16_t dr, dg, db, da;
    bool direct;
};

struct Entry {
    const LayerSlot* slot;
    int32_t mode;
    int32_t opacity;
    int32_t index;      // position in the list, from 0
    bool forcedOpaque;  // the background as the first entry always counts as opaque
    const LayerSlot* mask;
    int32_t validCols;      // leading unique columns that lie inside the layer
    int32_t maskValidCols;  // the same for the mask layer
};

struct Plan {
    std::vector<Entry> entries;
    std::vector<int32_t> colX;      // canvas column of each unique column, non-decreasing
    std::vector<int32_t> rowY;      // canvas row of each displayed row
    std::vector<int32_t> maskRowY;  // MaskPlane row the overlay reads for each displayed row
    bool contiguous = false;        // colX[u] == colX[0] + u
    int32_t displayCols = 0;
    int32_t repeat = 1;  // displayed columns per unique column (the zoom when magnifying)
    bool oneToOne = false;
    int32_t alo = 65535;
    int32_t currentLayerNum = 0;
    const LayerSlot* trace = nullptr;
    int32_t traceValidCols = 0;
    const uint16_t* maskPlane = nullptr;  // non-null while the overlay is drawn
    int32_t canvasWidth = 0;
    bool fullStrength = false;
    uint32_t colourA[3] = {0, 0, 0};
    uint32_t colourB[3] = {0, 0, 0};
};

int32_t columnsInside(const std::vector<int32_t>& colX, int32_t width) {
    return static_cast<int32_t>(std::lower_bound(colX.begin(), colX.end(), width) - colX.begin());
}

inline void setDirect(Accumulator& acc, int32_t r, int32_t g, int32_t b, int32_t a) {
    acc.dr = static_cast<uint16_t>(r);
    acc.dg = static_cast<uint16_t>(g);
    acc.db = static_cast<uint16_t>(b);
    acc.da = static_cast<uint16_t>(a);
    acc.direct = true;
}

[[gnu::always_inline]] inline void compositeOnto(Accumulator& acc, const SourcePixel& p) {
    float Da;
    Float4 D;
    if (acc.direct) {
        // The same premultiplication the kernel applies to a 16-bit destination.
        Da = alphaOf(acc.da);
        D = premultiply(acc.dr, acc.dg, acc.db, Da);
    } else {
        Da = acc.c[3];
        D = acc.c * Da;
        D[3] = 0.0f;
    }
    const float Sa = alphaOf(p.a);
    const Float4 S = premultiply(p.r, p.g, p.b, Sa);
    float Ra;
    const Float4 X = blendFormula(p.colourMode, S, D, Sa, Da, sourceLuminance(p), Ra);
    Ra = clamp01(Ra);
    acc.c = clamp01(X / Ra);
    acc.c[3] = Ra;
    acc.direct = false;
}

// One list entry laid over the accumulators of canvas row y.
template <int32_t Mode, bool Contiguous>
void entryRow(const Entry& e, const Plan& plan, int32_t y, Accumulator* acc, int32_t uBegin, int32_t uEnd) {
    constexpr bool kAlphaFamily = Mode > kLastPlainMode;
    const LayerSlot& s = *e.slot;
    if (y >= s.height) return;
    const uint16_t* row = s.pixels + static_cast<size_t>(y) * s.stride;
    const uint16_t* maskRow = nullptr;
    int32_t maskCols = 0;
    if (e.mask && y < e.mask->height) {
        maskRow = e.mask->pixels + static_cast<size_t>(y) * e.mask->stride;
        maskCols = e.maskValidCols;
    }
    const int32_t* colX = plan.colX.data();
    const int32_t firstX = colX[0];
    const int32_t opacity = e.opacity;
    const bool forced = e.forcedOpaque;
    const int32_t uStop = std::min(uEnd, e.validCols);
    for (int32_t u = uBegin; u < uStop; ++u) {
        const int32_t x = Contiguous ? firstX + u : colX[u];
        const uint16_t* px = row + static_cast<size_t>(x) * 4;
        if (Contiguous && (u & 7) == 0) __builtin_prefetch(px + kPrefetchPixels * 4);
        int32_t sa = px[3];
        if (forced) {
            sa = 65535;
        } else {
            if (!kAlphaFamily && sa == 0) continue;
            if (u < maskCols) {
                const uint16_t* mp = maskRow + static_cast<size_t>(x) * 4;
                if (mp[3] != 0) sa = applyLayerMask(sa, mp);
            }
        }
        sa = applyOpacity(sa, opacity);
        SourcePixel p{px[0], px[1], px[2], sa, Mode, false};
        if constexpr (kAlphaFamily) alphaFamilyStep(p, Mode, false, plan.alo);
        Accumulator& a = acc[u];
        const bool empty = a.direct ? a.da == 0 : a.c[3] == 0.0f;
        if (empty) {
            if (isTexturizeMode(p.colourMode))
                setDirect(a, 0, 0, 0, 0);
            else
                setDirect(a, p.r, p.g, p.b, p.a);
        } else if (p.a >= kOpaqueColourAlpha && p.colourMode == kModeNormal) {
            setDirect(a, p.r, p.g, p.b, 65535);
        } else if (p.a == 0) {
            // Nothing of the entry is left: in exact arithmetic the formula
            // table returns the accumulator itself, so it is kept as it is.
        } else if (p.colourMode == kModeTexturize3Colour) {
            // Only the PaintLayer can get here; it shows as an opaque copy
            // when the current layer's number equals its list position.
            if (plan.currentLayerNum == e.index) {
                a.c = Float4{static_cast<float>(p.r), static_cast<float>(p.g), static_cast<float>(p.b), 0.0f} /
                      kColourScale;
                a.c[3] = 1.0f;
                a.direct = false;
            }
        } else {
            compositeOnto(a, p);
        }
    }
}

using EntryRowFn = void (*)(const Entry&, const Plan&, int32_t, Accumulator*, int32_t, int32_t);

template <size_t... I>
constexpr std::array<EntryRowFn, sizeof...(I)> makeEntryTable(std::index_sequence<I...>, std::false_type) {
    return {&entryRow<static_cast<int32_t>(I), false>...};
}
template <size_t... I>
constexpr std::array<EntryRowFn, sizeof...(I)> makeEntryTable(std::index_sequence<I...>, std::true_type) {
    return {&entryRow<static_cast<int32_t>(I), true>...};
}

constexpr auto kGatherTable = makeEntryTable(std::make_index_sequence<42>(), std::false_type{});
constexpr auto kContiguousTable = makeEntryTable(std::make_index_sequence<42>(), std::true_type{});

// Finishes one composited pixel into three display bytes (blue, green, red).
inline void finishPixel(const Accumulator& acc, const Plan& plan, int32_t x, int32_t y, int32_t maskY, int32_t u,
                        uint8_t out[3]) {
    uint32_t ch[3];
    uint32_t A;
    if (acc.direct) {
        ch[0] = acc.dr;
        ch[1] = acc.dg;
        ch[2] = acc.db;
        A = acc.da;
    } else {
        ch[0] = static_cast<uint32_t>(acc.c[0] * kColourScale);
        ch[1] = static_cast<uint32_t>(acc.c[1] * kColourScale);
        ch[2] = static_cast<uint32_t>(acc.c[2] * kColourScale);
        A = static_cast<uint32_t>(acc.c[3] * kAlphaScale);
    }
    if (plan.trace && u < plan.traceValidCols && y < plan.trace->height) {
        const uint16_t* t = plan.trace->pixels + static_cast<size_t>(y) * plan.trace->stride + static_cast<size_t>(x) * 4;
        for (int i = 0; i < 3; ++i) ch[i] = (ch[i] + t[i]) / 2;
    }
    if (A < 65535) {
        const uint32_t c = (((x >> kSquareShift) + (y >> kSquareShift)) & 1) ? kCheckerDark : kCheckerLight;
        const uint32_t bg = (c * (65535 - A)) >> 8;
        for (int i = 0; i < 3; ++i) ch[i] = (((A * ch[i]) >> 8) + bg) >> 8;
    }
    if (plan.maskPlane) {
        uint32_t m = plan.maskPlane[static_cast<size_t>(maskY) * plan.canvasWidth + x];
        if (!(plan.oneToOne && m == 0xFFFF)) {
            if (!plan.fullStrength) m = m / 2 + kOverlayHalf;
            const uint32_t* K = (((x >> kSquareShift) + (maskY >> kSquareShift)) & 1) ? plan.colourA : plan.colourB;
            out[0] = static_cast<uint8_t>((((m * ch[2]) >> 8) + (((65535 - m) * K[2]) >> 8)) >> 16);
            out[1] = static_cast<uint8_t>((((m * ch[1]) >> 8) + (((65535 - m) * K[1]) >> 8)) >> 16);
            out[2] = static_cast<uint8_t>((((m * ch[0]) >> 8) + (((65535 - m) * K[0]) >> 8)) >> 16);
            return;
        }
    }
    out[0] = static_cast<uint8_t>(ch[2] >> 8);
    out[1] = static_cast<uint8_t>(ch[1] >> 8);
    out[2] = static_cast<uint8_t>(ch[0] >> 8);
}

// True when the row's first entry is the forced-opaque background in an
// ordinary mode that draws over an empty accumulator, lying under every
// column on show.
bool backgroundCoversRow(const Entry& e, int32_t y, int32_t uEnd) {
    return e.forcedOpaque && e.mode <= kLastPlainMode && !isTexturizeMode(e.mode) && e.validCols >= uEnd &&
           y < e.slot->height;
}

// The background entry laid over a row of empty accumulators: its alpha is
// 65535 through the opacity, the mask never applies to it, and an empty
// accumulator takes the entry's colour as it is.
void backgroundRow(const Entry& e, const Plan& plan, int32_t y, Accumulator* acc, int32_t uBegin, int32_t uEnd) {
    const LayerSlot& s = *e.slot;
    const uint16_t* row = s.pixels + static_cast<size_t>(y) * s.stride;
    const uint16_t sa = static_cast<uint16_t>(applyOpacity(65535, e.opacity));
    const int32_t* colX = plan.colX.data();
    if (plan.contiguous) {
        const uint16_t* px = row + static_cast<size_t>(colX[0] + uBegin) * 4;
        for (int32_t u = uBegin; u < uEnd; ++u, px += 4) acc[u] = Accumulator{Float4{0, 0, 0, 0}, px[0], px[1], px[2], sa, true};
    } else {
        for (int32_t u = uBegin; u < uEnd; ++u) {
            const uint16_t* px = row + static_cast<size_t>(colX[u]) * 4;
            acc[u] = Accumulator{Float4{0, 0, 0, 0}, px[0], px[1], px[2], sa, true};
        }
    }
}

// finishPixel for a row without tracing or overlay whose unique columns are
// the displayed ones: the checkerboard alone remains.
void finishPlainRow(const Accumulator* acc, const Plan& plan, int32_t y, int32_t uBegin, int32_t uEnd, uint8_t* out) {
    const int32_t* colX = plan.colX.data();
    const int32_t ySquare = y >> kSquareShift;
    out += static_cast<ptrdiff_t>(uBegin) * 3;
    for (int32_t u = uBegin; u < uEnd; ++u, out += 3) {
        const Accumulator& a = acc[u];
        uint32_t r, g, b, A;
        if (a.direct) {
            r = a.dr;
            g = a.dg;
            b = a.db;
            A = a.da;
        } else {
            const Int4 c = __builtin_convertvector(a.c * Float4{kColourScale, kColourScale, kColourScale, kAlphaScale}, Int4);
            r = static_cast<uint32_t>(c[0]);
            g = static_cast<uint32_t>(c[1]);
            b = static_cast<uint32_t>(c[2]);
            A = static_cast<uint32_t>(c[3]);
        }
        if (A < 65535) {
            const int32_t x = colX[u];
            const uint32_t c = (((x >> kSquareShift) + ySquare) & 1) ? kCheckerDark : kCheckerLight;
            const uint32_t bg = (c * (65535 - A)) >> 8;
            r = (((A * r) >> 8) + bg) >> 8;
            g = (((A * g) >> 8) + bg) >> 8;
            b = (((A * b) >> 8) + bg) >> 8;
        }
        out[0] = static_cast<uint8_t>(b >> 8);
        out[1] = static_cast<uint8_t>(g >> 8);
        out[2] = static_cast<uint8_t>(r >> 8);
    }
}

void renderRows(const Plan& plan, uint8_t* buffer, ptrdiff_t stride, int32_t rowBegin, int32_t rowEnd,
                std::vector<Accumulator>& acc) {
    const int32_t nu = static_cast<int32_t>(plan.colX.size());
    const auto& table = plan.contiguous ? kContiguousTable : kGatherTable;
    const size_t rowBytes = static_cast<size_t>(plan.displayCols) * 3;
    for (int32_t j = rowBegin; j < rowEnd; ++j) {
        uint8_t* out = buffer + static_cast<ptrdiff_t>(j) * stride;
        const int32_t y = plan.rowY[j];
        const int32_t maskY = plan.maskRowY[j];
        if (j > rowBegin && y == plan.rowY[j - 1] && maskY == plan.maskRowY[j - 1]) {
            // A magnified row repeats the one above it byte for byte.
            std::memmove(out, out - stride, rowBytes);
            continue;
        }
        // The row goes in tiles of columns, each taken through the whole
        // list before the next, so that the tile's accumulators stay in the
        // first-level cache instead of streaming a whole row of them past
        // every entry.
        const bool plainFinish = !plan.trace && !plan.maskPlane && plan.repeat == 1;
        for (int32_t uBegin = 0; uBegin < nu; uBegin += kTileColumns) {
            const int32_t uEnd = std::min(nu, uBegin + kTileColumns);
            const Entry* first = plan.entries.data();
            const Entry* end = first + plan.entries.size();
            if (first != end && backgroundCoversRow(*first, y, uEnd)) {
                // The forced-opaque background meets an empty accumulator at
                // every column, so each pixel is a plain copy with the
                // opacity-scaled alpha: no need to clear the tile first.
                backgroundRow(*first, plan, y, acc.data(), uBegin, uEnd);
                ++first;
            } else {
                std::fill(acc.begin() + uBegin, acc.begin() + uEnd, Accumulator{Float4{0, 0, 0, 0}, 0, 0, 0, 0, true});
            }
            for (const Entry* e = first; e != end; ++e)
                table[static_cast<size_t>(e->mode)](*e, plan, y, acc.data(), uBegin, uEnd);
            if (plainFinish) {
                finishPlainRow(acc.data(), plan, y, uBegin, uEnd, out);
                continue;
            }
            for (int32_t u = uBegin; u < uEnd; ++u) {
                uint8_t bytes[3];
                finishPixel(acc[static_cast<size_t>(u)], plan, plan.colX[static_cast<size_t>(u)], y, maskY, u, bytes);
                const int32_t firstCol = u * plan.repeat;
                const int32_t lastCol = std::min(firstCol + plan.repeat, plan.displayCols);
                for (int32_t i = firstCol; i < lastCol; ++i) {
                    out[i * 3] = bytes[0];
                    out[i * 3 + 1] = bytes[1];
                    out[i * 3 + 2] = bytes[2];
                }
            }
        }
    }
}

// The display size and the canvas columns and rows on show. False when the
// view parameters give no usable mapping.
bool buildMapping(Plan& plan, int32_t x0, int32_t y0, int32_t w, int32_t h, int32_t canvasHeight) {
    const ViewState& v = engine().view;
    const int32_t zoom = v.viewZoom;
    const float scale = v.viewScale;
    const float zoomF = static_cast<float>(zoom);
    int32_t cols = 0, rows = 0;
    if (zoomF == scale) {
        plan.oneToOne = true;
        cols = std::min(w, v.viewWidth);
        rows = std::min(h, v.viewHeight);
        if (cols <= 0 || rows <= 0) return false;
        plan.colX.resize(static_cast<size_t>(cols));
        for (int32_t i = 0; i < cols; ++i) plan.colX[static_cast<size_t>(i)] = x0 + i;
        plan.rowY.resize(static_cast<size_t>(rows));
        for (int32_t j = 0; j < rows; ++j) plan.rowY[static_cast<size_t>(j)] = y0 + j;
        plan.maskRowY = plan.rowY;
        plan.contiguous = true;
    } else if (zoomF < scale) {
        if (!std::isfinite(scale) || scale <= 0.0f) return false;
        // Counts in double so that a tiny scale cannot overflow the conversion.
        const double colsF = std::trunc(static_cast<double>(static_cast<float>(w) / scale));
        const double rowsF = std::trunc(static_cast<double>(static_cast<float>(h) / scale));
        cols = static_cast<int32_t>(std::min<double>(colsF, v.viewWidth));
        rows = static_cast<int32_t>(std::min<double>(rowsF, v.viewHeight));
        if (cols <= 0 || rows <= 0) return false;
        plan.colX.resize(static_cast<size_t>(cols));
        int32_t x = x0;
        float f = 0.0f;
        for (int32_t i = 0; i < cols; ++i) {
            plan.colX[static_cast<size_t>(i)] = std::min(x, x0 + w - 1);
            f += scale;
            const int32_t step = static_cast<int32_t>(f);
            x += step;
            f -= static_cast<float>(step);
        }
        plan.rowY.resize(static_cast<size_t>(rows));
        plan.maskRowY.resize(static_cast<size_t>(rows));
        int32_t y = y0;
        f = 0.0f;
        for (int32_t j = 0; j < rows; ++j) {
            plan.rowY[static_cast<size_t>(j)] = std::min(y, y0 + h - 1);
            const double maskY = std::trunc(static_cast<double>(static_cast<float>(j) * scale));
            plan.maskRowY[static_cast<size_t>(j)] =
                static_cast<int32_t>(std::min<double>(y0 + maskY, std::min(y0 + h, canvasHeight) - 1));
            f += scale;
            const int32_t step = static_cast<int32_t>(f);
            y += step;
            f -= static_cast<float>(step);
        }
        plan.contiguous = false;
    } else if (zoomF > scale) {
        if (zoom < 1) return false;
        cols = static_cast<int32_t>(std::min<int64_t>(int64_t{w} * zoom, v.viewWidth));
        rows = static_cast<int32_t>(std::min<int64_t>(int64_t{h} * zoom, v.viewHeight));
        if (cols <= 0 || rows <= 0) return false;
        const int32_t unique = static_cast<int32_t>((int64_t{cols} + zoom - 1) / zoom);
        plan.colX.resize(static_cast<size_t>(unique));
        for (int32_t u = 0; u < unique; ++u) plan.colX[static_cast<size_t>(u)] = x0 + u;
        plan.rowY.resize(static_cast<size_t>(rows));
        for (int32_t j = 0; j < rows; ++j) plan.rowY[static_cast<size_t>(j)] = y0 + j / zoom;
        plan.maskRowY = plan.rowY;
        plan.repeat = zoom;
        plan.contiguous = true;
    } else {
        return false;  // a NaN scale compares neither way
    }
    plan.displayCols = cols;
    return true;
}

void buildLayerList(Plan& plan) {
    const CoreState& c = engine().core;
    const LayerSlot* current = c.currentLayer;
    const bool paintExists = c.paintLayer.pixels != nullptr;
    bool layer1Listed = false;
    auto append = [&](const LayerSlot& s) {
        Entry e{};
        e.slot = &s;
        e.mode = (s.blendMode >= 0 && s.blendMode < kBlendModeCount) ? s.blendMode : 0;
        e.opacity = s.opacity;
        e.index = static_cast<int32_t>(plan.entries.size());
        plan.entries.push_back(e);
    };
    for (int32_t n = 1; n < kLayerCount; ++n) {
        const LayerSlot& s = c.layers[n];
        if (s.pixels && s.visible && s.blendMode != kModeTexturize3) {
            if (n == 1) layer1Listed = true;
            append(s);
        }
        if (paintExists && s.pixels && s.pixels == current->pixels) append(c.paintLayer);
    }
    const size_t count = plan.entries.size();
    for (size_t i = 0; i < count; ++i) {
        Entry& e = plan.entries[i];
        e.forcedOpaque = i == 0 && layer1Listed;
        e.validCols = columnsInside(plan.colX, e.slot->width);
        if (i + 1 >= count) continue;
        size_t k = i + 1;
        // The current layer's mask sits above the stroke that follows it.
        const bool isCurrent = e.slot != &c.paintLayer && e.slot->pixels == current->pixels;
        if (isCurrent && paintExists && i + 2 < count) k = i + 2;
        const LayerSlot* cand = plan.entries[k].slot;
        if (cand->blendMode == kModeLayerMask && cand->pixels && cand->visible) {
            e.mask = cand;
            e.maskValidCols = columnsInside(plan.colX, cand->width);
        }
    }
}

}  // namespace

void renderView(uint8_t* buffer, int32_t stride, int32_t x0, int32_t y0, int32_t w, int32_t h) {
    const EngineState& st = engine();
    const CoreState& c = st.core;
    if (!buffer || !c.currentLayer || !c.currentLayer->pixels) return;
    if (x0 < 0) x0 = 0;
    if (y0 < 0) y0 = 0;
    if (int64_t{x0} + w > c.canvasWidth) w = c.canvasWidth - x0;
    if (int64_t{y0} + h > c.canvasHeight) h = c.canvasHeight - y0;
    if (w <= 0 || h <= 0) return;

    Plan plan;
    if (!buildMapping(plan, x0, y0, w, h, c.canvasHeight)) return;
    buildLayerList(plan);
    plan.alo = c.alphaLayerOpacity;
    plan.currentLayerNum = c.currentLayerNum;
    plan.canvasWidth = c.canvasWidth;
    if (c.tracingMode && c.layers[0].pixels) {
        plan.trace = &c.layers[0];
        plan.traceValidCols = columnsInside(plan.colX, plan.trace->width);
    }
    // A Layer Mask entry draws nothing: at most it hands a transparent
    // accumulator its colour with alpha 0, and a result of alpha 0 shows only
    // the checkerboard whatever its colour. So it is left out of the pass (it
    // still masks the entry below; that was resolved with the list).
    std::erase_if(plan.entries, [](const Entry& e) { return e.mode == kModeLayerMask; });
    const SelectionState& sel = st.selection;
    if (sel.maskDisplayed && sel.maskEnabled && sel.maskPlane) {
        plan.maskPlane = sel.maskPlane;
        plan.fullStrength = sel.maskOverlay.fullStrength != 0;
        for (int i = 0; i < 3; ++i) {
            plan.colourA[i] = sel.maskOverlay.colourA[i];
            plan.colourB[i] = sel.maskOverlay.colourB[i];
        }
    }

    const int32_t rows = static_cast<int32_t>(plan.rowY.size());
    std::vector<std::vector<Accumulator>> scratch(static_cast<size_t>(compositingThreads()));
    for (auto& s : scratch) s.resize(plan.colX.size());
    const int64_t work = static_cast<int64_t>(plan.colX.size()) * rows * std::max<int64_t>(1, plan.entries.size());
    parallelRows(rows, work, [&](int32_t worker, int32_t begin, int32_t end) {
        renderRows(plan, buffer, stride, begin, end, scratch[static_cast<size_t>(worker)]);
    });
}

}  // namespace mrv
