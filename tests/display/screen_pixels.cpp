#include "screen_pixels.h"

#include <string.h>

std::vector<uint8_t> ReadClient(HWND window, int x, int y, int width, int height) {
    POINT origin = {x, y};
    ClientToScreen(window, &origin);
    HDC dc = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(dc);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<uint8_t> pixels(3 * size_t(width) * height);
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, dc, origin.x, origin.y, SRCCOPY);
        GdiFlush();
        const size_t stride = (3 * size_t(width) + 3) & ~size_t(3);
        for (int r = 0; r < height; ++r) {
            memcpy(&pixels[r * 3 * size_t(width)], static_cast<uint8_t*>(bits) + r * stride, 3 * size_t(width));
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, dc);
    return pixels;
}
