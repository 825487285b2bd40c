// A bitmap file as the player opens it: the player's check against the file's
// size, then what DisplayBMP stores. The stored image must be one painting
// can draw without reading past it.
#include <stdlib.h>

#include "bmp_file.h"
#include "display.h"
#include "fuzz_support.h"
#include "image_checks.h"
#include "player_state.h"
#include "stored_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > FRAME_BUFFER_SIZE) {
        return 0; // refused by the whole-file read
    }
    uint8_t* file = ExactCopy(data, size);
    if (!CheckWholeImageFile(TYPE_BMP, file, static_cast<uint32_t>(size))) {
        // The library is given no length: it must read only what the check
        // admitted.
        BmpFileLayout layout;
        if (AnalyseBmpFile(file, UINT64_MAX, &layout) != BMP_SHOWABLE) {
            Violated("a file the player accepts is refused by the library");
        }
        uint8_t* image = static_cast<uint8_t*>(malloc(layout.storedLength ? layout.storedLength : 1));
        StoreBmpImage(file, &layout, image);
        if (layout.width > 0 && layout.rows > 0 && !StoredImageFits(image, layout.storedLength)) {
            Violated("a stored bitmap would be painted past its buffer");
        }
        free(image);
    }
    free(file);
    return 0;
}
