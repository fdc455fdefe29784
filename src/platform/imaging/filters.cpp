// Small spatial filters of the imaging platform. blurPlane softens one byte
// plane, such as the alpha of a stroke in progress, with a 3 x 3 binomial
// kernel in integers so that a flat plane stays exactly flat.
#include <cstring>
#include <vector>

#include "platform/imaging/imaging.h"

namespace mrv::platform {

namespace {
constexpr int32_t kKernelSum = 16;
constexpr int32_t kFullStrength = 100;
}  // namespace

bool blurPlane(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t rowLength,
               int32_t strengthPercent) {
    if (!src || !dst || width <= 0 || height <= 0 || rowLength < width) return false;
    const int32_t s = strengthPercent < 0 ? 0 : (strengthPercent > kFullStrength ? kFullStrength : strengthPercent);

    // Three source rows are kept aside so the filter also works in place.
    std::vector<uint8_t> rows(static_cast<size_t>(width) * 3);
    uint8_t* prev = rows.data();
    uint8_t* cur = prev + width;
    uint8_t* next = cur + width;
    std::memcpy(cur, src, width);
    std::memcpy(prev, cur, width);
    for (int32_t y = 0; y < height; ++y) {
        const int32_t ny = y + 1 < height ? y + 1 : y;
        std::memcpy(next, src + static_cast<size_t>(ny) * rowLength, width);
        uint8_t* out = dst + static_cast<size_t>(y) * rowLength;
        for (int32_t x = 0; x < width; ++x) {
            const int32_t xl = x > 0 ? x - 1 : x;
            const int32_t xr = x + 1 < width ? x + 1 : x;
            const int32_t top = prev[xl] + 2 * prev[x] + prev[xr];
            const int32_t mid = cur[xl] + 2 * cur[x] + cur[xr];
            const int32_t bottom = next[xl] + 2 * next[x] + next[xr];
            const int32_t sum = top + 2 * mid + bottom;
            out[x] = static_cast<uint8_t>((cur[x] * (kFullStrength - s) * kKernelSum + sum * s +
                                           kFullStrength * kKernelSum / 2) /
                                          (kFullStrength * kKernelSum));
        }
        uint8_t* t = prev;
        prev = cur;
        cur = next;
        next = t;
    }
    return true;
}

}  // namespace mrv::platform
