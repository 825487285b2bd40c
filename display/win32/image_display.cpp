// DisplayImage, DisplayBMP and DisplayBMP24: build the window's stored image
// (deferred_image.cpp), then only invalidate the whole client area, with
// erasing; the window's next paint draws the image.
#include <windows.h>

#include "deferred_image.h"
#include "display.h"

namespace {

int32_t Invalidate(HWND window) { return InvalidateRect(window, nullptr, TRUE); }

} // namespace

int32_t DISPLAY_CALL DisplayBMP(HWND window, const uint8_t* data) {
    return BuildBmpImage(window, data) ? Invalidate(window) : 0;
}

int32_t DISPLAY_CALL DisplayBMP24(HWND window, uint32_t width, uint32_t height, const uint8_t* pixels) {
    if (!BuildBmp24Image(window, width, height, pixels)) {
        return 0;
    }
    Invalidate(window);
    return 1;
}

int32_t DISPLAY_CALL DisplayImage(HWND window, uint32_t type, uint32_t width, uint32_t height,
                                  const uint8_t* data) {
    return BuildImage(window, type, width, height, data) ? Invalidate(window) : 0;
}
