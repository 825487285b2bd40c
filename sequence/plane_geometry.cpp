#include "plane_geometry.h"

#include <string.h>

#include "chroma_geometry.h"
#include "display.h"
#include "frame_plan.h"

FrameGeometry FrameGeometryOf(uint32_t type, uint32_t width, uint32_t height, uint32_t sampleBytes,
                              uint32_t bitDepth) {
    FrameGeometry l;
    memset(&l, 0, sizeof l);
    l.sampleBytes = sampleBytes == 2 ? 2 : 1;
    l.bitDepth = l.sampleBytes == 1 ? 8 : bitDepth > 8 && bitDepth <= 16 ? bitDepth : 16;
    const uint32_t sb = l.sampleBytes;
    const FramePlan plan = ComputeFramePlan(width, height, type);
    l.frameBytes = Saturate32(uint64_t{plan.frameBytes} * sb);
    const PlaneGeometry luma = {0, width, height, 1, 'Y'};
    switch (type) {
    case TYPE_YUV444:
    case TYPE_YUV422:
    case TYPE_YUV411:
    case TYPE_YUV420: {
        const uint32_t cw = ChromaPlaneWidth(type, width), ch = ChromaPlaneHeight(type, height);
        l.planeCount = 3;
        l.planes[0] = luma;
        l.planes[1] = PlaneGeometry{Saturate32(uint64_t{plan.uOffset} * sb), cw, ch, 1, 'U'};
        l.planes[2] = PlaneGeometry{Saturate32(uint64_t{plan.vOffset} * sb), cw, ch, 1, 'V'};
        break;
    }
    case TYPE_RGB:
    case TYPE_BGR: {
        const uint32_t red = type == TYPE_RGB ? 0 : 2 * sb, blue = type == TYPE_RGB ? 2 * sb : 0;
        l.planeCount = 3;
        l.planes[0] = PlaneGeometry{red, width, height, 3, 'R'};
        l.planes[1] = PlaneGeometry{sb, width, height, 3, 'G'};
        l.planes[2] = PlaneGeometry{blue, width, height, 3, 'B'};
        break;
    }
    default:
        l.planeCount = 1;
        l.planes[0] = luma;
        break;
    }
    return l;
}

FrameGeometry StoredFrameGeometry(const SequenceLayout& layout, uint32_t w, uint32_t h) {
    if (layout.packing == PACKING_PLANAR) {
        return FrameGeometryOf(layout.type, w, h, SampleBytes(layout), layout.bits);
    }
    const bool words = layout.packing == PACKING_P010;
    const uint32_t sb = words ? 2 : 1;
    FrameGeometry l = FrameGeometryOf(layout.type, w, h, sb, words ? 10 : 8);
    l.shift = words ? 6 : 0;
    const uint32_t luma = Saturate32(uint64_t{w} * h);
    // The chroma planes of the layout's sampling, interleaved.
    const uint32_t cw = ChromaPlaneWidth(layout.type, w), ch = ChromaPlaneHeight(layout.type, h);
    switch (layout.packing) {
    case PACKING_YUYV:
    case PACKING_UYVY: {
        const uint32_t uFirst = layout.packing == PACKING_UYVY ? 1 : 0;
        l.planes[0] = PlaneGeometry{uFirst, w, h, 2, 'Y'};
        l.planes[1] = PlaneGeometry{1 - uFirst, cw, ch, 4, 'U'};
        l.planes[2] = PlaneGeometry{3 - uFirst, cw, ch, 4, 'V'};
        break;
    }
    default: { // chroma pairs after the luma plane
        const uint32_t vFirst = layout.packing == PACKING_NV21 ? 1 : 0;
        l.planes[1] = PlaneGeometry{Saturate32((uint64_t{luma} + vFirst) * sb), cw, ch, 2, 'U'};
        l.planes[2] = PlaneGeometry{Saturate32((uint64_t{luma} + 1 - vFirst) * sb), cw, ch, 2, 'V'};
        break;
    }
    }
    return l;
}

void CopySamples(const FrameGeometry& from, const uint8_t* in, const FrameGeometry& to, uint32_t up,
                 uint8_t* out) {
    for (uint32_t i = 0; i < from.planeCount && i < to.planeCount; ++i) {
        const PlaneGeometry& f = from.planes[i];
        const PlaneGeometry& t = to.planes[i];
        const uint8_t* src = in + f.offset;
        uint8_t* dst = out + t.offset;
        const size_t n =
            static_cast<size_t>(PlaneSamples(f) < PlaneSamples(t) ? PlaneSamples(f) : PlaneSamples(t));
        const size_t srcStep = size_t{f.step} * from.sampleBytes;
        for (size_t k = 0; k < n; ++k, src += srcStep) {
            const uint32_t v = ValueAt(from, src) << up;
            if (to.sampleBytes == 2) {
                dst[2 * k] = static_cast<uint8_t>(v);
                dst[2 * k + 1] = static_cast<uint8_t>(v >> 8);
            } else {
                dst[k] = static_cast<uint8_t>(v);
            }
        }
    }
}

bool PlaneSpot(const FrameGeometry& planes, uint32_t plane, uint32_t px, uint32_t py, SampleSpot* spot) {
    if (plane >= planes.planeCount) {
        return false;
    }
    const PlaneGeometry& p = planes.planes[plane];
    if (px >= p.width || py >= p.height) {
        return false;
    }
    const uint64_t sample = (uint64_t{py} * p.width + px) * p.step;
    const uint64_t offset = p.offset + sample * planes.sampleBytes;
    if (offset + planes.sampleBytes > planes.frameBytes) {
        return false;
    }
    spot->offset = static_cast<uint32_t>(offset);
    spot->x = px;
    spot->y = py;
    return true;
}

bool SpotOf(const FrameGeometry& planes, uint32_t type, uint32_t plane, uint32_t x, uint32_t y, SampleSpot* spot) {
    if (plane >= planes.planeCount) {
        return false;
    }
    const char name = planes.planes[plane].name;
    const bool chroma = name == 'U' || name == 'V';
    return PlaneSpot(planes, plane, chroma ? ChromaPlaneWidth(type, x) : x,
                     chroma ? ChromaPlaneHeight(type, y) : y, spot);
}
