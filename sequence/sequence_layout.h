// The sequence layouts beyond the seven types: planar 4:2:0, 4:2:2, 4:4:4
// and gray with 10, 12 or 16 significant bits in 16-bit little-endian words,
// NV12 and NV21, P010, YUYV and UYVY. The player reads their frames as they
// are stored and unpacks each into the 8-bit planar form of its sampling
// type, which the library shows as it shows that type.
#ifndef VORLEX_SEQUENCE_LAYOUT_H
#define VORLEX_SEQUENCE_LAYOUT_H

#include <stddef.h>
#include <stdint.h>

// How samples are stored. Planar: the planes of the sampling type one after
// the other, a byte a sample, or a 16-bit little-endian word when the layout
// has more than 8 bits. NV12 and NV21: the luma plane, then one plane of
// chroma pairs, U first or V first. P010: NV12 in 16-bit words, the value in
// the high 10 bits. YUYV and UYVY: 4:2:2 in groups of two pixels.
enum SamplePacking { PACKING_PLANAR, PACKING_NV12, PACKING_NV21, PACKING_P010, PACKING_YUYV, PACKING_UYVY };

struct SequenceLayout {
    uint32_t type; // the sampling, an ImageType code; the 8-bit form shown
    uint32_t bits; // significant bits per sample: 8, 10, 12 or 16
    SamplePacking packing;
};

// The layouts the Sequence Option dialog offers beside the seven types.
enum { EXTENDED_LAYOUT_COUNT = 17 };
extern const SequenceLayout ExtendedLayouts[EXTENDED_LAYOUT_COUNT];
// Their names in the dialog's list. The sampling is named by its geometry
// and says so, since the type radios' labels name 2 x 2 chroma "4:1:1".
extern const char* const ExtendedLayoutLabels[EXTENDED_LAYOUT_COUNT];

// Index of `layout` in ExtendedLayouts, or -1.
int ExtendedLayoutIndex(const SequenceLayout& layout);

// True for every layout but the seven types' own (8-bit planar or
// interleaved).
bool IsExtendedLayout(const SequenceLayout& layout);

// Bytes per stored sample: 2 for the 16-bit words, else 1.
uint32_t SampleBytes(const SequenceLayout& layout);

// Bytes of one w x h frame in the file, in 64 bits.
uint64_t LayoutFrameBytes(const SequenceLayout& layout, uint32_t width, uint32_t height);

// The 8-bit value shown for a sample v of `bits` significant bits:
// min(255, (v + 2^(bits-9)) >> (bits-8)); values above the range clamp.
inline uint8_t ShownSample(uint32_t v, uint32_t bits) {
    if (bits <= 8) {
        return static_cast<uint8_t>(v > 255 ? 255 : v);
    }
    const uint32_t shown = (v + (1u << (bits - 9))) >> (bits - 8);
    return static_cast<uint8_t>(shown > 255 ? 255 : shown);
}

// Turns a w x h frame of an extended layout at `in` (LayoutFrameBytes long)
// into the 8-bit planar frame of layout.type at `out`, laid out as
// ComputeFramePlan(w, h, layout.type) lays it out.
void UnpackFrame(const SequenceLayout& layout, uint32_t width, uint32_t height, const uint8_t* in, uint8_t* out);

// The names a file name (lower case) or a header gives the layouts, one
// table: "420", "i420", "yuv420p" and the like for the seven types, "nv12",
// "p010", "yuyv" and the like for the packed ones.
struct LayoutWord {
    const char* word;
    SequenceLayout layout;
};
enum { LAYOUT_WORD_COUNT = 25 };
extern const LayoutWord LayoutWords[LAYOUT_WORD_COUNT];

// Planar samplings that also come with 10, 12 or 16 bits (4:2:0, 4:2:2,
// 4:4:4 and gray), and those depths.
bool TakesDepth(uint32_t type);
bool IsDeepBits(uint32_t bits);

// The layout a word names: one of LayoutWords, or a sampling with its depth
// ("yuv420p10le", "yuv422p12", "gray16le"). False for any other word.
bool LayoutForWord(const char* word, SequenceLayout* layout);

// How frames of layouts a and b compare: sample by sample when they share
// the sampling (the type), in `both`: a itself when a and b are one layout,
// else the planar layout of that sampling at the higher of the two depths,
// into which the lower-depth samples are shifted up. False when the
// samplings differ.
bool CompareLayoutOf(const SequenceLayout& a, const SequenceLayout& b, SequenceLayout* both);

inline bool SameLayout(const SequenceLayout& a, const SequenceLayout& b) {
    return a.type == b.type && a.bits == b.bits && a.packing == b.packing;
}

// The name of a layout for people: the sampling by its geometry ("4:2:0" is
// one chroma sample per 2 x 2 block), its depth when over 8 bits, or the
// packing's name: "4:2:0 10-bit", "Gray", "NV12".
void DescribeLayout(const SequenceLayout& layout, char* text, size_t size);

#endif
