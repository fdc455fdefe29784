// Internal interface of the file readers: each decodes one format from a
// memory buffer into malloc-owned RGBA32 and treats its input as hostile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/imaging/imaging.h"

namespace mrv::platform::codecs {

// A file held in memory that a library reads through its callbacks; reads
// never go past the end, whatever the library asks for.
struct MemorySource {
    const uint8_t* data;
    size_t size;
    size_t pos;

    // Copies up to count bytes into out and returns how many were copied.
    size_t take(void* out, size_t count) {
        const size_t n = count < size - pos ? count : size - pos;
        std::memcpy(out, data + pos, n);
        pos += n;
        return n;
    }
};

// Checks the size against kMaxDecodedPixels and allocates width * height * 4
// bytes into out (pixels null on refusal).
bool allocDecoded(int64_t width, int64_t height, DecodedImage* out);
void freeDecoded(DecodedImage* image);

bool isPng(const uint8_t* d, size_t n);
bool isJpeg(const uint8_t* d, size_t n);
bool isTiff(const uint8_t* d, size_t n);
bool isGif(const uint8_t* d, size_t n);
bool isBmp(const uint8_t* d, size_t n);
bool isPsd(const uint8_t* d, size_t n);
bool isPcx(const uint8_t* d, size_t n);
bool isTga(const uint8_t* d, size_t n);
bool isEmf(const uint8_t* d, size_t n);
bool isWmf(const uint8_t* d, size_t n);  // no magic: a strict header plausibility check

bool decodePng(const uint8_t* d, size_t n, DecodedImage* out);
bool decodeJpeg(const uint8_t* d, size_t n, DecodedImage* out);
bool decodeTiff(const uint8_t* d, size_t n, DecodedImage* out);
bool decodeGif(const uint8_t* d, size_t n, DecodedImage* out);
bool decodeBmp(const uint8_t* d, size_t n, DecodedImage* out);
bool decodeTga(const uint8_t* d, size_t n, DecodedImage* out);
bool decodePcx(const uint8_t* d, size_t n, DecodedImage* out);
bool decodePsd(const uint8_t* d, size_t n, DecodedImage* out);

// Bounds-checked little- and big-endian reads for our own readers.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    size_t pos() const { return pos_; }
    size_t size() const { return size_; }
    size_t left() const { return size_ - pos_; }
    bool ok() const { return ok_; }
    const uint8_t* here() const { return data_ + pos_; }
    bool seek(size_t p) {
        if (p > size_) return ok_ = false;
        pos_ = p;
        return true;
    }
    bool skip(uint64_t n) {
        if (n > left()) return ok_ = false;
        pos_ += static_cast<size_t>(n);
        return true;
    }
    uint8_t u8() {
        if (left() < 1) { ok_ = false; return 0; }
        return data_[pos_++];
    }
    uint16_t le16() {
        if (left() < 2) { ok_ = false; pos_ = size_; return 0; }
        const uint16_t v = static_cast<uint16_t>(data_[pos_] | data_[pos_ + 1] << 8);
        pos_ += 2;
        return v;
    }
    uint32_t le32() {
        if (left() < 4) { ok_ = false; pos_ = size_; return 0; }
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = v << 8 | data_[pos_ + i];
        pos_ += 4;
        return v;
    }
    uint16_t be16() {
        if (left() < 2) { ok_ = false; pos_ = size_; return 0; }
        const uint16_t v = static_cast<uint16_t>(data_[pos_] << 8 | data_[pos_ + 1]);
        pos_ += 2;
        return v;
    }
    uint32_t be32() {
        if (left() < 4) { ok_ = false; pos_ = size_; return 0; }
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = v << 8 | data_[pos_ + i];
        pos_ += 4;
        return v;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

}  // namespace mrv::platform::codecs
