#include "magnifier.h"

#include <stdio.h>
#include <string.h>

#include "comparison.h"
#include "pixel_readout.h"
#include "player_state.h"

namespace {

const int kHalf = MAGNIFIER_SPAN / 2;

// Digits and the minus sign, 3 x 5 pixels: each row's three bits, the
// leftmost pixel in the highest.
const uint8_t kGlyphs[11][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 3, 1, 7}, {5, 5, 7, 1, 1}, {7, 4, 7, 1, 7},
    {7, 4, 7, 5, 7}, {7, 1, 1, 2, 2}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7}, {0, 0, 7, 0, 0},
};

// One line of characters, centred across the block, its top at row `top`.
void InkLine(const char* text, size_t n, int top, uint8_t ink[MAGNIFIER_BLOCK][MAGNIFIER_BLOCK]) {
    int left = (MAGNIFIER_BLOCK - (4 * static_cast<int>(n) - 1)) / 2;
    for (size_t i = 0; i < n; ++i, left += 4) {
        const uint8_t* glyph = kGlyphs[text[i] == '-' ? 10 : text[i] - '0'];
        for (int r = 0; r < 5; ++r) {
            for (int c = 0; c < 3; ++c) {
                ink[top + r][left + c] = (glyph[r] >> (2 - c)) & 1;
            }
        }
    }
}

} // namespace

bool MagnifierOf(const PlayerState& s, uint32_t x, uint32_t y, uint32_t plane, MagnifierCells* cells) {
    ReadSide a, b;
    uint32_t type;
    SampleSpot centre;
    if (!s.sequenceActive || x >= s.storedPlan.width || y >= s.storedPlan.height ||
        !ScreenReadSides(s, &a, &b, &type) || !SpotOf(a.planes, type, plane, x, y, &centre)) {
        return false;
    }
    memset(cells, 0, sizeof *cells);
    cells->plane = plane;
    cells->planeName = a.planes.planes[plane].name;
    cells->centreX = static_cast<int32_t>(centre.x);
    cells->centreY = static_cast<int32_t>(centre.y);
    const bool compared = b.source != nullptr;
    const bool difference = compared && s.comparison.view == VIEW_DIFFERENCE;
    const ReadSide& shown = compared && s.comparison.view == VIEW_B ? b : a;
    for (int r = 0; r < MAGNIFIER_SPAN; ++r) {
        for (int c = 0; c < MAGNIFIER_SPAN; ++c) {
            const int64_t px = int64_t{centre.x} + c - kHalf, py = int64_t{centre.y} + r - kHalf;
            uint32_t va, vb;
            if (px < 0 || py < 0 ||
                !ReadPlaneSample(shown, plane, static_cast<uint32_t>(px), static_cast<uint32_t>(py), &va) ||
                (difference &&
                 !ReadPlaneSample(b, plane, static_cast<uint32_t>(px), static_cast<uint32_t>(py), &vb))) {
                continue;
            }
            cells->present[r][c] = true;
            cells->value[r][c] =
                difference ? static_cast<int32_t>(va) - static_cast<int32_t>(vb) : static_cast<int32_t>(va);
        }
    }
    return true;
}

void MagnifierBlockInk(int32_t value, uint8_t ink[MAGNIFIER_BLOCK][MAGNIFIER_BLOCK]) {
    memset(ink, 0, MAGNIFIER_BLOCK * MAGNIFIER_BLOCK);
    char text[16];
    const int n = snprintf(text, sizeof text, "%d", static_cast<int>(value));
    if (n <= 0 || n > 6) {
        return;
    }
    const size_t length = static_cast<size_t>(n);
    if (length <= 4) {
        InkLine(text, length, (MAGNIFIER_BLOCK - 5) / 2, ink);
    } else {
        InkLine(text, length - 3, 2, ink);
        InkLine(text + length - 3, 3, 9, ink);
    }
}

void MagnifierPicture(const MagnifierCells& cells, uint32_t* pixels) {
    const int side = MAGNIFIER_SIDE, step = MAGNIFIER_BLOCK + 1;
    for (int i = 0; i < side * side; ++i) {
        pixels[i] = MAGNIFIER_GRID;
    }
    uint8_t ink[MAGNIFIER_BLOCK][MAGNIFIER_BLOCK];
    for (int r = 0; r < MAGNIFIER_SPAN; ++r) {
        for (int c = 0; c < MAGNIFIER_SPAN; ++c) {
            const bool present = cells.present[r][c];
            if (present) {
                MagnifierBlockInk(cells.value[r][c], ink);
            }
            for (int y = 0; y < MAGNIFIER_BLOCK; ++y) {
                uint32_t* row = pixels + (r * step + 1 + y) * side + c * step + 1;
                for (int x = 0; x < MAGNIFIER_BLOCK; ++x) {
                    row[x] = !present ? MAGNIFIER_ABSENT : ink[y][x] ? MAGNIFIER_INK : MAGNIFIER_PAPER;
                }
            }
        }
    }
    // The lines around the centre block.
    const int first = kHalf * step, last = first + step;
    for (int i = first; i <= last; ++i) {
        pixels[first * side + i] = pixels[last * side + i] = MAGNIFIER_CENTRE;
        pixels[i * side + first] = pixels[i * side + last] = MAGNIFIER_CENTRE;
    }
}
