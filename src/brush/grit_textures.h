// The twenty grit textures: byte maps laid under each dab. A dab leaves a
// pixel alone where the texture's byte exceeds the density limit, which gives
// strokes their grain. They are made either as random cells or cut from a
// paper picture (an image file or an effect script).
#pragma once

#include <cstdint>

namespace mrv {

// Fills all 20 textures with random cells of gritCellSize pixels at the
// brushSize in force, drawing from the engine generator and the two random
// byte arrays. Throws EngineFault when the textures or the random arrays do
// not exist. Reads of the random arrays wrap to their start, so every read
// stays inside them whatever the brush and cell sizes.
void makeRandomGrit();

// Cuts the 20 textures from the grey of a paper picture: an effect script
// (rendered and tiled over 600 x 600) or else an image file. Returns false and
// leaves the textures as they were when the picture cannot be made or is not
// larger than brushSize + 25 on both sides; textures already cut keep their
// new content, the one being cut is left all 255 if a fault stops the cut.
bool cutPaperTextures(const char* paperPath);

}  // namespace mrv
