// Real windows on the test's 24-bit X screen and their pixels read back from
// the screen, for the window tests of display.dll.
#ifndef VORLEX_WINDOW_TEST_SUPPORT_H
#define VORLEX_WINDOW_TEST_SUPPORT_H

#include <gtest/gtest.h>
#include <stdint.h>
#include <windows.h>

#include <vector>

// Handles every message waiting for this thread (paints included).
void Pump();

// The width x height pixels at the top left of the client area as seen on the
// screen: 24-bit rows of exactly 3 x width bytes (no padding), bottom row
// first, blue-green-red, as the library's own images store them when the
// width is a multiple of 4.
std::vector<uint8_t> ReadClient(HWND window, int width, int height);

// width x height pixels of one colour, laid out as ReadClient gives them.
std::vector<uint8_t> Solid(int width, int height, COLORREF colour);

// Polls, handling messages, until the client area shows `expected` (laid out
// as ReadClient gives it) or `ms` have passed.
::testing::AssertionResult ShowsWithin(HWND window, int width, int height,
                                       const std::vector<uint8_t>& expected, DWORD ms = 3000);

#endif
