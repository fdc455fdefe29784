// Deflate and inflate of one memory buffer with zlib (zlib stream format, no
// header of our own). The compressed layer blob is made and read here, so
// both directions refuse rather than truncate: a result that does not fit,
// a stream that ends early or carries a bad checksum, or trailing garbage.
#include <zlib.h>

#include <climits>

#include "platform/imaging/imaging.h"

namespace mrv::platform {

namespace {

// zlib counts in uInt; feed large buffers in slices so sizes above 4 GiB
// cannot wrap.
constexpr size_t kSlice = static_cast<size_t>(UINT_MAX);

uInt sliceOf(size_t remaining) { return static_cast<uInt>(remaining < kSlice ? remaining : kSlice); }

}  // namespace

bool deflateBuffer(const uint8_t* in, size_t inSize, uint8_t* out, size_t outCapacity, size_t* outSize, int level) {
    if ((!in && inSize > 0) || !out || !outSize || outCapacity == 0) return false;
    // An out-of-range option falls back to zlib's default rather than failing:
    // hosts pass the option through without knowing zlib's range.
    if (level < Z_DEFAULT_COMPRESSION || level > Z_BEST_COMPRESSION) level = Z_DEFAULT_COMPRESSION;

    z_stream zs{};
    if (deflateInit(&zs, level) != Z_OK) return false;
    size_t inLeft = inSize, outLeft = outCapacity;
    zs.next_in = const_cast<Bytef*>(in);
    zs.next_out = out;
    int rc = Z_OK;
    while (rc == Z_OK) {
        if (zs.avail_in == 0 && inLeft > 0) {
            zs.avail_in = sliceOf(inLeft);
            inLeft -= zs.avail_in;
        }
        if (zs.avail_out == 0) {
            if (outLeft == 0) break;  // out of room: refused below
            zs.avail_out = sliceOf(outLeft);
            outLeft -= zs.avail_out;
        }
        rc = deflate(&zs, inLeft == 0 ? Z_FINISH : Z_NO_FLUSH);
        if (rc == Z_BUF_ERROR && zs.avail_out == 0 && outLeft == 0) break;
        if (rc == Z_BUF_ERROR) rc = Z_OK;  // no progress possible this round; refill and go on
    }
    const bool done = rc == Z_STREAM_END;
    const size_t produced = static_cast<size_t>(zs.total_out);
    deflateEnd(&zs);
    if (!done) return false;
    *outSize = produced;
    return true;
}

bool inflateBuffer(const uint8_t* in, size_t inSize, uint8_t* out, size_t outCapacity, size_t* outSize) {
    if (!in || inSize == 0 || (!out && outCapacity > 0) || !outSize) return false;
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) return false;
    size_t inLeft = inSize, outLeft = outCapacity;
    zs.next_in = const_cast<Bytef*>(in);
    zs.next_out = out;
    int rc = Z_OK;
    for (;;) {
        if (zs.avail_in == 0 && inLeft > 0) {
            zs.avail_in = sliceOf(inLeft);
            inLeft -= zs.avail_in;
        }
        if (zs.avail_out == 0 && outLeft > 0) {
            zs.avail_out = sliceOf(outLeft);
            outLeft -= zs.avail_out;
        }
        rc = inflate(&zs, Z_NO_FLUSH);
        if (rc == Z_STREAM_END) break;
        if (rc != Z_OK && rc != Z_BUF_ERROR) break;  // corrupt data, bad checksum, dictionary request
        const bool inputGone = zs.avail_in == 0 && inLeft == 0;
        const bool outputFull = zs.avail_out == 0 && outLeft == 0;
        if (inputGone || outputFull) break;  // truncated, or would not fit
    }
    // Anything after the end of the stream means the blob is not what it claims.
    const bool ok = rc == Z_STREAM_END && zs.avail_in == 0 && inLeft == 0;
    const size_t produced = static_cast<size_t>(zs.total_out);
    inflateEnd(&zs);
    if (!ok) return false;
    *outSize = produced;
    return true;
}

}  // namespace mrv::platform
