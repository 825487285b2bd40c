#include "pixel_readout.h"

#include <stdarg.h>
#include <string.h>

#include "comparison.h"
#include "display.h"
#include "frame_access.h"
#include "image_pixels.h"
#include "little_endian.h"
#include "player_state.h"

namespace {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char text[160];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// One line per plane: "Y 81", "U 90 at 60, 22", or in a comparison
// "Y  A 81  B 80  A-B +1".
std::string PlaneLines(const ReadSide& a, const ReadSide* b, uint32_t type, uint32_t x, uint32_t y) {
    std::string text;
    for (uint32_t p = 0; p < a.planes.planeCount; ++p) {
        SampleSpot spot, spotB;
        uint32_t va, vb;
        if (!SpotOf(a.planes, type, p, x, y, &spot) ||
            !ReadStoredSample(*a.source, a.position, a.planes, spot, &va)) {
            continue;
        }
        va <<= a.up;
        std::string line = Format("%c %u", a.planes.planes[p].name, va);
        if (b) {
            if (!SpotOf(b->planes, type, p, x, y, &spotB) ||
                !ReadStoredSample(*b->source, b->position, b->planes, spotB, &vb)) {
                continue;
            }
            vb <<= b->up;
            const int64_t d = int64_t{va} - int64_t{vb};
            line = Format("%c  A %u  B %u  A-B %s%lld", a.planes.planes[p].name, va, vb, d > 0 ? "+" : "",
                          static_cast<long long>(d));
        }
        if (spot.x != x || spot.y != y) {
            line += Format(" at %u, %u", spot.x, spot.y);
        }
        text += line + "\n";
    }
    return text;
}

} // namespace

bool ReadStoredSample(const FrameSource& file, uint64_t framePosition, const FrameGeometry& planes,
                      const SampleSpot& spot, uint32_t* value) {
    uint8_t bytes[2] = {0, 0};
    if (!ReadSourceBytes(file, framePosition + spot.offset, bytes, planes.sampleBytes)) {
        return false;
    }
    *value = LittleEndianSample(bytes, planes.sampleBytes) >> planes.shift;
    return true;
}

bool ScreenReadSides(const PlayerState& s, ReadSide* a, ReadSide* b, uint32_t* type) {
    const StoredFramePlan& stored = s.storedPlan;
    if (!SourceOpen(s.openFile)) {
        return false;
    }
    // Classic layouts read as the frame plan lays them out, like the frames.
    SequenceLayout layout = stored.layout;
    if (!IsExtendedLayout(layout)) {
        layout = SequenceLayout{s.sequenceType, 8, PACKING_PLANAR};
    }
    *type = layout.type;
    *a = ReadSide{&s.openFile, SequenceFramePosition(s, s.frameShown),
                  StoredFrameGeometry(layout, stored.width, stored.height), 0};
    *b = ReadSide{nullptr, 0, FrameGeometry{}, 0};
    if (!ComparisonActive(s)) {
        return true;
    }
    // B from its own frame position and layout; a mixed pair's values at
    // the depth they are compared at.
    const SequencePair pair = ComparedPair(s);
    const StoredFramePlan planB = PlanOfB(pair);
    const uint32_t depth = pair.geometry.bitDepth;
    *b = ReadSide{&s.comparison.fileB, FramePosition(planB, s.frameShown),
                  StoredFrameGeometry(planB.layout, planB.width, planB.height),
                  PairMixed(pair) ? depth - planB.layout.bits : 0};
    a->up = PairMixed(pair) ? depth - layout.bits : 0;
    return true;
}

bool ReadPlaneSample(const ReadSide& side, uint32_t plane, uint32_t px, uint32_t py, uint32_t* value) {
    SampleSpot spot;
    if (!side.source || !PlaneSpot(side.planes, plane, px, py, &spot) ||
        !ReadStoredSample(*side.source, side.position, side.planes, spot, value)) {
        return false;
    }
    *value <<= side.up;
    return true;
}

std::string SequenceReadout(const PlayerState& s, uint32_t x, uint32_t y) {
    ReadSide a, b;
    uint32_t type;
    if (x >= s.storedPlan.width || y >= s.storedPlan.height || !ScreenReadSides(s, &a, &b, &type)) {
        return "";
    }
    const std::string text = Format("Pixel %u, %u of frame %u\n", x, y, s.frameShown);
    return text + PlaneLines(a, b.source ? &b : nullptr, type, x, y);
}

std::string ImageReadout(const PlayerState& s, uint32_t x, uint32_t y, const uint8_t* image, uint32_t capacity) {
    uint8_t rgb[3];
    if (!StoredImagePixel(image, capacity, x, y, rgb)) {
        return "";
    }
    std::string text = Format("Pixel %u, %u\nR %u  G %u  B %u\n", x, y, rgb[0], rgb[1], rgb[2]);
    const uint32_t type = s.imageType;
    if (s.imageKind == IMAGE_FILE_RAW && !s.sequenceActive && type >= TYPE_YUV444 && type <= TYPE_YUV420 &&
        x < s.imageWidth && y < s.imageHeight) {
        const ReadSide raw = {
            &s.openFile, s.imageHeader,
            StoredFrameGeometry(SequenceLayout{type, 8, PACKING_PLANAR}, s.imageWidth, s.imageHeight), 0};
        text += PlaneLines(raw, nullptr, type, x, y);
    }
    return text;
}
