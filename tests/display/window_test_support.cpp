#include "window_test_support.h"

#include <string.h>

void Pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&m);
    }
}

std::vector<uint8_t> Solid(int width, int height, COLORREF colour) {
    std::vector<uint8_t> pixels(3 * size_t(width) * height);
    for (size_t i = 0; i < pixels.size(); i += 3) {
        pixels[i] = GetBValue(colour);
        pixels[i + 1] = GetGValue(colour);
        pixels[i + 2] = GetRValue(colour);
    }
    return pixels;
}

::testing::AssertionResult ShowsWithin(HWND window, int width, int height,
                                       const std::vector<uint8_t>& expected, DWORD ms) {
    const DWORD start = GetTickCount();
    std::vector<uint8_t> seen;
    for (;;) {
        Pump();
        seen = ReadClient(window, width, height);
        if (seen == expected) {
            return ::testing::AssertionSuccess();
        }
        if (GetTickCount() - start > ms) {
            break;
        }
        Sleep(5);
    }
    if (seen.size() != expected.size()) {
        return ::testing::AssertionFailure() << "expected " << expected.size() << " bytes";
    }
    size_t differ = 0, first = seen.size();
    for (size_t i = 0; i < seen.size(); ++i) {
        if (seen[i] != expected[i]) {
            ++differ;
            first = first < i ? first : i;
        }
    }
    const size_t pixel = first / 3;
    return ::testing::AssertionFailure()
           << differ << " of " << seen.size() << " bytes differ; first at x " << pixel % width << ", y "
           << height - 1 - int(pixel / width) << " (from the top): seen " << int(seen[first]) << ", expected "
           << int(expected[first]);
}
