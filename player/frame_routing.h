// Which library call shows a frame or an image, and with which arguments;
// the same route builds the bitmap a saved frame becomes.
#ifndef VORLEX_FRAME_ROUTING_H
#define VORLEX_FRAME_ROUTING_H

#include <stddef.h>
#include <stdint.h>

#include "player_state.h"

// How the library takes a frame: planar YUV with signed chroma, gray (shown
// as 4:4:4 with the neutral planes, saved through the gray converter), or
// interleaved RGB or BGR (shown through the image path).
enum FrameForm { FRAME_FORM_YUV, FRAME_FORM_GRAY, FRAME_FORM_INTERLEAVED };

// The form of a frame of `type`; a type outside the codes is gray.
FrameForm FrameFormOf(uint32_t type);

struct FrameRoute {
    FrameForm form;
    uint32_t type;          // the library's code: a YUV type, TYPE_YUV444 for gray, TYPE_RGB or TYPE_BGR
    uint32_t width, height; // as the library takes them: 16 bits for the YUV calls
    const uint8_t* data;    // the luma plane, the gray plane or the interleaved pixels
    const int8_t* u;        // signed colour planes (the neutral planes for gray and Y only)
    const int8_t* v;
};

// Routes a frame of `type` laid out by `plan` at `frame` (plan.frameBytes
// long). For the YUV types the colour planes are made signed in place; with
// `lumaOnly` the neutral planes take their place. A type outside the codes is
// routed as gray.
FrameRoute RouteFrame(const PlayerState& s, uint32_t type, uint32_t width, uint32_t height,
                      const FramePlan& plan, uint8_t* frame, bool lumaOnly);

// The library call a window makes to show something.
enum DisplayCallKind {
    DISPLAY_NOTHING,
    DISPLAY_YUV_IMAGE, // DisplayYUVimage(window, type, width, height, data, u, v)
    DISPLAY_IMAGE,     // DisplayImage(window, type, width, height, data)
    DISPLAY_BMP24,     // DisplayBMP24(window, width, height, data)
    DISPLAY_PICTURE    // the player's own picture: width x height 32-bit pixels (blue, green,
                       // red, zero), rows bottom-up, painted by the window until the next call
};
struct DisplayCall {
    DisplayCallKind call;
    uint32_t type, width, height;
    const uint8_t* data;
    const int8_t* u;
    const int8_t* v;
};

DisplayCall DisplayCallFor(const FrameRoute& route);
// The call that shows a routed frame at `zoom` with the state's colour
// matrix: the library's own call at zoom 1 with its own conversion (and for
// interleaved frames, which no matrix touches); otherwise the frame is
// converted into s.picture and zoomed into s.zoomed, the picture the window
// paints. When those buffers cannot be had the frame is shown as at zoom 1.
DisplayCall PictureCall(PlayerState& s, const FrameRoute& route, uint32_t zoom);
// A raw image with the state's colour matrix: converted into s.picture and
// kept by the library (whose image the readout reads), for widths of whole
// groups of four; otherwise, and with the library's own conversion, the
// library's call.
DisplayCall ImagePictureCall(PlayerState& s, const FrameRoute& route);
// A file image (a bitmap or MMP file, or a raw gray image) through the image path.
DisplayCall ImageDisplayCall(uint32_t type, uint32_t width, uint32_t height, const uint8_t* data);

// Length of the bitmap a frame of `form` becomes: 8 bits with the gray
// palette for gray, 24 bits otherwise, rows unpadded (frame widths are
// multiples of 4).
size_t RouteBitmapBytes(FrameForm form, uint32_t width, uint32_t height);

// Writes a routed frame's bitmap, RouteBitmapBytes long, at `image`: gray through the gray
// converter, RGB and BGR with their own colours in bitmap order, YUV through
// the YUV conversion with colour matrix `matrix`.
void BuildRouteBitmap(const FrameRoute& route, uint32_t matrix, uint8_t* image);

#endif
