// The portable half of the immediate YUV display: building a window's stored
// image from planar YUV, at its own size or at double size. The Win32 layer
// (yuv_display.cpp) then draws the returned image at once.
#ifndef VORLEX_YUV_IMAGE_H
#define VORLEX_YUV_IMAGE_H

#include <stdint.h>

#include "bitmap_store.h"
#include "display.h"

// Largest image the double-size view serves: its planes, enlarged to four
// times their samples, must fit the scratch planes.
enum : uint32_t { DOUBLE_SIZE_MAX_PIXELS = SCRATCH_PLANE_SIZE / 4 };

// Converts the planes into the window's buffer (3 x width x height + 54 bytes,
// low 16 bits of the sizes) and sets ImageShown. Returns the image, or null
// when no buffer was available or the length does not fit in 32 bits.
uint8_t* BuildYuvImage(HWND window, uint32_t type, uint32_t width, uint32_t height, const uint8_t* yPlane,
                       const int8_t* uPlane, const int8_t* vPlane);

// Enlarges the planes into the scratch planes, then converts them as a
// 2 width x 2 height image of the same type into the window's buffer and sets
// ImageShown. Returns the image, or null (nothing changed in the store or the
// flag) for a zero size, more than DOUBLE_SIZE_MAX_PIXELS, a doubled size over
// 16 bits, a plane to enlarge narrower or lower than 2 samples, or when no
// buffer was available.
uint8_t* BuildDoubleSizeYuvImage(HWND window, uint32_t type, uint32_t width, uint32_t height,
                                 const uint8_t* yPlane, const int8_t* uPlane, const int8_t* vPlane);

#endif
