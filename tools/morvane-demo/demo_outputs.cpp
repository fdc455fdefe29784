// Demo stage: demoWriteOutputs. Writes the flattened picture and three
// rendered views as PNG files and prints where they are:
//   flattened.png   MRV_Merge of the visible layers (RGBA, the background's alpha kept)
//   view.png        MRV_Render at 1:1 with the background hidden, so the
//                   checkerboard shows through, and the selection overlay
//   view-zoom3.png  a 266 x 200 corner magnified three times
//   view-small.png  the whole canvas reduced by 2.5
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "demo.h"

namespace {

// MRV_Render writes blue, green, red; the PNG writer takes red, green, blue.
bool writeView(const DemoContext& ctx, const char* name, int32_t zoom, float scale, int32_t x0, int32_t y0, int32_t w,
               int32_t h, int32_t cols, int32_t rows) {
    MRV_SetScale(zoom, scale);
    MRV_SetViewSize(cols, rows);
    std::vector<uint8_t> bgr(static_cast<size_t>(cols) * rows * 3, 0);
    MRV_Render(bgr.data(), cols * 3, x0, y0, w, h);
    for (size_t i = 0; i < bgr.size(); i += 3) std::swap(bgr[i], bgr[i + 2]);
    const std::string path = ctx.outDir + "/" + name;
    if (!MRV_WriteToFileRGB24(bgr.data(), cols, rows, path.c_str(), ".png", 96)) {
        std::fprintf(stderr, "could not write %s: %s\n", path.c_str(), MRV_GetLastError());
        return false;
    }
    std::printf("wrote %s (%d x %d)\n", path.c_str(), cols, rows);
    return true;
}

}  // namespace

bool demoWriteOutputs(DemoContext& ctx) {
    const int32_t w = ctx.width, h = ctx.height;
    std::error_code ec;
    std::filesystem::create_directories(ctx.outDir, ec);  // the writer does not make folders
    std::vector<uint16_t> merged(static_cast<size_t>(w) * h * 4);
    MRV_Merge(merged.data());
    std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
    MRV_RGBA64RectToRGBA32(merged.data(), 0, 0, w, h, w, 0, rgba.data());
    const std::string flat = ctx.outDir + "/flattened.png";
    if (!MRV_WriteToFileRGBA32(rgba.data(), w, h, flat.c_str(), ".png", 96)) {
        std::fprintf(stderr, "could not write %s: %s\n", flat.c_str(), MRV_GetLastError());
        return false;
    }
    std::printf("wrote %s (%d x %d, flattened)\n", flat.c_str(), w, h);

    MRV_SetLayerOptions(1, 0, 0, 100, "Normal");
    const bool ok = writeView(ctx, "view.png", 1, 1.0f, 0, 0, w, h, w, h);
    MRV_SetLayerOptions(1, 1, 0, 100, "Normal");
    if (!ok) return false;
    if (!writeView(ctx, "view-zoom3.png", 3, 1.0f, w - 266, h - 200, 266, 200, 798, 600)) return false;
    if (!writeView(ctx, "view-small.png", 1, 2.5f, 0, 0, w, h, w * 2 / 5, h * 2 / 5)) return false;
    MRV_SetScale(1, 1.0f);
    return true;
}
