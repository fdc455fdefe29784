// Image files: writing host buffers to files chosen by extension. The
// extension arrives apart from the path, with its dot, and is compared as a
// whole without regard to letter case. Only PNG is written so far; other
// extensions answer 0 so that hosts can tell nothing was written.
#include <strings.h>

#include <cstdint>

#include "core/guard.h"
#include "morvane/morvane.h"
#include "platform/imaging/imaging.h"

using namespace mrv;

namespace {

// Dots per inch to pixels per metre for PNG's resolution record, truncated
// toward zero; a resolution that is not positive (or absurd) writes no record.
constexpr double kInchesPerMetre = 39.3700787;

int32_t pixelsPerMetre(int32_t dpi) {
    const double ppm = dpi * kInchesPerMetre;
    if (!(ppm >= 1.0) || ppm >= 2147483647.0) return 0;
    return static_cast<int32_t>(ppm);
}

bool sameExtension(const char* extension, const char* wanted) {
    return extension && strcasecmp(extension, wanted) == 0;
}

int32_t writeImage(const uint8_t* image, int32_t width, int32_t height, const char* path, const char* extension,
                   int32_t dpi, int32_t channels) {
    if (!image || !path || !extension || width <= 0 || height <= 0) return 0;
    if (sameExtension(extension, ".png"))
        return platform::writePng(path, image, width, height, channels, pixelsPerMetre(dpi)) ? 1 : 0;
    return 0;
}

}  // namespace

extern "C" {

MRV_API int32_t MRV_WriteToFileRGB24(const uint8_t* image, int32_t width, int32_t height, const char* path,
                                     const char* extension, int32_t dpi) {
    return guarded("WriteToFileRGB24 Excpt", 0,
                   [&] { return writeImage(image, width, height, path, extension, dpi, 3); });
}

MRV_API int32_t MRV_WriteToFileRGBA32(const uint8_t* image, int32_t width, int32_t height, const char* path,
                                      const char* extension, int32_t dpi) {
    return guarded("WriteToFileRGBA32 Excpt", 0,
                   [&] { return writeImage(image, width, height, path, extension, dpi, 4); });
}

}  // extern "C"
