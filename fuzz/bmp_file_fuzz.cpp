// A bitmap file as the player opens it: the player's check against the file's
// size, then what DisplayBMP stores. The library, given no length, must come
// to the same layout (for a run-length file, the same end of its stream), and
// the stored image must be one painting can draw without reading past it.
#include <stdlib.h>

#include "bmp_file.h"
#include "bmp_headers.h"
#include "fuzz_support.h"
#include "player_state.h"
#include "stored_image.h"

// Largest decoded run-length picture that is stored. A few bytes of
// run-length code can ask for tens of MiB, and storing zeroes every row
// before the stream is decoded into them: above 1 KiB a run costs the search
// far more than it covers, since the decoding into rows is the same code at
// every size (4 KiB ran at about two thirds of the executions). Analysis
// still runs for every size.
const uint32_t kLargestRunLengthStored = 1024;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > FRAME_BUFFER_SIZE) {
        return 0; // refused by the whole-file read
    }
    // libFuzzer hands over a heap copy of exactly `size` bytes, so a read
    // past the file is caught as it is. The player's check for a bitmap
    // (CheckWholeImageFile) is this analysis against the file's size, with a
    // message per verdict.
    BmpFileLayout checked;
    if (AnalyseBmpFile(data, size, &checked) != BMP_SHOWABLE) {
        return 0;
    }
    // The library is given no length: it must read only what the check
    // admitted.
    BmpFileLayout layout;
    if (AnalyseBmpFile(data, UINT64_MAX, &layout) != BMP_SHOWABLE) {
        Violated("a file the player accepts is refused by the library");
    }
    if (layout.fileLength != checked.fileLength || layout.fileLength > size ||
        layout.storedLength != checked.storedLength) {
        Violated("the library reads another layout than the player checked");
    }
    const bool runLength =
        layout.compression == BMP_COMPRESSION_RLE8 || layout.compression == BMP_COMPRESSION_RLE4;
    if (runLength && layout.storedLength > kLargestRunLengthStored) {
        return 0;
    }
    uint8_t* image = static_cast<uint8_t*>(malloc(layout.storedLength ? layout.storedLength : 1));
    StoreBmpImage(data, &layout, image);
    if (layout.width > 0 && layout.rows > 0 && !StoredImageFits(image, layout.storedLength)) {
        Violated("a stored bitmap would be painted past its buffer");
    }
    free(image);
    return 0;
}
