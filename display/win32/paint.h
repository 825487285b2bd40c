// Painting of stored images (Win32 layer), shared by WinPaint, WinPaintEx and
// the immediate display paths.
#ifndef VORLEX_PAINT_H
#define VORLEX_PAINT_H

#include <windows.h>

#include <stdint.h>

// A palette built from the colour table that follows `info` (filling in
// biClrUsed when it was 0 for 1, 4 or 8 bits), the stock DEFAULT_PALETTE for
// an image without colours, or null when no palette could be made.
HPALETTE CreateBitmapPalette(BITMAPINFOHEADER* info);

// Draws the window's stored image at (0, 0) with its palette selected and
// realised; the palette is deleted again before returning.
void PaintBitmap(HWND window, HDC dc);

// Transfers the whole image at (0, 0), every row; nothing for an image that
// does not fit its `capacity`-byte buffer.
void DrawImage(HDC dc, const uint8_t* image, uint32_t capacity);

#endif
