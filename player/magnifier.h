// The Inspector's magnifier: 9 x 9 stored samples of one plane of the
// sequence frame on screen around the sample under the mouse, read at full
// depth as the readout reads them (A - B in a comparison's difference view),
// and the picture the Inspector draws of them.
#ifndef VORLEX_MAGNIFIER_H
#define VORLEX_MAGNIFIER_H

#include <stdint.h>

struct PlayerState;

enum {
    MAGNIFIER_SPAN = 9,   // samples across and down
    MAGNIFIER_BLOCK = 16, // screen pixels across and down a sample's block
    // The picture: blocks with a one-pixel grid line between and around them.
    MAGNIFIER_SIDE = MAGNIFIER_SPAN * (MAGNIFIER_BLOCK + 1) + 1
};

// value[row][column] of plane `plane` (its name in planeName) at
// (centreX - 4 + column, centreY - 4 + row) of the plane's own samples;
// present is false where that sample lies outside the plane.
struct MagnifierCells {
    uint32_t plane;
    char planeName;
    int32_t centreX, centreY;
    bool present[MAGNIFIER_SPAN][MAGNIFIER_SPAN];
    int32_t value[MAGNIFIER_SPAN][MAGNIFIER_SPAN];
};

// The cells around pixel (x, y) of the sequence frame on screen: for a
// chroma plane around the chroma sample of that pixel. In a comparison the
// view's samples (B's at its own position, a mixed pair's at the depth
// compared at), or A - B in the difference view. False without a sequence
// on screen, outside the frame, or for a plane the frame does not have.
bool MagnifierOf(const PlayerState& s, uint32_t x, uint32_t y, uint32_t plane, MagnifierCells* cells);

// Colours of the picture, 0xRRGGBB.
enum : uint32_t {
    MAGNIFIER_INK = 0x000000,
    MAGNIFIER_PAPER = 0xFFFFFF,  // a present sample's block
    MAGNIFIER_ABSENT = 0xC0C0C0, // a block outside the plane
    MAGNIFIER_GRID = 0x808080,
    MAGNIFIER_CENTRE = 0xFF0000 // the lines around the centre block
};

// The ink of one block: `value` in digits 3 x 5 pixels, centred on one
// line, or on two when it has more than four characters (the last three
// below). ink[y][x] is 1 where a digit's pixel lies.
void MagnifierBlockInk(int32_t value, uint8_t ink[MAGNIFIER_BLOCK][MAGNIFIER_BLOCK]);

// The picture of the cells, MAGNIFIER_SIDE rows from the top of
// MAGNIFIER_SIDE pixels each, 0xRRGGBB.
void MagnifierPicture(const MagnifierCells& cells, uint32_t* pixels);

#endif
