#include "player_state.h"

#include <stdlib.h>
#include <string.h>

#include "frame_rate.h"
#include "zoom.h"

const FramePreset FramePresets[FRAME_PRESET_COUNT] = {
    {"SQCIF", 128, 96}, {"QCIF", 176, 144},    {"CIF", 352, 288},
    {"4CIF", 704, 576}, {"16CIF", 1408, 1152}, {"Custom", MAX_FRAME_WIDTH, MAX_FRAME_HEIGHT},
};

void* (*PlayerBufferAllocator)(size_t size) = malloc;

namespace {

FrameSource OpenFromDisk(void*, const char* path) { return OpenFileSource(path); }

int WriteToDisk(void*, const char* path, const uint8_t* data, size_t n) {
    return WriteWholeFile(path, data, n);
}

} // namespace

PlayerFiles DiskFiles() {
    PlayerFiles files = {nullptr, OpenFromDisk, WriteToDisk};
    return files;
}

void EndComparison(PlayerState& s) {
    ComparisonState& c = s.comparison;
    CloseSource(&c.fileB);
    free(c.frameA);
    free(c.frameB);
    free(c.scratch);
    c = ComparisonState{};
}

void ReleasePlayerState(PlayerState& s) {
    EndComparison(s);
    CloseSource(&s.openFile);
    free(s.frameBuffer);
    free(s.neutralU);
    free(s.neutralV);
    free(s.sampleBuffer);
    free(s.picture);
    free(s.zoomed);
    s.picture = nullptr;
    s.zoomed = nullptr;
    s.pictureBytes = 0;
    s.zoomedBytes = 0;
    s.frameBuffer = nullptr;
    s.neutralU = nullptr;
    s.neutralV = nullptr;
    s.sampleBuffer = nullptr;
}

int InitPlayerState(PlayerState& s) {
    ReleasePlayerState(s);
    s = PlayerState{};
    s.files = DiskFiles();

    s.frameBuffer = static_cast<uint8_t*>(PlayerBufferAllocator(FRAME_BUFFER_SIZE));
    if (s.frameBuffer) {
        s.neutralU = static_cast<uint8_t*>(PlayerBufferAllocator(NEUTRAL_PLANE_SIZE));
    }
    if (s.neutralU) {
        s.neutralV = static_cast<uint8_t*>(PlayerBufferAllocator(NEUTRAL_PLANE_SIZE));
    }
    if (!s.neutralV) {
        ReleasePlayerState(s);
        return 0;
    }
    memset(s.neutralU, 0, NEUTRAL_PLANE_SIZE);
    memset(s.neutralV, 0, NEUTRAL_PLANE_SIZE);

    s.framePreset = FRAME_PRESET_QCIF;
    s.sequenceType = TYPE_YUV420;
    s.sequenceBits = 8;
    s.sequencePacking = PACKING_PLANAR;
    s.sequenceHeader = 0;
    SetFrameRateText(s, "30.0");
    s.timerPeriod = TimerPeriodFor(s.frameRate);
    ApplyFramePreset(s); // the frame size and sequencePlan

    s.imageWidth = 512;
    s.imageHeight = 512;
    s.imageType = TYPE_GRAY;
    s.imageHeader = 64;
    s.imagePlan = ComputeFramePlan(s.imageWidth, s.imageHeight, s.imageType);
    strcpy(s.title, "Vorlex");
    s.titleBase = strlen(s.title);
    s.zoomChosen = ZOOM_1;
    s.zoomShown = ZOOM_1;
    return 1;
}

int FramePlanFitsBuffer(const FramePlan& plan) {
    if (plan.frameBytes > FRAME_BUFFER_SIZE) {
        return 0;
    }
    if (plan.chromaBytes == 0) {
        return 1;
    }
    return uint64_t{plan.uOffset} + plan.chromaBytes <= FRAME_BUFFER_SIZE &&
           uint64_t{plan.vOffset} + plan.chromaBytes <= FRAME_BUFFER_SIZE;
}

void ApplyFramePreset(PlayerState& s) {
    if (s.framePreset < FRAME_PRESET_CUSTOM) {
        s.frameWidth = FramePresets[s.framePreset].width;
        s.frameHeight = FramePresets[s.framePreset].height;
    }
    ComputeSequencePlans(s);
}

SequenceLayout SequenceSettingsLayout(const PlayerState& s) {
    SequenceLayout layout = {s.sequenceType, s.sequenceBits, s.sequencePacking};
    return layout;
}

void ComputeSequencePlans(PlayerState& s) {
    s.sequencePlan = ComputeFramePlan(s.frameWidth, s.frameHeight, s.sequenceType);
    StoredFramePlan& stored = s.storedPlan;
    stored.layout = SequenceSettingsLayout(s);
    stored.width = s.frameWidth;
    stored.height = s.frameHeight;
    stored.frameBytes = Saturate32(LayoutFrameBytes(stored.layout, stored.width, stored.height));
}

namespace {

// Adds 128 modulo 256 to each byte: flips its top bit, a word at a time.
void FlipSignBits(uint8_t* p, uint32_t n) {
    uint32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        uint32_t word;
        memcpy(&word, p + i, 4);
        word ^= 0x80808080u;
        memcpy(p + i, &word, 4);
    }
    for (; i < n; ++i) {
        p[i] ^= 0x80;
    }
}

void FlipChroma(uint8_t* frame, const FramePlan& plan) {
    FlipSignBits(frame + plan.uOffset, plan.chromaBytes);
    FlipSignBits(frame + plan.vOffset, plan.chromaBytes);
}

} // namespace

int MakeChromaSigned(PlayerState& s, const FramePlan& plan) {
    if (!s.frameBuffer || !FramePlanFitsBuffer(plan)) {
        return 0;
    }
    FlipChroma(s.frameBuffer, plan);
    return 1;
}

void SignChroma(uint8_t* frame, const FramePlan& plan) {
    const uint64_t end =
        uint64_t{plan.chromaBytes} + (plan.uOffset > plan.vOffset ? plan.uOffset : plan.vOffset);
    if (!frame || end > plan.frameBytes) {
        return;
    }
    FlipChroma(frame, plan);
}

void SetFrameRateText(PlayerState& s, const char* text) {
    const char* t = text ? text : "";
    size_t n = strlen(t);
    if (n > FRAME_RATE_TEXT_MAX) {
        n = FRAME_RATE_TEXT_MAX;
    }
    memcpy(s.frameRateText, t, n);
    s.frameRateText[n] = '\0';
    s.frameRate = FrameRateFromText(s.frameRateText);
}

int OpenInputFile(PlayerState& s, const char* path) {
    // The new file is opened before the old one is closed: a file that cannot
    // be opened leaves the player showing and reading what it had.
    FrameSource file = s.files.open ? s.files.open(s.files.context, path) : FrameSource{};
    if (!SourceOpen(file)) {
        return 0;
    }
    CloseSource(&s.openFile);
    s.openFile = file;
    return 1;
}
