// The effect-script platform: renders images from effect-script files (our
// own small text format, docs/effect-scripts.md) and applies numbered effects
// to 4-byte-per-pixel images in memory, blue first in each pixel.
#pragma once

#include <cstdint>

namespace mrv::platform {

// Reads the size a script renders at; false when the file is not a script
// (callers then fall back to reading the same path as an image file).
bool scriptImageSize(const char* path, int32_t* width, int32_t* height);

// Renders the script into bgra (width * height * 4 bytes, blue first), which
// must have the size scriptImageSize reported. False when not a script.
bool renderScript(const char* path, uint8_t* bgra, int32_t width, int32_t height);

// Applies effect number `effect` in place; slots[i] is parameter slot i + 3.
// False when the effect is unknown or did nothing: the image is then unchanged.
// Effect 51 rotates about the centre: slot 3 the angle in whole degrees
// (positive = counter-clockwise on screen), slot 4 the scale in percent (100:
// none; missing: 100; not positive: refused). Width and height are kept;
// corners the turned picture does not cover become 0 in all four channels
// (transparent); every channel is interpolated bilinearly on its own (callers
// carry other planes through the channels), exact for quarter turns. Every other
// number is refused for now.
bool applyEffect(int32_t effect, const int32_t* slots, int32_t slotCount, uint8_t* bgra, int32_t width,
                 int32_t height);

}  // namespace mrv::platform
