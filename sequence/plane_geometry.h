// Where the samples of each plane of a stored frame lie: the geometry that
// the comparison, the readout and the difference picture read frames by, for
// the seven types and every extended layout.
#ifndef VORLEX_PLANE_GEOMETRY_H
#define VORLEX_PLANE_GEOMETRY_H

#include <stdint.h>

#include "little_endian.h"
#include "sequence_layout.h"

enum { MAX_PLANES = 3 };

// One plane inside a frame. Its samples are `width` x `height`, row
// after row with no gap; `step` is the distance between a row's samples in
// samples: 1 for a plane of its own, 3 for a channel of interleaved RGB.
struct PlaneGeometry {
    uint32_t offset; // bytes from the frame's start to the first sample
    uint32_t width, height;
    uint32_t step;
    char name; // 'Y', 'U', 'V', 'R', 'G' or 'B'
};

struct FrameGeometry {
    uint32_t planeCount;  // 1 for gray, 3 otherwise
    uint32_t sampleBytes; // 1, or 2 for 16-bit little-endian words
    uint32_t bitDepth;    // 8 for 1-byte samples, up to 16 for words
    uint32_t shift;       // a sample's value lies this many bits up its word (P010: 6)
    uint32_t frameBytes;  // held at 0xFFFFFFFF where it would pass 32 bits
    PlaneGeometry planes[MAX_PLANES];
};

// Planes of a width x height frame of `type` (an ImageType code): the
// frame plan places them (scaled by the sample size); colour planes
// are w x h (100), w/2 x h (101), w/4 x h (102) or w/2 x h/2 (103), sizes
// truncated; gray (and a type outside the codes) is one plane; RGB and BGR
// are three channels of interleaved pixels, named R, G, B in that order
// whatever the byte order.
FrameGeometry FrameGeometryOf(uint32_t type, uint32_t width, uint32_t height, uint32_t sampleBytes,
                              uint32_t bitDepth);

// The planes of a stored w x h frame of an extended layout: planar ones as
// FrameGeometryOf gives them; NV12 and NV21 chroma with a step of 2; P010
// the same in 16-bit words, 10 bits shifted up by 6; YUYV and UYVY every
// plane with its step inside the groups.
FrameGeometry StoredFrameGeometry(const SequenceLayout& layout, uint32_t width, uint32_t height);

// Samples in plane p.
inline uint64_t PlaneSamples(const PlaneGeometry& p) { return uint64_t{p.width} * p.height; }

// The value of the sample at `p` in a frame of geometry g.
inline uint32_t ValueAt(const FrameGeometry& g, const uint8_t* p) {
    return LittleEndianSample(p, g.sampleBytes) >> g.shift;
}

// Copies every sample of a frame of geometry `from` at `in` into the same
// plane of geometry `to` at `out` (a planar frame of the same planes: step
// 1), each value shifted up by `up` bits: how frames of two layouts of one
// sampling are brought to one form to be compared.
void CopySamples(const FrameGeometry& from, const uint8_t* in, const FrameGeometry& to, uint32_t up,
                 uint8_t* out);

// Where the sample of plane `plane` for pixel (x, y) lies: chroma at (x, y)
// divided by the sampling's subsampling. False outside the plane.
struct SampleSpot {
    uint32_t offset; // bytes from the frame's start
    uint32_t x, y;   // the sample's own coordinates in its plane
};
bool SpotOf(const FrameGeometry& planes, uint32_t type, uint32_t plane, uint32_t x, uint32_t y, SampleSpot* spot);

// Where sample (px, py) of plane `plane` lies, in the plane's own
// coordinates. False outside the plane.
bool PlaneSpot(const FrameGeometry& planes, uint32_t plane, uint32_t px, uint32_t py, SampleSpot* spot);

#endif
