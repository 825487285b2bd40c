// A raw image, or a raw sequence frame of an extended layout, as the player
// opens it: settings its dialogs accept (from the first six bytes), the file
// (the rest, as a frame source in memory) read with the player's reader,
// which reports a short file, then exactly the frame's bytes unpacked, routed
// and converted into buffers of exactly their lengths, and an extended frame
// compared with itself.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "comparison.h"
#include "conversion_tables.h"
#include "display.h"
#include "frame_access.h"
#include "frame_routing.h"
#include "fuzz_support.h"
#include "gray_rgb_to_bmp.h"
#include "image_sizes.h"
#include "kernel_choice.h"
#include "option_rules.h"
#include "player_state.h"
#include "sequence_layout.h"
#include "stored_image.h"

namespace {

const uint32_t kTypes[] = {TYPE_GRAY, TYPE_YUV444, TYPE_YUV422, TYPE_YUV411, TYPE_YUV420, TYPE_RGB, TYPE_BGR};
const uint32_t kTypeCount = sizeof kTypes / sizeof kTypes[0];

// Routes the frame in `frame` (plan.frameBytes, exact) and converts it into
// an image of exactly its length, which painting must accept.
void RouteAndConvert(const PlayerState& s, uint32_t type, uint32_t width, uint32_t height,
                     const FramePlan& plan, uint8_t* frame) {
    const FrameRoute route = RouteFrame(s, type, width, height, plan, frame, false);
    const size_t length = RouteBitmapBytes(route.form, width, height);
    uint8_t* image = static_cast<uint8_t*>(malloc(length));
    BuildRouteBitmap(route, MATRIX_LIBRARY, image);
    if (!StoredImageFits(image, static_cast<uint32_t>(length))) {
        Violated("an image of an accepted size would not be drawn");
    }
    free(image);
}

void RawImage(PlayerState& s, uint32_t type, uint32_t width, uint32_t height, uint32_t header) {
    s.imageType = type;
    s.imageWidth = width;
    s.imageHeight = height;
    s.imageHeader = header;
    s.imagePlan = ComputeFramePlan(width, height, type);
    if (ReadRawImage(s)) {
        uint8_t* frame = ExactCopy(s.frameBuffer, s.imagePlan.frameBytes);
        if (type == TYPE_RGB || type == TYPE_BGR) {
            // Shown through the library's image path, with padded rows.
            const uint64_t length = Bmp24ImageBytes(width, height);
            uint8_t* image = static_cast<uint8_t*>(malloc(length));
            ConvertInterleavedToBitmap(width, height, frame, type == TYPE_RGB, image);
            if (!StoredImageFits(image, static_cast<uint32_t>(length))) {
                Violated("an image of an accepted size would not be drawn");
            }
            free(image);
        }
        RouteAndConvert(s, type, width, height, s.imagePlan, frame);
        free(frame);
    }
}

void ExtendedFrame(PlayerState& s, const SequenceLayout& layout, uint32_t width, uint32_t height,
                   uint32_t header) {
    s.framePreset = FRAME_PRESET_CUSTOM;
    s.frameWidth = width;
    s.frameHeight = height;
    s.sequenceType = layout.type;
    s.sequenceBits = layout.bits;
    s.sequencePacking = layout.packing;
    s.sequenceHeader = header;
    ComputeSequencePlans(s);
    if (!ReadSequenceFrame(s, 0)) {
        return;
    }
    uint8_t* stored = ExactCopy(StoredFrame(s), StoredFrameBytes(s));
    const FramePlan shown = ComputeFramePlan(width, height, layout.type);
    uint8_t* frame = static_cast<uint8_t*>(malloc(shown.frameBytes));
    UnpackFrame(layout, width, height, stored, frame);
    RouteAndConvert(s, layout.type, width, height, shown, frame);
    FrameDiff diff;
    CompareFrames(StoredFrameGeometry(layout, width, height), stored, stored, &diff);
    if (AnyDifference(diff)) {
        Violated("a frame differs from itself");
    }
    free(frame);
    free(stored);
}

// The player's state, kept across inputs as the window keeps it.
PlayerState State;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    BuildConversionTables();
    MmxAvailable = DetectMmx();
    VectorLevel = DetectVectorLevel();
    if (!InitPlayerState(State)) {
        abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6) {
        return 0;
    }
    const uint32_t choice = data[0] % (kTypeCount + EXTENDED_LAYOUT_COUNT);
    const uint32_t width = data[1] | (data[2] & 0x0F) << 8;
    const uint32_t height = data[3] | (data[4] & 0x07) << 8;
    const uint32_t header = data[5];
    // Sizes the Image Option and Frame Options dialogs refuse never arrive.
    if (CheckSizeEntry(true, width, true, height, ImageSizeMessages)) {
        return 0;
    }
    uint8_t* content = ExactCopy(data + 6, size - 6);
    const MemoryBytes bytes = {content, size - 6};
    State.openFile = MemorySource(&bytes);
    if (choice < kTypeCount) {
        RawImage(State, kTypes[choice], width, height, header);
    } else {
        ExtendedFrame(State, ExtendedLayouts[choice - kTypeCount], width, height, header);
    }
    CloseSource(&State.openFile);
    free(content);
    return 0;
}
