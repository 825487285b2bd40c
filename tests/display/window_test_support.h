// Real windows on the test's 24-bit X screen and their pixels read back from
// the screen, for the window tests of display.dll.
#ifndef VORLEX_WINDOW_TEST_SUPPORT_H
#define VORLEX_WINDOW_TEST_SUPPORT_H

#include <gtest/gtest.h>
#include <stdint.h>
#include <windows.h>

#include <vector>

#include "screen_pixels.h"

// Handles every message waiting for this thread (paints included).
void Pump();

// width x height pixels of one colour, laid out as ReadClient gives them.
std::vector<uint8_t> Solid(int width, int height, COLORREF colour);

// Polls, handling messages, until the client area shows `expected` (laid out
// as ReadClient gives it) or `ms` have passed.
::testing::AssertionResult ShowsWithin(HWND window, int width, int height,
                                       const std::vector<uint8_t>& expected, DWORD ms = 3000);

#endif
