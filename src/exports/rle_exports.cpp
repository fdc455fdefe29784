// Boundary of the run-length line codecs.
#include "core/guard.h"
#include "core/rle_codecs.h"
#include "morvane/morvane.h"

using namespace mrv;

extern "C" {

MRV_API int32_t MRV_RLECompressRGBA64ToRGBA32(const uint16_t* pixels, uint8_t* out, int32_t n) {
    return guarded("RLECompressRGBA64ToRGBA32 Excpt", 0, [&] { return rleCompressRGBA64ToRGBA32(pixels, out, n); });
}

MRV_API void MRV_RLEUncompressRGBA32ToRGBA64(const uint8_t* in, uint16_t* pixels, int32_t n) {
    guardedVoid("RLEUncompressRGBA32ToRGBA64 Excpt", [&] { rleUncompressRGBA32ToRGBA64(in, pixels, n); });
}

MRV_API int32_t MRV_RLECompressG16ToG8(const uint16_t* values, uint8_t* out, int32_t n) {
    return guarded("RLECompressG16ToG8 Excpt", 0, [&] { return rleCompressG16ToG8(values, out, n); });
}

MRV_API void MRV_RLEUncompressG8ToG16(const uint8_t* in, uint16_t* values, int32_t n) {
    guardedVoid("RLEUncompressG8ToG16 Excpt", [&] { rleUncompressG8ToG16(in, values, n); });
}

MRV_API int32_t MRV_GetRGBA32LayerLineRLE(uint8_t* out, int32_t n, int32_t y) {
    return guarded("GetRGBA32LayerLineRLE Excpt", 0, [&] { return getRGBA32LayerLineRLE(out, n, y); });
}

MRV_API void MRV_PutRGBA32LayerLineRLE(const uint8_t* in, int32_t n, int32_t y) {
    guardedVoid("PutRGBA32LayerLineRLE Excpt", [&] { putRGBA32LayerLineRLE(in, n, y); });
}

MRV_API int32_t MRV_GetMaskLineRLE(uint8_t* out, int32_t y) {
    return guarded("GetMaskLineRLE Excpt", 0, [&] { return getMaskLineRLE(out, y); });
}

MRV_API void MRV_PutMaskLineRLE(const uint8_t* in, int32_t y) {
    guardedVoid("PutMaskLineRLE Excpt", [&] { putMaskLineRLE(in, y); });
}

}  // extern "C"
