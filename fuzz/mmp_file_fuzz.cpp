// An MMP file as the player opens it: the player's check against the file's
// size, then the library's conversion into a buffer of the requested size.
#include <stdlib.h>

#include "conversion_tables.h"
#include "display.h"
#include "fuzz_support.h"
#include "image_checks.h"
#include "image_sizes.h"
#include "kernel_choice.h"
#include "mmp.h"
#include "player_state.h"
#include "stored_image.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    BuildConversionTables();
    MmxAvailable = DetectMmx();
    VectorLevel = DetectVectorLevel();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > FRAME_BUFFER_SIZE) {
        return 0;
    }
    uint8_t* file = ExactCopy(data, size);
    if (!CheckWholeImageFile(TYPE_MMP, file, static_cast<uint32_t>(size))) {
        uint16_t width = 0, height = 0;
        AnalyseFileHeader(TYPE_MMP, &width, &height, file);
        const uint64_t length = Rgb24ImageBytes(width, height) + 4;
        uint8_t* image = static_cast<uint8_t*>(malloc(length));
        ConvertMMP2Bitmap(width, height, file + MMP_HEADER_SIZE, image);
        if (width % 4 == 0 && width > 0 && height > 0 && !StoredImageFits(image, static_cast<uint32_t>(length))) {
            Violated("an MMP image would not be drawn");
        }
        free(image);
    }
    free(file);
    return 0;
}
