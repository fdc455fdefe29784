// Resampling of 1-, 3-, 4- and 8-byte pixels (8 = four 16-bit channels kept at
// 16-bit precision throughout).
//
// - Bilinear and bicubic are separable convolutions: a triangle and the cubic
//   convolution kernel (a = -0.5). When a side shrinks, the kernel widens by
//   the shrink factor so that every source pixel contributes (no aliasing).
//   Weights are normalised per output pixel, so a flat picture stays flat.
//   The horizontal pass runs once per source row into a small ring of float
//   rows; the vertical pass reads the ring, so memory stays a few rows.
// - Area averaging is exact integer arithmetic: each output pixel is the
//   coverage-weighted mean of the source pixels under it, rounded.
// - Nearest takes the source pixel under each output pixel's centre.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "platform/imaging/imaging.h"

namespace mrv::platform {

namespace {

template <class T>
inline T loadChannel(const uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
template <class T>
inline void storeChannel(uint8_t* p, T v) {
    std::memcpy(p, &v, sizeof v);
}

bool validArguments(const uint8_t* src, int32_t srcWidth, int32_t srcHeight, int32_t srcStride, const uint8_t* dst,
                    int32_t dstWidth, int32_t dstHeight, int32_t dstStride, int32_t bytesPerPixel) {
    if (!src || !dst) return false;
    if (bytesPerPixel != 1 && bytesPerPixel != 3 && bytesPerPixel != 4 && bytesPerPixel != 8) return false;
    if (srcWidth <= 0 || srcHeight <= 0 || dstWidth <= 0 || dstHeight <= 0) return false;
    if (static_cast<int64_t>(srcWidth) * srcHeight > kMaxDecodedPixels) return false;
    if (static_cast<int64_t>(dstWidth) * dstHeight > kMaxDecodedPixels) return false;
    if (static_cast<int64_t>(srcStride) < static_cast<int64_t>(srcWidth) * bytesPerPixel) return false;
    if (static_cast<int64_t>(dstStride) < static_cast<int64_t>(dstWidth) * bytesPerPixel) return false;
    return true;
}

// ---- Separable convolution ------------------------------------------------------

struct Taps {
    int32_t maxCount = 0;
    std::vector<int32_t> start;    // first source index per output index
    std::vector<int32_t> count;    // taps used per output index
    std::vector<float> weights;    // maxCount per output index, normalised
};

using KernelFn = double (*)(double);

double triangleKernel(double t) {
    t = std::fabs(t);
    return t < 1.0 ? 1.0 - t : 0.0;
}

double cubicKernel(double t) {
    constexpr double a = -0.5;
    t = std::fabs(t);
    if (t < 1.0) return ((a + 2.0) * t - (a + 3.0)) * t * t + 1.0;
    if (t < 2.0) return ((a * t - 5.0 * a) * t + 8.0 * a) * t - 4.0 * a;
    return 0.0;
}

Taps buildTaps(int32_t srcLen, int32_t dstLen, KernelFn kernel, double support) {
    Taps taps;
    const double scale = static_cast<double>(dstLen) / srcLen;
    const double widen = scale < 1.0 ? 1.0 / scale : 1.0;
    const double reach = support * widen;
    // Pixels whose centres lie strictly within reach of the output centre:
    // an open interval of length 2 reach holds at most ceil(2 reach) of them.
    taps.maxCount = static_cast<int32_t>(std::ceil(2.0 * reach)) + 1;
    if (taps.maxCount > srcLen) taps.maxCount = srcLen;
    taps.start.resize(dstLen);
    taps.count.resize(dstLen);
    taps.weights.assign(static_cast<size_t>(dstLen) * taps.maxCount, 0.0f);
    std::vector<double> w(taps.maxCount);
    for (int32_t d = 0; d < dstLen; ++d) {
        const double centre = (d + 0.5) / scale;  // in source coordinates, pixel centres at s + 0.5
        int32_t lo = static_cast<int32_t>(std::floor(centre - reach - 0.5)) + 1;
        int32_t hi = static_cast<int32_t>(std::ceil(centre + reach - 0.5)) - 1;
        lo = std::max(lo, 0);
        hi = std::min(hi, srcLen - 1);
        if (hi - lo + 1 > taps.maxCount) hi = lo + taps.maxCount - 1;  // rounding guard
        double sum = 0.0;
        int32_t n = 0;
        for (int32_t s = lo; s <= hi; ++s, ++n) {
            w[n] = kernel((s + 0.5 - centre) / widen);
            sum += w[n];
        }
        if (sum == 0.0) {
            // Cannot happen with our kernels inside their reach; stay safe with
            // the nearest pixel.
            const int32_t nearest = std::min(std::max(static_cast<int32_t>(centre), 0), srcLen - 1);
            lo = nearest;
            n = 1;
            w[0] = sum = 1.0;
        }
        taps.start[d] = lo;
        taps.count[d] = n;
        float* out = &taps.weights[static_cast<size_t>(d) * taps.maxCount];
        for (int32_t k = 0; k < n; ++k) out[k] = static_cast<float>(w[k] / sum);
    }
    return taps;
}

template <class T, int C>
void horizontalPass(const uint8_t* srcRow, const Taps& tx, int32_t dstWidth, float* out) {
    for (int32_t x = 0; x < dstWidth; ++x) {
        const float* w = &tx.weights[static_cast<size_t>(x) * tx.maxCount];
        const uint8_t* s = srcRow + static_cast<size_t>(tx.start[x]) * C * sizeof(T);
        float acc[C] = {};
        for (int32_t k = 0; k < tx.count[x]; ++k) {
            for (int c = 0; c < C; ++c) acc[c] += w[k] * static_cast<float>(loadChannel<T>(s + (k * C + c) * sizeof(T)));
        }
        for (int c = 0; c < C; ++c) out[static_cast<size_t>(x) * C + c] = acc[c];
    }
}

template <class T, int C>
bool convolve(const uint8_t* src, int32_t srcWidth, int32_t srcHeight, int32_t srcStride, uint8_t* dst,
              int32_t dstWidth, int32_t dstHeight, int32_t dstStride, KernelFn kernel, double support) {
    const Taps tx = buildTaps(srcWidth, dstWidth, kernel, support);
    const Taps ty = buildTaps(srcHeight, dstHeight, kernel, support);
    const size_t rowFloats = static_cast<size_t>(dstWidth) * C;
    const int32_t ringRows = ty.maxCount;
    std::vector<float> ring(rowFloats * ringRows);
    std::vector<float> acc(rowFloats);
    int32_t nextSourceRow = 0;  // rows below this are in the ring (the last ringRows of them)
    constexpr float kMax = static_cast<float>(sizeof(T) == 1 ? 255 : 65535);
    for (int32_t y = 0; y < dstHeight; ++y) {
        const int32_t first = ty.start[y], n = ty.count[y];
        // Windows only move down; should one ever step back past the ring,
        // recompute its rows rather than read stale ones.
        if (nextSourceRow < first || first < nextSourceRow - ringRows) nextSourceRow = first;
        while (nextSourceRow < first + n) {
            horizontalPass<T, C>(src + static_cast<size_t>(nextSourceRow) * srcStride, tx, dstWidth,
                                 &ring[rowFloats * (nextSourceRow % ringRows)]);
            ++nextSourceRow;
        }
        const float* w = &ty.weights[static_cast<size_t>(y) * ty.maxCount];
        std::fill(acc.begin(), acc.end(), 0.0f);
        for (int32_t k = 0; k < n; ++k) {
            const float* row = &ring[rowFloats * ((first + k) % ringRows)];
            const float wk = w[k];
            for (size_t i = 0; i < rowFloats; ++i) acc[i] += wk * row[i];
        }
        uint8_t* out = dst + static_cast<size_t>(y) * dstStride;
        for (size_t i = 0; i < rowFloats; ++i) {
            float v = acc[i] + 0.5f;
            v = v < 0.0f ? 0.0f : (v > kMax ? kMax : v);
            storeChannel<T>(out + i * sizeof(T), static_cast<T>(v));
        }
    }
    return true;
}

bool convolveAny(const uint8_t* src, int32_t srcWidth, int32_t srcHeight, int32_t srcStride, uint8_t* dst,
                 int32_t dstWidth, int32_t dstHeight, int32_t dstStride, int32_t bytesPerPixel, KernelFn kernel,
                 double support) {
    switch (bytesPerPixel) {
        case 1: return convolve<uint8_t, 1>(src, srcWidth, srcHeight, srcStride, dst, dstWidth, dstHeight, dstStride, kernel, support);
        case 3: return convolve<uint8_t, 3>(src, srcWidth, srcHeight, srcStride, dst, dstWidth, dstHeight, dstStride, kernel, support);
        case 4: return convolve<uint8_t, 4>(src, srcWidth, srcHeight, srcStride, dst, dstWidth, dstHeight, dstStride, kernel, support);
        case 8: return convolve<uint16_t, 4>(src, srcWidth, srcHeight, srcStride, dst, dstWidth, dstHeight, dstStride, kernel, support);
        default: return false;
    }
}

// ---- Area average -----------------------------------------------------------------

// Output pixel d covers source span [d sw, (d + 1) sw) and source pixel s
// covers [s dw, (s + 1) dw), both in units of 1 / dw source pixels; the
// overlap is the integer weight, and the weights of one output pixel add up
// to sw exactly.
struct Spans {
    std::vector<int32_t> start, count;
    std::vector<int32_t> weights;  // flattened, count[d] per d
    std::vector<size_t> offset;
};

Spans buildSpans(int32_t srcLen, int32_t dstLen) {
    Spans sp;
    sp.start.resize(dstLen);
    sp.count.resize(dstLen);
    sp.offset.resize(dstLen);
    for (int32_t d = 0; d < dstLen; ++d) {
        const int64_t a = static_cast<int64_t>(d) * srcLen, b = static_cast<int64_t>(d + 1) * srcLen;
        const int32_t first = static_cast<int32_t>(a / dstLen);
        const int32_t last = static_cast<int32_t>((b - 1) / dstLen);
        sp.start[d] = first;
        sp.count[d] = last - first + 1;
        sp.offset[d] = sp.weights.size();
        for (int32_t s = first; s <= last; ++s) {
            const int64_t lo = std::max(a, static_cast<int64_t>(s) * dstLen);
            const int64_t hi = std::min(b, static_cast<int64_t>(s + 1) * dstLen);
            sp.weights.push_back(static_cast<int32_t>(hi - lo));
        }
    }
    return sp;
}

template <class T, int C>
bool areaAverage(const uint8_t* src, int32_t srcWidth, int32_t srcHeight, int32_t srcStride, uint8_t* dst,
                 int32_t dstWidth, int32_t dstHeight, int32_t dstStride) {
    const Spans sx = buildSpans(srcWidth, dstWidth);
    const Spans sy = buildSpans(srcHeight, dstHeight);
    const int64_t total = static_cast<int64_t>(srcWidth) * srcHeight;
    std::vector<int64_t> column(static_cast<size_t>(srcWidth) * C);
    for (int32_t y = 0; y < dstHeight; ++y) {
        std::fill(column.begin(), column.end(), 0);
        for (int32_t k = 0; k < sy.count[y]; ++k) {
            const int64_t wy = sy.weights[sy.offset[y] + k];
            const uint8_t* row = src + static_cast<size_t>(sy.start[y] + k) * srcStride;
            for (size_t i = 0; i < column.size(); ++i) column[i] += wy * loadChannel<T>(row + i * sizeof(T));
        }
        uint8_t* out = dst + static_cast<size_t>(y) * dstStride;
        for (int32_t x = 0; x < dstWidth; ++x) {
            int64_t acc[C] = {};
            const int64_t* col = &column[static_cast<size_t>(sx.start[x]) * C];
            for (int32_t k = 0; k < sx.count[x]; ++k) {
                const int64_t wx = sx.weights[sx.offset[x] + k];
                for (int c = 0; c < C; ++c) acc[c] += wx * col[k * C + c];
            }
            for (int c = 0; c < C; ++c)
                storeChannel<T>(out + (static_cast<size_t>(x) * C + c) * sizeof(T),
                                static_cast<T>((acc[c] + total / 2) / total));
        }
    }
    return true;
}

// ---- Nearest ----------------------------------------------------------------------

// Source index under the centre of output index d.
inline int32_t nearestIndex(int32_t d, int32_t srcLen, int32_t dstLen) {
    return static_cast<int32_t>(((2 * static_cast<int64_t>(d) + 1) * srcLen) / (2 * static_cast<int64_t>(dstLen)));
}

bool nearest(const uint8_t* src, int32_t srcWidth, int32_t srcHeight, int32_t srcStride, uint8_t* dst,
             int32_t dstWidth, int32_t dstHeight, int32_t dstStride, int32_t bytesPerPixel) {
    std::vector<int32_t> columns(dstWidth);
    for (int32_t x = 0; x < dstWidth; ++x) columns[x] = nearestIndex(x, srcWidth, dstWidth) * bytesPerPixel;
    for (int32_t y = 0; y < dstHeight; ++y) {
        const uint8_t* row = src + static_cast<size_t>(nearestIndex(y, srcHeight, dstHeight)) * srcStride;
        uint8_t* out = dst + static_cast<size_t>(y) * dstStride;
        for (int32_t x = 0; x < dstWidth; ++x)
            std::memcpy(out + static_cast<size_t>(x) * bytesPerPixel, row + columns[x], bytesPerPixel);
    }
    return true;
}

}  // namespace

namespace {

// The two smooth resizers differ only in their kernel and its reach.
bool resizeWithKernel(const uint8_t* src, int32_t srcWidth, int32_t srcHeight, int32_t srcStride, uint8_t* dst,
                      int32_t dstWidth, int32_t dstHeight, int32_t dstStride, int32_t bytesPerPixel,
                      KernelFn kernel, double support) {
    if (!validArguments(src, srcWidth, srcHeight, srcStride, dst, dstWidth, dstHeight, dstStride, bytesPerPixel))
        return false;
    try {
        return convolveAny(src, srcWidth, srcHeight, srcStride, dst, dstWidth, dstHeight, dstStride, bytesPerPixel,
                           kernel, support);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace

bool resizeImage(const uint8_t* src, int32_t srcWidth, int32_t srcHeight, int32_t srcStride, uint8_t* dst,
                 int32_t dstWidth, int32_t dstHeight, int32_t dstStride, int32_t bytesPerPixel) {
    return resizeWithKernel(src, srcWidth, srcHeight, srcStride, dst, dstWidth, dstHeight, dstStride, bytesPerPixel,
                            triangleKernel, 1.0);
}

bool resizeImageBicubic(const uint8_t* src, int32_t srcWidth, int32_t srcHeight, int32_t srcStride, uint8_t* dst,
                        int32_t dstWidth, int32_t dstHeight, int32_t dstStride, int32_t bytesPerPixel) {
    return resizeWithKernel(src, srcWidth, srcHeight, srcStride, dst, dstWidth, dstHeight, dstStride, bytesPerPixel,
                            cubicKernel, 2.0);
}

bool decimateImage(const uint8_t* src, int32_t srcWidth, int32_t srcHeight, int32_t srcStride, uint8_t* dst,
                   int32_t dstWidth, int32_t dstHeight, int32_t dstStride, int32_t bytesPerPixel, int32_t mode) {
    if (!validArguments(src, srcWidth, srcHeight, srcStride, dst, dstWidth, dstHeight, dstStride, bytesPerPixel))
        return false;
    try {
        if (mode == kDecimateNearest)
            return nearest(src, srcWidth, srcHeight, srcStride, dst, dstWidth, dstHeight, dstStride, bytesPerPixel);
        if (mode != kDecimateAreaAverage) return false;
        switch (bytesPerPixel) {
            case 1: return areaAverage<uint8_t, 1>(src, srcWidth, srcHeight, srcStride, dst, dstWidth, dstHeight, dstStride);
            case 3: return areaAverage<uint8_t, 3>(src, srcWidth, srcHeight, srcStride, dst, dstWidth, dstHeight, dstStride);
            case 4: return areaAverage<uint8_t, 4>(src, srcWidth, srcHeight, srcStride, dst, dstWidth, dstHeight, dstStride);
            case 8: return areaAverage<uint16_t, 4>(src, srcWidth, srcHeight, srcStride, dst, dstWidth, dstHeight, dstStride);
            default: return false;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool simpleResampleImage(const uint8_t* src, int32_t srcWidth, int32_t srcHeight, int32_t srcStride, uint8_t* dst,
                         int32_t dstWidth, int32_t dstHeight, int32_t dstStride, int32_t bytesPerPixel) {
    if (!validArguments(src, srcWidth, srcHeight, srcStride, dst, dstWidth, dstHeight, dstStride, bytesPerPixel))
        return false;
    try {
        return nearest(src, srcWidth, srcHeight, srcStride, dst, dstWidth, dstHeight, dstStride, bytesPerPixel);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace mrv::platform
