// Image processing's part of EngineState: the 8-bit working buffers that the
// host fills before an effect and frees after it.
#pragma once

#include <cstdint>

namespace mrv {

struct ImagingState {
    uint8_t* iplSrcBuffer32;
    uint8_t* iplDstBuffer32;
    uint8_t* iplSrcBuffer24;
    uint8_t* iplDstBuffer24;
};

}  // namespace mrv
