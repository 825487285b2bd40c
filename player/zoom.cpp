#include "zoom.h"

#include <string.h>

namespace {

// Pixel x of a 24-bit row as a 32-bit blue-green-red-zero word.
inline uint32_t Word(const uint8_t* row, uint32_t x) {
    const uint8_t* p = row + size_t{3} * x;
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16;
}

inline void Store(uint8_t* out, uint32_t word) { memcpy(out, &word, 4); }

// Each pixel of a row F times over.
template <uint32_t F>
void WidenRow(const uint8_t* in, uint32_t w, uint8_t* out) {
    for (uint32_t x = 0; x < w; ++x) {
        const uint32_t word = Word(in, x);
        for (uint32_t k = 0; k < F; ++k, out += 4) {
            Store(out, word);
        }
    }
}

// Nearest neighbour: stored row k of the zoomed picture is stored row k / f
// of the picture, both being bottom-up.
void Enlarge(const uint8_t* in, uint32_t w, uint32_t h, size_t stride, uint32_t f, uint8_t* out) {
    const size_t outStride = ZoomedRowBytes(w * f);
    for (uint32_t r = 0; r < h; ++r, in += stride) {
        uint8_t* first = out + size_t{r} * f * outStride;
        switch (f) {
        case 1: WidenRow<1>(in, w, first); break;
        case 2: WidenRow<2>(in, w, first); break;
        case 4: WidenRow<4>(in, w, first); break;
        default: WidenRow<8>(in, w, first); break;
        }
        for (uint32_t k = 1; k < f; ++k) {
            memcpy(first + k * outStride, first, outStride);
        }
    }
}

// Each shown pixel the rounded mean of its 2 x 2 pixels, channel by channel.
void Halve(const uint8_t* in, uint32_t w, uint32_t h, size_t stride, uint8_t* out) {
    const uint32_t hw = w / 2, hh = h / 2;
    for (uint32_t r = 0; r < hh; ++r) {
        // Shown picture row R = hh - 1 - r is made of picture rows 2R and
        // 2R + 1, stored at h - 1 - 2R and h - 2 - 2R.
        const uint32_t top = h - 1 - 2 * (hh - 1 - r);
        const uint8_t* a = in + size_t{top} * stride;
        const uint8_t* b = a - stride;
        uint8_t* o = out + size_t{r} * ZoomedRowBytes(hw);
        for (uint32_t x = 0; x < hw; ++x, a += 6, b += 6, o += 4) {
            for (int c = 0; c < 3; ++c) {
                o[c] = static_cast<uint8_t>((a[c] + a[c + 3] + b[c] + b[c + 3] + 2) >> 2);
            }
            o[3] = 0;
        }
    }
}

} // namespace

uint32_t ZoomedLength(uint32_t n, uint32_t zoom) { return zoom == ZOOM_HALF ? n / 2 : n << (zoom - ZOOM_1); }

uint32_t FrameCoordinate(uint32_t shown, uint32_t zoom) {
    return zoom == ZOOM_HALF ? shown * 2 : shown >> (zoom - ZOOM_1);
}

const char* ZoomName(uint32_t zoom) {
    static const char* const names[ZOOM_COUNT] = {"1/2", "1", "2", "4", "8"};
    return zoom < ZOOM_COUNT ? names[zoom] : "1";
}

uint32_t FittingZoom(uint32_t chosen, uint32_t w, uint32_t h, uint32_t workWidth, uint32_t workHeight) {
    if (workWidth == 0 && workHeight == 0) {
        return chosen;
    }
    uint32_t zoom = chosen;
    while (zoom > ZOOM_1 &&
           (uint64_t{w} << (zoom - ZOOM_1) > workWidth || uint64_t{h} << (zoom - ZOOM_1) > workHeight)) {
        --zoom;
    }
    return zoom;
}

size_t ZoomedRowBytes(uint32_t zoomedWidth) { return size_t{4} * zoomedWidth; }

void ZoomPicture(const uint8_t* in, uint32_t w, uint32_t h, size_t stride, uint32_t zoom, uint8_t* out) {
    if (zoom == ZOOM_HALF) {
        Halve(in, w, h, stride, out);
    } else {
        Enlarge(in, w, h, stride, 1u << (zoom - ZOOM_1), out);
    }
}
