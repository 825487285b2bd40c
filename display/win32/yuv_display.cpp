// DisplayYUVimage and DisplayYUVimage2: build the window's image, then draw
// it at once through the window's own device context (no paint message, no
// palette).
#include <windows.h>

#include "bitmap_store.h"
#include "display.h"
#include "paint.h"
#include "yuv_image.h"

namespace {

int32_t DrawNow(HWND window, const uint8_t* image) {
    HDC dc = GetDC(window);
    if (!dc) {
        return 0; // the image stays stored and ImageShown set: WinPaint shows it
    }
    DrawImage(dc, image, FindSlot(window)->capacity);
    return ReleaseDC(window, dc);
}

} // namespace

int32_t DISPLAY_CALL DisplayYUVimage(HWND window, uint32_t type, uint32_t width, uint32_t height,
                                     const uint8_t* yPlane, const int8_t* uPlane, const int8_t* vPlane) {
    const uint8_t* image = BuildYuvImage(window, type, width, height, yPlane, uPlane, vPlane);
    return image ? DrawNow(window, image) : 0;
}

int32_t DISPLAY_CALL DisplayYUVimage2(HWND window, uint32_t type, uint32_t width, uint32_t height,
                                      const uint8_t* yPlane, const int8_t* uPlane, const int8_t* vPlane) {
    const uint8_t* image = BuildDoubleSizeYuvImage(window, type, width, height, yPlane, uPlane, vPlane);
    return image ? DrawNow(window, image) : 0;
}
