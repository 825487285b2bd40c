#include "frame_bitmap.h"

#include "frame_routing.h"
#include "player_state.h"

size_t FrameBitmapBytes(const PlayerState& s) {
    return RouteBitmapBytes(FrameFormOf(s.sequenceType), s.frameWidth, s.frameHeight);
}

void BuildFrameBitmap(PlayerState& s, uint8_t* image) {
    // The Y-only view does not apply to a saved frame.
    const FrameRoute route =
        RouteFrame(s, s.sequenceType, s.frameWidth, s.frameHeight, s.sequencePlan, s.frameBuffer, false);
    BuildRouteBitmap(route, s.colourMatrix, image);
}
