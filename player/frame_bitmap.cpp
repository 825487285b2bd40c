#include "frame_bitmap.h"

#include "frame_routing.h"
#include "player_state.h"

size_t FrameBitmapBytes() {
    return RouteBitmapBytes(FrameFormOf(Player.sequenceType), Player.frameWidth, Player.frameHeight);
}

void BuildFrameBitmap(uint8_t* image) {
    // The Y-only view does not apply to a saved frame.
    const FrameRoute route = RouteFrame(Player.sequenceType, Player.frameWidth, Player.frameHeight,
                                        Player.sequencePlan, Player.frameBuffer, false);
    BuildRouteBitmap(route, image);
}
