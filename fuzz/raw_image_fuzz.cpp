// A raw image as the player opens it: settings the Image Option dialog
// accepts (from the first five bytes), the file (the rest) read with
// ReadRawImage, which reports a short file, then the library's conversion of
// exactly the frame's bytes into a buffer of exactly the image's length.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "bitmap_store.h"
#include "conversion_tables.h"
#include "cpu_features.h"
#include "display.h"
#include "frame_access.h"
#include "fuzz_support.h"
#include "gray_rgb_to_bmp.h"
#include "image_sizes.h"
#include "option_rules.h"
#include "player_state.h"
#include "stored_image.h"

namespace {
const uint32_t kTypes[] = {TYPE_GRAY, TYPE_YUV444, TYPE_YUV422, TYPE_YUV411,
                           TYPE_YUV420, TYPE_RGB, TYPE_BGR};
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    BuildConversionTables();
    MmxAvailable = DetectMmx();
    VectorLevel = DetectVectorLevel();
    if (!InitPlayerState()) {
        abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6) {
        return 0;
    }
    const uint32_t type = kTypes[data[0] % 7];
    const uint32_t width = data[1] | (data[2] & 0x0F) << 8;
    const uint32_t height = data[3] | (data[4] & 0x07) << 8;
    const uint32_t header = data[5];
    if (CheckSizeEntry(true, width, true, height, ImageSizeMessages)) {
        return 0; // refused by the dialog
    }
    Player.imageType = type;
    Player.imageWidth = width;
    Player.imageHeight = height;
    Player.imageHeader = header;
    Player.imagePlan = ComputeFramePlan(width, height, type);

    uint8_t* content = ExactCopy(data + 6, size - 6);
    FILE* file = fmemopen(content, size - 6, "rb");
    if (!file) {
        free(content);
        return 0;
    }
    CloseInputFile();
    Player.openFile = file;
    if (ReadRawImage()) {
        const FramePlan& plan = Player.imagePlan;
        if (type >= TYPE_YUV444 && type <= TYPE_YUV420) {
            MakeChromaSigned(plan);
        }
        uint8_t* frame = ExactCopy(Player.frameBuffer, plan.frameBytes);
        const int8_t* u = reinterpret_cast<const int8_t*>(frame + plan.uOffset);
        const int8_t* v = reinterpret_cast<const int8_t*>(frame + plan.vOffset);
        uint64_t length;
        if (type == TYPE_GRAY) {
            length = GrayImageBytes(width, height);
        } else if (type == TYPE_RGB || type == TYPE_BGR) {
            length = Bmp24ImageBytes(width, height);
        } else {
            length = Rgb24ImageBytes(width, height);
        }
        uint8_t* image = static_cast<uint8_t*>(malloc(length));
        if (type == TYPE_GRAY) {
            ConvertRaw2Bitmap(width, height, frame, image);
        } else if (type == TYPE_RGB || type == TYPE_BGR) {
            ConvertInterleavedToBitmap(width, height, frame, type == TYPE_RGB, image);
        } else {
            ConvertYUV2Bitmap(type, width, height, frame, u, v, image);
        }
        if (!StoredImageFits(image, static_cast<uint32_t>(length))) {
            Violated("an image of an accepted size would not be drawn");
        }
        free(image);
        free(frame);
    }
    CloseInputFile();
    free(content);
    return 0;
}
