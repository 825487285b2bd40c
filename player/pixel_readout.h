// What the Inspector reads out under the mouse: the stored samples of the
// pixel in the frame on screen (Y, U and V at full depth, the chroma sample
// at its own coordinates; R, G and B of interleaved frames), A, B and their
// difference in a comparison, and the colour of an image's pixel.
#ifndef VORLEX_PIXEL_READOUT_H
#define VORLEX_PIXEL_READOUT_H

#include <stdint.h>

#include <string>

#include "frame_source.h"
#include "plane_geometry.h"

struct PlayerState;

// The stored value of one sample: a byte, or a little-endian word (P010's
// value in its high 10 bits). False when it cannot be read.
bool ReadStoredSample(const FrameSource& file, uint64_t framePosition, const FrameGeometry& planes,
                      const SampleSpot& spot, uint32_t* value);

// Where one sequence's samples of the frame on screen are read: its frame's
// position and geometry, and how far its values are shifted up to the
// depth they are compared at. No source: nothing to read.
struct ReadSide {
    const FrameSource* source;
    uint64_t position;
    FrameGeometry planes;
    uint32_t up;
};

// The sides the sequence frame on screen (frameShown) is read from: A, and
// B while a comparison runs (else b->source is null), and their sampling
// type. False when no file is open.
bool ScreenReadSides(const PlayerState& s, ReadSide* a, ReadSide* b, uint32_t* type);

// The value of sample (px, py) of plane `plane` of a side, in the plane's
// own coordinates, shifted up by side.up. False where it cannot be read.
bool ReadPlaneSample(const ReadSide& side, uint32_t plane, uint32_t px, uint32_t py, uint32_t* value);

// The readout of pixel (x, y) of the sequence frame on screen (frameShown),
// with A, B and A - B while a comparison runs; empty outside the frame.
std::string SequenceReadout(const PlayerState& s, uint32_t x, uint32_t y);

// The readout of pixel (x, y) of an image: its colour as the stored image
// `image` (`capacity` bytes, the library's bitmap of the window) holds it,
// and for a raw YUV image its stored Y, U and V; empty outside the image.
std::string ImageReadout(const PlayerState& s, uint32_t x, uint32_t y, const uint8_t* image, uint32_t capacity);

#endif
