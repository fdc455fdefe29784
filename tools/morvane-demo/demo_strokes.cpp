// Demo stage: demoPaintStrokes. Paints brush strokes on layer 2 the way a
// host does, one MRV_DrawDabGrit per dab along smooth curves with a spacing
// that is a fraction of the brush size: a soft round brush, a grit brush on
// paper grain from an effect script, a picture brush whose shape is a PNG
// written here, a colour-varying brush, an eraser stroke carved out of a
// stroke in the PaintLayer before it is merged down, and a stroke painted
// into the selection mask that then protects a band from a broad stroke.
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "demo.h"

namespace {

struct Point {
    double x, y;
};

struct Rgb {
    int32_t r, g, b;  // 8-bit
};

Point bezier(const Point p[4], double t) {
    const double u = 1 - t;
    const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    return {a * p[0].x + b * p[1].x + c * p[2].x + d * p[3].x, a * p[0].y + b * p[1].y + c * p[2].y + d * p[3].y};
}

// Walks a cubic curve in small parameter steps and puts a dab every
// `spacing` pixels of arc length. Returns the number of dabs.
template <class PerDab>
int strokeCurve(const Point p[4], double spacing, PerDab&& perDab) {
    Point last = bezier(p, 0);
    double travelled = spacing;  // the first dab sits at the start
    int dabs = 0;
    for (int i = 0; i <= 2000; ++i) {
        const Point q = bezier(p, i / 2000.0);
        travelled += std::hypot(q.x - last.x, q.y - last.y);
        last = q;
        if (travelled >= spacing) {
            travelled = 0;
            perDab(static_cast<int32_t>(std::lround(q.x)), static_cast<int32_t>(std::lround(q.y)), dabs++);
        }
    }
    return dabs;
}

void dab(int32_t x, int32_t y, Rgb c) { MRV_DrawDabGrit(x, y, c.r * 256, c.g * 256, c.b * 256); }

// A round tool: softness 0..255, optional paper and shape paths.
MRV_ToolRecord tool(int32_t softness, const char* paper = "", const char* shape = "", int32_t gritCell = 0) {
    MRV_ToolRecord t{};
    t.shapeStrength = 1.0f;
    t.gritCellSize = gritCell;
    t.gritCellThreshold = 255;
    t.gritPixelThreshold = 255;
    t.shapeSoftness = softness;
    t.gritInterval = 6;
    t.paperPath = paper;
    t.shapePath = shape;
    return t;
}

void plainTool(int32_t size, int32_t softness, int32_t alphaPercent) {
    MRV_SetSize(size);
    MRV_SetTool(tool(softness));
    MRV_SetAlpha(alphaPercent);
    MRV_SetDensity(256);
    MRV_SetColorVary(0);
    MRV_SetPixColorVary(0);
    MRV_SetPixLumVary(0);
}

bool fileExists(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

// The paper sample lives in the repository's data folder; the demo runs from
// the repository or from a build folder inside it. Failing both, the same
// grain is written as a script of our own.
std::string paperScript(const DemoContext& ctx) {
    const char* candidates[] = {"data/paper_grain.mfx", "../data/paper_grain.mfx", "../../data/paper_grain.mfx"};
    for (const char* c : candidates)
        if (fileExists(c)) return c;
    const std::string path = ctx.outDir + "/paper_grain.mfx";
    if (FILE* f = std::fopen(path.c_str(), "w")) {
        std::fputs("effect-script 1\nsize 256 256\nfill 200 200 200 255\nnoise 1234 60\nblur 2\n", f);
        std::fclose(f);
    }
    return path;
}

// A six-pointed star, white on black, as the picture brush: the shape takes
// its coverage from the grey of the picture.
std::string writeStarPng(const DemoContext& ctx) {
    const int32_t n = 64;
    std::vector<uint8_t> rgba(static_cast<size_t>(n) * n * 4, 0);
    for (int32_t y = 0; y < n; ++y) {
        for (int32_t x = 0; x < n; ++x) {
            const double dx = x - 31.5, dy = y - 31.5;
            const double r = std::hypot(dx, dy), a = std::atan2(dy, dx);
            const double edge = 18 + 12 * std::cos(6 * a);
            const double cover = std::fmin(1.0, std::fmax(0.0, edge - r));
            uint8_t* p = &rgba[(static_cast<size_t>(y) * n + x) * 4];
            p[0] = p[1] = p[2] = static_cast<uint8_t>(255 * cover);
            p[3] = 255;
        }
    }
    const std::string path = ctx.outDir + "/star_brush.png";
    if (!MRV_WriteToFileRGBA32(rgba.data(), n, n, path.c_str(), ".png", 72)) return "";
    return path;
}

Rgb hue(double t) {
    const double k = 6.2831853 * t;
    return {static_cast<int32_t>(127 + 120 * std::cos(k)), static_cast<int32_t>(127 + 120 * std::cos(k - 2.094)),
            static_cast<int32_t>(127 + 120 * std::cos(k + 2.094))};
}

void saveStep() { MRV_SaveUndoBuffer(1, 0); }

}  // namespace

bool demoPaintStrokes(DemoContext& ctx) {
    mkdir(ctx.outDir.c_str(), 0755);  // the picture brush and the check image go there
    MRV_SetLayer(2);
    int total = 0;

    // Soft round brush: three sweeping curves, spacing a fifth of the size.
    plainTool(48, 220, 100);
    const Point soft[3][4] = {{{60, 80}, {250, 0}, {350, 220}, {740, 110}},
                              {{60, 170}, {260, 90}, {420, 300}, {740, 200}},
                              {{80, 560}, {200, 380}, {420, 600}, {520, 430}}};
    const Rgb softColours[3] = {{200, 40, 40}, {30, 90, 200}, {40, 150, 70}};
    for (int s = 0; s < 3; ++s)
        total += strokeCurve(soft[s], 48 * 0.2, [&](int32_t x, int32_t y, int) { dab(x, y, softColours[s]); });
    saveStep();

    // Grit on paper: the paper script cut into the grit textures; a grey at
    // or below the density limit takes paint, so the grain shows.
    const std::string paper = paperScript(ctx);
    MRV_SetSize(64);
    MRV_SetTool(tool(60, paper.c_str(), "", 2));
    MRV_SetAlpha(100);
    MRV_SetDensity(201);
    const Point grit[4] = {{70, 290}, {250, 200}, {450, 400}, {740, 290}};
    total += strokeCurve(grit, 64 * 0.25, [&](int32_t x, int32_t y, int) {
        dab(x, y, {90, 60, 30});
        MRV_DecDrawingLength();
    });
    saveStep();

    // Picture brush: the star PNG as the brush shape, stamped far apart.
    const std::string star = writeStarPng(ctx);
    if (star.empty()) {
        std::fprintf(stderr, "the star brush picture could not be written\n");
        return false;
    }
    MRV_SetSize(40);
    MRV_SetTool(tool(0, "", star.c_str()));
    MRV_SetAlpha(100);
    MRV_SetDensity(256);
    const Point stars[4] = {{190, 585}, {260, 545}, {380, 600}, {470, 560}};
    total += strokeCurve(stars, 40 * 0.9, [&](int32_t x, int32_t y, int i) { dab(x, y, {240, 200, 20 + 10 * (i % 8)}); });
    saveStep();

    // Colour-varying brush: per-dab colour and per-pixel colour and lightness.
    plainTool(36, 120, 80);
    MRV_SetColorVary(40);
    MRV_SetPixColorVary(24);
    MRV_SetPixLumVary(30);
    const Point vary[4] = {{60, 400}, {300, 330}, {330, 520}, {560, 360}};
    total += strokeCurve(vary, 36 * 0.2, [&](int32_t x, int32_t y, int i) { dab(x, y, hue(i / 80.0)); });
    saveStep();

    // Eraser in the PaintLayer: a wide stroke goes into the PaintLayer, an
    // eraser stroke carves a channel through it, and the result is merged
    // down into layer 2.
    plainTool(56, 40, 100);
    MRV_CreatePaintLayer(100, "Normal");
    const Point band[4] = {{100, 20}, {300, 60}, {500, 0}, {700, 40}};
    total += strokeCurve(band, 56 * 0.2, [&](int32_t x, int32_t y, int) { dab(x, y, {120, 40, 160}); });
    plainTool(24, 160, 100);
    const Point cut[4] = {{120, 0}, {260, 90}, {420, -10}, {680, 70}};
    total += strokeCurve(cut, 24 * 0.2, [&](int32_t x, int32_t y, int) {
        MRV_SetEraseModeOn();  // lasts one dab
        dab(x, y, {0, 0, 0});
    });
    MRV_MergePaintLayer(2);
    MRV_DeletePaintLayer();
    saveStep();

    // The selection mask: a white stroke painted into the mask protects a
    // band (white maps to weight 0); with the mask on, a broad stroke across
    // it leaves the band untouched. Mask painting stays on until the next
    // MRV_SetTool.
    plainTool(30, 80, 100);
    MRV_SetMaskMakerOn();
    const Point guard[4] = {{560, 130}, {600, 200}, {640, 260}, {700, 330}};
    total += strokeCurve(guard, 30 * 0.2, [&](int32_t x, int32_t y, int) { dab(x, y, {255, 255, 255}); });
    plainTool(70, 200, 100);  // a new tool: back to painting layers
    // The selection is left on afterwards, with the band added to what it
    // protected before.
    MRV_EnableMask(1);
    const Point across[4] = {{520, 300}, {600, 230}, {680, 180}, {780, 160}};
    total += strokeCurve(across, 70 * 0.2, [&](int32_t x, int32_t y, int) { dab(x, y, {250, 130, 20}); });
    saveStep();

    // A view of the stroke layer on its own, for checking the strokes.
    std::vector<uint8_t> rgba(static_cast<size_t>(ctx.width) * ctx.height * 4);
    MRV_GetRGBA32Layer(rgba.data(), ctx.width * 4, 2);
    const std::string out = ctx.outDir + "/strokes_layer2.png";
    MRV_WriteToFileRGBA32(rgba.data(), ctx.width, ctx.height, out.c_str(), ".png", 72);
    std::printf("stage demoPaintStrokes: %d dabs in 6 kinds of stroke; layer 2 alone in %s\n", total, out.c_str());
    return true;
}
