#include "frame_plan.h"

#include "display.h"

FramePlan ComputeFramePlan(uint32_t width, uint32_t height, uint32_t type) {
    // Anything above 2^33 pixels saturates every field anyway; the cap keeps
    // 3p inside 64 bits.
    uint64_t p = static_cast<uint64_t>(width) * height;
    if (p > (uint64_t{1} << 33)) {
        p = uint64_t{1} << 33;
    }
    uint64_t frame;
    uint64_t chroma;
    switch (type) {
    case TYPE_YUV444:
        frame = 3 * p;
        chroma = p;
        break;
    case TYPE_YUV422:
        frame = 2 * p;
        chroma = p / 2;
        break;
    case TYPE_YUV411:
    case TYPE_YUV420:
        frame = 3 * p / 2;
        chroma = p / 4;
        break;
    case TYPE_RGB:
    case TYPE_BGR:
        frame = 3 * p;
        chroma = 0;
        break;
    default: // TYPE_GRAY
        frame = p;
        chroma = 0;
        break;
    }
    FramePlan plan;
    plan.frameBytes = Saturate32(frame);
    plan.chromaBytes = Saturate32(chroma);
    plan.uOffset = Saturate32(p);
    plan.vOffset = Saturate32(chroma != 0 ? p + chroma : 2 * p);
    return plan;
}
