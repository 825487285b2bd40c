#include "sequence_layout.h"

#include <string.h>

#include "display.h"
#include "frame_plan.h"
#include "unpack_kernels.h"

const SequenceLayout ExtendedLayouts[EXTENDED_LAYOUT_COUNT] = {
    {TYPE_YUV420, 10, PACKING_PLANAR}, {TYPE_YUV420, 12, PACKING_PLANAR}, {TYPE_YUV420, 16, PACKING_PLANAR},
    {TYPE_YUV422, 10, PACKING_PLANAR}, {TYPE_YUV422, 12, PACKING_PLANAR}, {TYPE_YUV422, 16, PACKING_PLANAR},
    {TYPE_YUV444, 10, PACKING_PLANAR}, {TYPE_YUV444, 12, PACKING_PLANAR}, {TYPE_YUV444, 16, PACKING_PLANAR},
    {TYPE_GRAY, 10, PACKING_PLANAR},   {TYPE_GRAY, 12, PACKING_PLANAR},   {TYPE_GRAY, 16, PACKING_PLANAR},
    {TYPE_YUV420, 8, PACKING_NV12},    {TYPE_YUV420, 8, PACKING_NV21},    {TYPE_YUV420, 10, PACKING_P010},
    {TYPE_YUV422, 8, PACKING_YUYV},    {TYPE_YUV422, 8, PACKING_UYVY},
};

const char* const ExtendedLayoutLabels[EXTENDED_LAYOUT_COUNT] = {
    "4:2:0 10-bit (2x2 chroma)", "4:2:0 12-bit (2x2 chroma)", "4:2:0 16-bit (2x2 chroma)",
    "4:2:2 10-bit",              "4:2:2 12-bit",              "4:2:2 16-bit",
    "4:4:4 10-bit",              "4:4:4 12-bit",              "4:4:4 16-bit",
    "Gray 10-bit",               "Gray 12-bit",               "Gray 16-bit",
    "NV12 (4:2:0, U first)",     "NV21 (4:2:0, V first)",     "P010 (4:2:0, 10-bit)",
    "YUYV (packed 4:2:2)",       "UYVY (packed 4:2:2)",
};

int ExtendedLayoutIndex(const SequenceLayout& layout) {
    for (int i = 0; i < EXTENDED_LAYOUT_COUNT; ++i) {
        const SequenceLayout& e = ExtendedLayouts[i];
        if (e.type == layout.type && e.bits == layout.bits && e.packing == layout.packing) {
            return i;
        }
    }
    return -1;
}

namespace {

// A P010 word w shows as (w >> 6 + 2) >> 2, which is (w + 128) >> 8.
const uint32_t kP010Round = 128, kP010Shift = 8;

// Each 16-bit word of `in` shown as the 8-bit value of `bits` bits.
void ShowWords(const uint8_t* in, uint32_t count, uint32_t bits, uint8_t* out) {
    ChosenUnpackKernels().wordsToBytes(in, count, 1u << (bits - 9), bits - 8, out);
}

// Chroma pairs of NV12-style layouts into the U and V planes; P010's words
// are shown as 8 bits a block at a time first.
void SplitPairs(const uint8_t* in, uint32_t pairs, bool words, bool vFirst, uint8_t* u, uint8_t* v) {
    const UnpackKernels& k = ChosenUnpackKernels();
    uint8_t* first = vFirst ? v : u;
    uint8_t* second = vFirst ? u : v;
    if (!words) {
        k.splitPairs(in, pairs, first, second);
        return;
    }
    uint8_t shown[2 * 2048];
    for (uint32_t i = 0; i < pairs; i += 2048) {
        const uint32_t n = pairs - i < 2048 ? pairs - i : 2048;
        k.wordsToBytes(in + 4 * size_t{i}, 2 * size_t{n}, kP010Round, kP010Shift, shown);
        k.splitPairs(shown, n, first + i, second + i);
    }
}

// YUYV or UYVY rows into 4:2:2 planes.
void SplitGroups(const uint8_t* in, uint32_t w, uint32_t h, bool uFirst, uint8_t* y, uint8_t* u, uint8_t* v) {
    const UnpackKernels& k = ChosenUnpackKernels();
    const uint32_t groups = w / 2;
    for (uint32_t r = 0; r < h; ++r) {
        k.splitGroups(in + size_t{r} * 2 * w, groups, uFirst, y + size_t{r} * w, u + size_t{r} * groups,
                      v + size_t{r} * groups);
    }
}

} // namespace

bool IsExtendedLayout(const SequenceLayout& layout) {
    return layout.bits > 8 || layout.packing != PACKING_PLANAR;
}

uint32_t SampleBytes(const SequenceLayout& layout) { return layout.bits > 8 ? 2 : 1; }

uint64_t LayoutFrameBytes(const SequenceLayout& layout, uint32_t width, uint32_t height) {
    const FramePlan shown = ComputeFramePlan(width, height, layout.type);
    return uint64_t{shown.frameBytes} * SampleBytes(layout);
}

void UnpackFrame(const SequenceLayout& layout, uint32_t w, uint32_t h, const uint8_t* in, uint8_t* out) {
    const FramePlan plan = ComputeFramePlan(w, h, layout.type);
    const uint32_t luma = plan.uOffset; // w x h: where the colour planes start
    switch (layout.packing) {
    case PACKING_NV12:
    case PACKING_NV21:
        memcpy(out, in, luma);
        SplitPairs(in + luma, plan.chromaBytes, false, layout.packing == PACKING_NV21, out + plan.uOffset,
                   out + plan.vOffset);
        break;
    case PACKING_P010:
        ChosenUnpackKernels().wordsToBytes(in, luma, kP010Round, kP010Shift, out);
        SplitPairs(in + 2 * size_t{luma}, plan.chromaBytes, true, false, out + plan.uOffset, out + plan.vOffset);
        break;
    case PACKING_YUYV:
    case PACKING_UYVY:
        SplitGroups(in, w, h, layout.packing == PACKING_UYVY, out, out + plan.uOffset, out + plan.vOffset);
        break;
    default: // planar, every plane of words in the 8-bit layout's order
        ShowWords(in, plan.frameBytes, layout.bits, out);
        break;
    }
}
