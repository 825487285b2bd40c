#include "player_state.h"

#include <stdlib.h>
#include <string.h>

#include "frame_rate.h"

PlayerState Player;

const FramePreset FramePresets[FRAME_PRESET_COUNT] = {
    {"SQCIF", 128, 96},   {"QCIF", 176, 144},   {"CIF", 352, 288},
    {"4CIF", 704, 576},   {"16CIF", 1408, 1152}, {"Custom", MAX_FRAME_WIDTH, MAX_FRAME_HEIGHT},
};

void* (*PlayerBufferAllocator)(size_t size) = malloc;

void ReleasePlayerState() {
    CloseInputFile();
    free(Player.frameBuffer);
    free(Player.neutralU);
    free(Player.neutralV);
    free(Player.sampleBuffer);
    Player.frameBuffer = nullptr;
    Player.neutralU = nullptr;
    Player.neutralV = nullptr;
    Player.sampleBuffer = nullptr;
}

int InitPlayerState() {
    ReleasePlayerState();
    Player = PlayerState{};

    Player.frameBuffer = static_cast<uint8_t*>(PlayerBufferAllocator(FRAME_BUFFER_SIZE));
    if (Player.frameBuffer) {
        Player.neutralU = static_cast<uint8_t*>(PlayerBufferAllocator(NEUTRAL_PLANE_SIZE));
    }
    if (Player.neutralU) {
        Player.neutralV = static_cast<uint8_t*>(PlayerBufferAllocator(NEUTRAL_PLANE_SIZE));
    }
    if (!Player.neutralV) {
        ReleasePlayerState();
        return 0;
    }
    memset(Player.neutralU, 0, NEUTRAL_PLANE_SIZE);
    memset(Player.neutralV, 0, NEUTRAL_PLANE_SIZE);

    Player.framePreset = FRAME_PRESET_QCIF;
    Player.sequenceType = TYPE_YUV420;
    Player.sequenceBits = 8;
    Player.sequencePacking = PACKING_PLANAR;
    Player.sequenceHeader = 0;
    SetFrameRateText("30.0");
    Player.timerPeriod = TimerPeriodFor(Player.frameRate);
    ApplyFramePreset(); // the frame size and sequencePlan

    Player.imageWidth = 512;
    Player.imageHeight = 512;
    Player.imageType = TYPE_GRAY;
    Player.imageHeader = 64;
    Player.imagePlan = ComputeFramePlan(Player.imageWidth, Player.imageHeight, Player.imageType);
    strcpy(Player.title, "Vorlex");
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

void ApplyFramePreset() {
    if (Player.framePreset < FRAME_PRESET_CUSTOM) {
        Player.frameWidth = FramePresets[Player.framePreset].width;
        Player.frameHeight = FramePresets[Player.framePreset].height;
    }
    ComputeSequencePlans();
}

SequenceLayout SequenceSettingsLayout() {
    SequenceLayout layout = {Player.sequenceType, Player.sequenceBits, Player.sequencePacking};
    return layout;
}

void ComputeSequencePlans() {
    Player.sequencePlan = ComputeFramePlan(Player.frameWidth, Player.frameHeight, Player.sequenceType);
    StoredFramePlan& stored = Player.storedPlan;
    stored.layout = SequenceSettingsLayout();
    stored.width = Player.frameWidth;
    stored.height = Player.frameHeight;
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

int MakeChromaSigned(const FramePlan& plan) {
    if (!Player.frameBuffer || !FramePlanFitsBuffer(plan)) {
        return 0;
    }
    FlipChroma(Player.frameBuffer, plan);
    return 1;
}

void SignChroma(uint8_t* frame, const FramePlan& plan) {
    const uint64_t end = uint64_t{plan.chromaBytes} + (plan.uOffset > plan.vOffset ? plan.uOffset : plan.vOffset);
    if (!frame || end > plan.frameBytes) {
        return;
    }
    FlipChroma(frame, plan);
}

void SetFrameRateText(const char* text) {
    const char* t = text ? text : "";
    size_t n = strlen(t);
    if (n > FRAME_RATE_TEXT_MAX) {
        n = FRAME_RATE_TEXT_MAX;
    }
    memcpy(Player.frameRateText, t, n);
    Player.frameRateText[n] = '\0';
    Player.frameRate = FrameRateFromText(Player.frameRateText);
}

void CloseInputFile() {
    if (Player.openFile) {
        fclose(Player.openFile);
        Player.openFile = nullptr;
    }
}

int OpenInputFile(const char* path) {
    // The new file is opened before the old one is closed: a file that cannot
    // be opened leaves the player showing and reading what it had.
    FILE* file = path ? fopen(path, "rb") : nullptr;
    if (!file) {
        return 0;
    }
    CloseInputFile();
    Player.openFile = file;
    return 1;
}
