#include "frame_bitmap.h"

#include "bmp_headers.h"
#include "bmp_rows.h"
#include "display.h"
#include "image_sizes.h"
#include "player_state.h"

size_t FrameBitmapBytes() {
    // The settings bound a frame to a few million pixels: the length fits.
    const uint64_t bytes = Player.sequenceType == TYPE_GRAY
                               ? GrayImageBytes(Player.frameWidth, Player.frameHeight)
                               : Rgb24ImageBytes(Player.frameWidth, Player.frameHeight);
    return static_cast<size_t>(bytes);
}

void BuildFrameBitmap(uint8_t* image) {
    const uint32_t w = Player.frameWidth, h = Player.frameHeight, type = Player.sequenceType;
    uint8_t* frame = Player.frameBuffer;
    const FramePlan& plan = Player.sequencePlan;
    if (type == TYPE_GRAY) {
        ConvertRaw2Bitmap(w, h, frame, image);
    } else if (type == TYPE_RGB || type == TYPE_BGR) {
        // The frame's own colours, not the bare YUV conversion's headers-only
        // image.
        WriteBmpHeaders(image, w, h, 24);
        InterleavedToBitmapRows(w, h, frame, type == TYPE_RGB, size_t{3} * w, image + BMP_HEADERS_SIZE);
    } else {
        MakeChromaSigned(plan);
        ConvertYUV2Bitmap(type & 0xFF, w & 0xFFFF, h & 0xFFFF, frame,
                          reinterpret_cast<const int8_t*>(frame + plan.uOffset),
                          reinterpret_cast<const int8_t*>(frame + plan.vOffset), image);
    }
}
