// The portable half of the deferred display path: building a window's stored
// image from a bitmap file, an MMP file, a gray plane, RGB or BGR pixels, or
// ready 24-bit rows. The Win32 layer (image_display.cpp) then only
// invalidates the window; its next paint draws the image.
//
// Each function puts the image into the window's buffer, sets ImageShown and
// returns the image; or it returns null without setting ImageShown when
// nothing can be stored: data it refuses, a size it cannot describe, or no
// buffer (16 other windows hold images, no memory, a length beyond 32 bits).
#ifndef VORLEX_DEFERRED_IMAGE_H
#define VORLEX_DEFERRED_IMAGE_H

#include <stdint.h>

#include "display.h"

// A whole bitmap file: a classic one kept as it is, other showable layouts
// kept as an equivalent classic image (AnalyseBmpFile says which).
uint8_t* BuildBmpImage(HWND window, const uint8_t* file);

// width x height 24-bit pixels already in bitmap order, rows padded to 4
// bytes. Sizes over 65535 are refused.
uint8_t* BuildBmp24Image(HWND window, uint32_t width, uint32_t height, const uint8_t* pixels);

// By the low 8 bits of type: TYPE_BMP as BuildBmpImage; TYPE_MMP a whole MMP
// file (its size from its header); TYPE_GRAY a width x height plane; TYPE_RGB
// and TYPE_BGR width x height pixels, top row first. Gray and MMP images are
// stored with rows padded to 4 bytes (the converters' own layout when the
// width is a multiple of 4), in a buffer 4 bytes longer than the image. Other
// types, and gray, RGB or BGR sizes over 65535, are refused.
uint8_t* BuildImage(HWND window, uint32_t type, uint32_t width, uint32_t height, const uint8_t* data);

#endif
