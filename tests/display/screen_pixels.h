// Reading a window's pixels back from the screen, bit-exact under Wine:
// GetDC of the screen and BitBlt into a 24-bit DIB section.
#ifndef VORLEX_SCREEN_PIXELS_H
#define VORLEX_SCREEN_PIXELS_H

#include <stdint.h>
#include <windows.h>

#include <vector>

// The screen's pixels of the client rectangle (x, y, width, height) of
// `window`: 24-bit rows of exactly 3 x width bytes (no padding), bottom row
// first, blue-green-red, as the library's own images store them when the
// width is a multiple of 4.
std::vector<uint8_t> ReadClient(HWND window, int x, int y, int width, int height);

// The width x height pixels at the top left of the client area.
inline std::vector<uint8_t> ReadClient(HWND window, int width, int height) {
    return ReadClient(window, 0, 0, width, height);
}

#endif
