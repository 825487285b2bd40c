#include "frame_routing.h"

#include <stdlib.h>

#include "bmp_headers.h"
#include "bmp_rows.h"
#include "chroma_geometry.h"
#include "display.h"
#include "image_sizes.h"
#include "zoom.h"

namespace {

const int8_t* Signed(const uint8_t* p) { return reinterpret_cast<const int8_t*>(p); }

// A buffer of at least `need` bytes at *p, obtained anew when it is smaller.
bool HaveBuffer(uint8_t** p, size_t* have, size_t need) {
    if (*have >= need) {
        return true;
    }
    free(*p);
    *p = static_cast<uint8_t*>(PlayerBufferAllocator(need));
    *have = *p ? need : 0;
    return *p != nullptr;
}

// The largest zoomed picture the player makes: beyond it (a work area
// unknown), the frame is shown as at zoom 1.
const uint64_t kMaxZoomedBytes = uint64_t{256} << 20;

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

// Converts a routed frame into s.picture, a 24-bit bitmap, with the state's
// colour matrix; false when the buffer cannot be had.
bool ConvertPicture(PlayerState& s, const FrameRoute& r) {
    if (!HaveBuffer(&s.picture, &s.pictureBytes, static_cast<size_t>(Rgb24ImageBytes(r.width, r.height)))) {
        return false;
    }
    // Gray frames convert as 4:4:4 with neutral colour, as the library shows them.
    if (r.form == FRAME_FORM_INTERLEAVED) {
        BuildRouteBitmap(r, MATRIX_LIBRARY, s.picture);
    } else {
        ConvertYUV2BitmapMatrix(r.type, r.width, r.height, r.data, r.u, r.v, s.colourMatrix, s.picture);
    }
    return true;
}

DisplayCall PictureCall(PlayerState& s, const FrameRoute& r, uint32_t zoom) {
    if (zoom == ZOOM_1 && (s.colourMatrix == MATRIX_LIBRARY || r.form == FRAME_FORM_INTERLEAVED)) {
        return DisplayCallFor(r);
    }
    const uint32_t zw = ZoomedLength(r.width, zoom), zh = ZoomedLength(r.height, zoom);
    const uint64_t zoomedBytes = uint64_t{ZoomedRowBytes(zw)} * zh;
    if (zw == 0 || zh == 0 || zoomedBytes > kMaxZoomedBytes || !ConvertPicture(s, r)) {
        return DisplayCallFor(r);
    }
    if (!HaveBuffer(&s.zoomed, &s.zoomedBytes, static_cast<size_t>(zoomedBytes))) {
        return DisplayCallFor(r);
    }
    ZoomPicture(s.picture + BMP_HEADERS_SIZE, r.width, r.height, size_t{3} * r.width, zoom, s.zoomed);
    DisplayCall call = {DISPLAY_PICTURE, 0, zw, zh, s.zoomed, nullptr, nullptr};
    return call;
}

DisplayCall ImagePictureCall(PlayerState& s, const FrameRoute& r) {
    // Rows of whole groups of four pixels are already 4-byte aligned, as
    // the library's bitmaps need them.
    if (s.colourMatrix == MATRIX_LIBRARY || r.form == FRAME_FORM_INTERLEAVED || r.width % 4 != 0 ||
        !ConvertPicture(s, r)) {
        return DisplayCallFor(r);
    }
    DisplayCall call = {DISPLAY_BMP24, 0, r.width, r.height, s.picture + BMP_HEADERS_SIZE, nullptr, nullptr};
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

void BuildRouteBitmap(const FrameRoute& r, uint32_t matrix, uint8_t* image) {
    switch (r.form) {
    case FRAME_FORM_GRAY: ConvertRaw2Bitmap(r.width, r.height, r.data, image); break;
    case FRAME_FORM_INTERLEAVED:
        // The frame's own colours, not the bare YUV conversion's headers-only
        // image.
        WriteBmpHeaders(image, r.width, r.height, 24);
        InterleavedToBitmapRows(r.width, r.height, r.data, r.type == TYPE_RGB, size_t{3} * r.width,
                                image + BMP_HEADERS_SIZE);
        break;
    default: ConvertYUV2BitmapMatrix(r.type, r.width, r.height, r.data, r.u, r.v, matrix, image); break;
    }
}
