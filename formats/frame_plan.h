// Where the planes of one frame lie, by sequence type code (display.h): the
// byte layout of a frame in a file and in the player's frame buffer. The
// luma plane (or the whole pixel array of RGB and BGR) starts at 0; each
// 4:2:0 and 4:1:1 colour plane holds a quarter of the pixels, 4:2:2 half,
// 4:4:4 all, even at odd sizes. The shape of the planes the conversion and
// the comparison read is chroma_geometry.h.
#ifndef VORLEX_FRAME_PLAN_H
#define VORLEX_FRAME_PLAN_H

#include <stdint.h>

struct FramePlan {
    uint32_t frameBytes;
    uint32_t chromaBytes; // 0 for gray, RGB and BGR
    uint32_t uOffset;
    uint32_t vOffset;
};

// Plan of a width x height frame of `type`. Fields that would pass 32 bits
// (sizes far beyond any setting's limit) are held at 0xFFFFFFFF, so such a
// plan never fits a buffer instead of wrapping to a small one. A type outside
// the ImageType codes is planned as gray.
FramePlan ComputeFramePlan(uint32_t width, uint32_t height, uint32_t type);

// v, or 0xFFFFFFFF where it would pass 32 bits.
inline uint32_t Saturate32(uint64_t v) { return v > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(v); }

#endif
