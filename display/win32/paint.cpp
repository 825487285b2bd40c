// WinPaint, WinPaintEx and the palette handling of a paint.
#include "paint.h"

#include <stddef.h>
#include <stdlib.h>

#include "bitmap_store.h"
#include "bmp_headers.h"
#include "display.h"
#include "stored_image.h"

void DrawImage(HDC dc, const uint8_t* image, uint32_t capacity) {
    if (!StoredImageFits(image, capacity)) {
        return;
    }
    const BITMAPFILEHEADER* file = reinterpret_cast<const BITMAPFILEHEADER*>(image);
    const BITMAPINFO* info = reinterpret_cast<const BITMAPINFO*>(image + sizeof(BITMAPFILEHEADER));
    const DWORD width = static_cast<DWORD>(info->bmiHeader.biWidth);
    const DWORD height = static_cast<DWORD>(info->bmiHeader.biHeight);
    SetDIBitsToDevice(dc, 0, 0, width, height, 0, 0, 0, height, image + file->bfOffBits, info, DIB_RGB_COLORS);
}

namespace {

// A palette built from the colour table that follows `info` (filling in
// biClrUsed when it was 0 for 1, 4 or 8 bits), the stock DEFAULT_PALETTE for
// an image without colours, or null when no palette could be made.
HPALETTE CreateBitmapPalette(BITMAPINFOHEADER* info) {
    if (info->biClrUsed == 0) {
        // Stored for good: the header then names its full colour table.
        info->biClrUsed = ImageColourCount(0, info->biBitCount);
        if (info->biClrUsed == 0) {
            return static_cast<HPALETTE>(GetStockObject(DEFAULT_PALETTE));
        }
    }
    const uint32_t count = info->biClrUsed & 0xFFFF;
    LOGPALETTE* record =
        static_cast<LOGPALETTE*>(malloc(offsetof(LOGPALETTE, palPalEntry) + count * sizeof(PALETTEENTRY)));
    if (!record) {
        return nullptr;
    }
    record->palVersion = 0x300;
    record->palNumEntries = static_cast<WORD>(count);
    // The table stores blue, green, red, reserved.
    const uint8_t* table = reinterpret_cast<const uint8_t*>(info) + info->biSize;
    for (uint32_t i = 0; i < count; ++i) {
        record->palPalEntry[i].peRed = table[4 * i + 2];
        record->palPalEntry[i].peGreen = table[4 * i + 1];
        record->palPalEntry[i].peBlue = table[4 * i];
        record->palPalEntry[i].peFlags = 0;
    }
    HPALETTE palette = CreatePalette(record);
    free(record);
    return palette;
}

// Draws the window's stored image at (0, 0) with its palette selected and
// realised; the palette is deleted again before returning.
void PaintBitmap(HWND window, HDC dc) {
    const BitmapSlot* slot = FindSlot(window);
    if (!slot || !slot->buffer) {
        return;
    }
    uint8_t* image = slot->buffer;
    // Checked before the palette is built, which reads the colour table.
    if (!StoredImageFits(image, slot->capacity)) {
        return;
    }
    BITMAPINFOHEADER* info = reinterpret_cast<BITMAPINFOHEADER*>(image + sizeof(BITMAPFILEHEADER));
    HPALETTE palette = CreateBitmapPalette(info);
    if (!palette) {
        return;
    }
    HPALETTE previous = SelectPalette(dc, palette, FALSE);
    RealizePalette(dc);
    DrawImage(dc, image, slot->capacity);
    SelectPalette(dc, previous, FALSE);
    if (palette != GetStockObject(DEFAULT_PALETTE)) {
        DeleteObject(palette);
    }
}

} // namespace

int32_t DISPLAY_CALL WinPaint(HWND window) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    if (ImageShown) {
        PaintBitmap(window, paint.hdc);
    }
    // Ends the paint whatever was drawn, so the update region is validated.
    return EndPaint(window, &paint);
}

void DISPLAY_CALL WinPaintEx(HWND window, HDC dc) {
    if (ImageShown) {
        PaintBitmap(window, dc);
    }
}
