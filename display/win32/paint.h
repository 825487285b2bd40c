// Drawing a stored image (Win32 layer): WinPaint and WinPaintEx, and the
// immediate display paths, which draw without a palette.
#ifndef VORLEX_PAINT_H
#define VORLEX_PAINT_H

#include <windows.h>

#include <stdint.h>

// Transfers the whole image at (0, 0), every row; nothing for an image that
// does not fit its `capacity`-byte buffer.
void DrawImage(HDC dc, const uint8_t* image, uint32_t capacity);

#endif
