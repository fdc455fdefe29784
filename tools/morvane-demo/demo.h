// The demo host's stages. Each stage drives the engine through the public
// header only; main() runs them in order on one canvas.
#pragma once

#include <morvane/morvane.h>

#include <string>

struct DemoContext {
    int32_t width;
    int32_t height;
    int32_t brushMaxSize;
    std::string outDir;
};

// Fills the layers with content: blend modes, an alpha-family layer, a layer mask, a selection.
bool demoBuildLayers(DemoContext& ctx);
// Paints brush strokes: soft round, grit on paper, picture brush, colour variation, eraser, mask.
bool demoPaintStrokes(DemoContext& ctx);
// Records undo steps, undoes and redoes some, paints a smudge stroke.
bool demoUndoAndSmudge(DemoContext& ctx);
// Writes the flattened picture and a rendered view as PNG files; prints their paths.
bool demoWriteOutputs(DemoContext& ctx);
