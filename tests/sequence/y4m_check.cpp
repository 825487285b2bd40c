// Reads a Y4M file through its frame source and compares every frame with
// the raw file of the same frames:
//     y4m_check FILE.y4m FILE.raw
// Prints the layout, " alpha" when the file has an alpha plane, the rate and
// the frame count ("4:2:0 10-bit 30000:1001 3"); exits 0 when the header was
// accepted, the raw file holds that many whole frames and every frame equals
// its raw frame byte for byte.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "frame_source.h"
#include "y4m.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: y4m_check FILE.y4m FILE.raw\n");
        return 2;
    }
    FrameSource raw = OpenFileSource(argv[2]);
    FrameSource file = OpenFileSource(argv[1]);
    if (!SourceOpen(raw) || !SourceOpen(file)) {
        fprintf(stderr, "cannot open the files\n");
        return 1;
    }
    Y4mHeader header;
    char message[128];
    if (ReadY4mHeader(file, &header, message, sizeof message) != Y4M_OK) {
        fprintf(stderr, "%s\n", message);
        return 1;
    }
    FrameSource frames = Y4mFrameSource(file, header);
    while (Y4mIndexStep(frames, 1000) == Y4M_INDEX_MORE) {
    }
    const StoredFramePlan plan = {header.layout, header.width, header.height, header.frameBytes, 0};
    // The raw frames hold the alpha plane; the Y4M source skips it.
    const StoredFramePlan rawPlan = {header.layout, header.width, header.height,
                                     header.frameBytes + header.alphaBytes, 0};
    const uint32_t count = CountFrames(frames, plan);
    char layout[32];
    DescribeLayout(header.layout, layout, sizeof layout);
    printf("%s%s %u:%u %u\n", layout, header.alpha ? " alpha" : "", static_cast<unsigned>(header.rateNum),
           static_cast<unsigned>(header.rateDen), static_cast<unsigned>(count));
    int status = 0;
    if (Y4mSourceStatus(frames).damaged) {
        fprintf(stderr, "a damaged frame line\n");
        status = 1;
    }
    if (CountFrames(raw, rawPlan) != count) {
        fprintf(stderr, "the raw file holds %u frames\n", static_cast<unsigned>(CountFrames(raw, rawPlan)));
        status = 1;
    }
    uint8_t* a = static_cast<uint8_t*>(malloc(plan.frameBytes));
    uint8_t* b = static_cast<uint8_t*>(malloc(rawPlan.frameBytes));
    for (uint32_t n = 0; status == 0 && n < count; ++n) {
        if (!ReadFrame(frames, plan, n, a, plan.frameBytes) ||
            !ReadFrame(raw, rawPlan, n, b, rawPlan.frameBytes) || memcmp(a, b, plan.frameBytes) != 0) {
            fprintf(stderr, "frame %u differs from the raw frame\n", static_cast<unsigned>(n));
            status = 1;
        }
    }
    free(a);
    free(b);
    CloseSource(&frames);
    CloseSource(&raw);
    return status;
}
