#include "sequence_layout.h"

#include <stdio.h>
#include <string.h>

#include "chroma_geometry.h"
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
    "4:2:0 10-bit (2x2 chroma)",
    "4:2:0 12-bit (2x2 chroma)",
    "4:2:0 16-bit (2x2 chroma)",
    "4:2:2 10-bit",
    "4:2:2 12-bit",
    "4:2:2 16-bit",
    "4:4:4 10-bit",
    "4:4:4 12-bit",
    "4:4:4 16-bit",
    "Gray 10-bit",
    "Gray 12-bit",
    "Gray 16-bit",
    "NV12 (4:2:0, U first)",
    "NV21 (4:2:0, V first)",
    "P010 (4:2:0, 10-bit)",
    "YUYV (packed 4:2:2)",
    "UYVY (packed 4:2:2)",
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
    const uint32_t groups = ChromaPlaneWidth(TYPE_YUV422, w);
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

const LayoutWord LayoutWords[LAYOUT_WORD_COUNT] = {
    {"420", {TYPE_YUV420, 8, PACKING_PLANAR}},  {"i420", {TYPE_YUV420, 8, PACKING_PLANAR}},
    {"iyuv", {TYPE_YUV420, 8, PACKING_PLANAR}}, {"yuv420p", {TYPE_YUV420, 8, PACKING_PLANAR}},
    {"422", {TYPE_YUV422, 8, PACKING_PLANAR}},  {"yuv422p", {TYPE_YUV422, 8, PACKING_PLANAR}},
    {"444", {TYPE_YUV444, 8, PACKING_PLANAR}},  {"yuv444p", {TYPE_YUV444, 8, PACKING_PLANAR}},
    {"411", {TYPE_YUV411, 8, PACKING_PLANAR}},  {"yuv411p", {TYPE_YUV411, 8, PACKING_PLANAR}},
    {"400", {TYPE_GRAY, 8, PACKING_PLANAR}},    {"gray", {TYPE_GRAY, 8, PACKING_PLANAR}},
    {"grey", {TYPE_GRAY, 8, PACKING_PLANAR}},   {"y8", {TYPE_GRAY, 8, PACKING_PLANAR}},
    {"rgb", {TYPE_RGB, 8, PACKING_PLANAR}},     {"rgb24", {TYPE_RGB, 8, PACKING_PLANAR}},
    {"bgr", {TYPE_BGR, 8, PACKING_PLANAR}},     {"bgr24", {TYPE_BGR, 8, PACKING_PLANAR}},
    {"nv12", {TYPE_YUV420, 8, PACKING_NV12}},   {"nv21", {TYPE_YUV420, 8, PACKING_NV21}},
    {"p010", {TYPE_YUV420, 10, PACKING_P010}},  {"p010le", {TYPE_YUV420, 10, PACKING_P010}},
    {"yuyv", {TYPE_YUV422, 8, PACKING_YUYV}},   {"yuy2", {TYPE_YUV422, 8, PACKING_YUYV}},
    {"uyvy", {TYPE_YUV422, 8, PACKING_UYVY}},
};

bool TakesDepth(uint32_t type) {
    return type == TYPE_YUV420 || type == TYPE_YUV422 || type == TYPE_YUV444 || type == TYPE_GRAY;
}

bool IsDeepBits(uint32_t bits) { return bits == 10 || bits == 12 || bits == 16; }

namespace {

// One to five digits at *t, advancing past them.
bool ReadSmallNumber(const char** t, uint32_t* value) {
    uint32_t v = 0;
    int digits = 0;
    for (; **t >= '0' && **t <= '9'; ++*t) {
        if (++digits > 5) {
            return false;
        }
        v = v * 10 + static_cast<uint32_t>(**t - '0');
    }
    *value = v;
    return digits > 0;
}

} // namespace

// "yuv420p10le", "yuv422p12", "gray16le": a sampling with its depth.
bool ReadDeepLayoutName(const char* t, SequenceLayout* layout) {
    const struct {
        const char* prefix;
        uint32_t type;
    } prefixes[] = {
        {"yuv420p", TYPE_YUV420}, {"yuv422p", TYPE_YUV422}, {"yuv444p", TYPE_YUV444}, {"gray", TYPE_GRAY}};
    uint32_t bits;
    for (const auto& p : prefixes) {
        const size_t n = strlen(p.prefix);
        const char* rest = t + n;
        if (strncmp(t, p.prefix, n) == 0 && ReadSmallNumber(&rest, &bits) && IsDeepBits(bits) &&
            (*rest == '\0' || strcmp(rest, "le") == 0)) {
            *layout = SequenceLayout{p.type, bits, PACKING_PLANAR};
            return true;
        }
    }
    return false;
}

bool LayoutForWord(const char* word, SequenceLayout* layout) {
    for (const LayoutWord& w : LayoutWords) {
        if (strcmp(word, w.word) == 0) {
            *layout = w.layout;
            return true;
        }
    }
    return ReadDeepLayoutName(word, layout);
}

void DescribeLayout(const SequenceLayout& layout, char* text, size_t size) {
    const uint32_t type = layout.type, bits = layout.bits;
    const SamplePacking packing = layout.packing;
    static const char* const kPackings[] = {"", "NV12", "NV21", "P010", "YUYV", "UYVY"};
    if (packing > PACKING_PLANAR && packing <= PACKING_UYVY) {
        snprintf(text, size, "%s", kPackings[packing]);
        return;
    }
    const char* sampling;
    switch (type) {
    case TYPE_YUV444: sampling = "4:4:4"; break;
    case TYPE_YUV422: sampling = "4:2:2"; break;
    case TYPE_YUV411: sampling = "4:1:1"; break;
    case TYPE_YUV420: sampling = "4:2:0"; break;
    case TYPE_RGB: sampling = "RGB"; break;
    case TYPE_BGR: sampling = "BGR"; break;
    default: sampling = "Gray"; break;
    }
    if (bits > 8) {
        snprintf(text, size, "%s %u-bit", sampling, static_cast<unsigned>(bits));
    } else {
        snprintf(text, size, "%s", sampling);
    }
}

bool CompareLayoutOf(const SequenceLayout& a, const SequenceLayout& b, SequenceLayout* both) {
    if (a.type != b.type) {
        return false;
    }
    *both = SameLayout(a, b) ? a : SequenceLayout{a.type, a.bits > b.bits ? a.bits : b.bits, PACKING_PLANAR};
    return true;
}
