#include "frame_routing.h"

#include "bmp_headers.h"
#include "bmp_rows.h"
#include "chroma_geometry.h"
#include "display.h"
#include "image_sizes.h"

namespace {

const int8_t* Signed(const uint8_t* p) { return reinterpret_cast<const int8_t*>(p); }

} // namespace

FrameForm FrameFormOf(uint32_t type) {
    if (type == TYPE_RGB || type == TYPE_BGR) {
        return FRAME_FORM_INTERLEAVED;
    }
    return HasChromaPlanes(type) ? FRAME_FORM_YUV : FRAME_FORM_GRAY;
}

FrameRoute RouteFrame(const PlayerState& s, uint32_t type, uint32_t width, uint32_t height,
                      const FramePlan& plan, uint8_t* frame, bool lumaOnly) {
    FrameRoute route = {FrameFormOf(type),  TYPE_YUV444,       width & 0xFFFF, height & 0xFFFF, frame,
                        Signed(s.neutralU), Signed(s.neutralV)};
    if (route.form == FRAME_FORM_INTERLEAVED) {
        route.type = type;
        route.width = width;
        route.height = height;
    } else if (route.form == FRAME_FORM_YUV) {
        SignChroma(frame, plan);
        route.type = type & 0xFF;
        if (!lumaOnly) {
            route.u = Signed(frame + plan.uOffset);
            route.v = Signed(frame + plan.vOffset);
        }
    }
    return route;
}

DisplayCall DisplayCallFor(const FrameRoute& r) {
    if (r.form == FRAME_FORM_INTERLEAVED) {
        return ImageDisplayCall(r.type, r.width, r.height, r.data);
    }
    DisplayCall call = {DISPLAY_YUV_IMAGE, r.type, r.width, r.height, r.data, r.u, r.v};
    return call;
}

DisplayCall ImageDisplayCall(uint32_t type, uint32_t width, uint32_t height, const uint8_t* data) {
    DisplayCall call = {DISPLAY_IMAGE, type, width, height, data, nullptr, nullptr};
    return call;
}

size_t RouteBitmapBytes(FrameForm form, uint32_t width, uint32_t height) {
    // The settings bound a frame to a few million pixels: the length fits.
    return static_cast<size_t>(form == FRAME_FORM_GRAY ? GrayImageBytes(width, height)
                                                       : Rgb24ImageBytes(width, height));
}

void BuildRouteBitmap(const FrameRoute& r, uint8_t* image) {
    switch (r.form) {
    case FRAME_FORM_GRAY: ConvertRaw2Bitmap(r.width, r.height, r.data, image); break;
    case FRAME_FORM_INTERLEAVED:
        // The frame's own colours, not the bare YUV conversion's headers-only
        // image.
        WriteBmpHeaders(image, r.width, r.height, 24);
        InterleavedToBitmapRows(r.width, r.height, r.data, r.type == TYPE_RGB, size_t{3} * r.width,
                                image + BMP_HEADERS_SIZE);
        break;
    default: ConvertYUV2Bitmap(r.type, r.width, r.height, r.data, r.u, r.v, image); break;
    }
}
