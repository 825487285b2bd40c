#include "y4m.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "chroma_geometry.h"
#include "display.h"

namespace {

const char kMagic[] = "YUV4MPEG2 ";
const size_t kMagicBytes = sizeof kMagic - 1;
const char kFrameLine[] = "FRAME\n";
const uint32_t kFrameLineBytes = sizeof kFrameLine - 1;

// `n` bytes of `text` as something a message or a field can hold: printable
// ASCII kept, anything else as '?', at most size - 1 bytes.
void CopyText(char* dst, size_t size, const char* text, size_t n) {
    size_t i = 0;
    for (; i + 1 < size && i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        dst[i] = c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    if (size) {
        dst[i] = '\0';
    }
}

// A message naming a tag or value: "<before>'<value>'<after>", the value
// cut to 32 bytes.
Y4mResult Refuse(Y4mResult result, char* message, size_t size, const char* before, const char* value,
                 const char* after) {
    char quoted[36];
    const size_t n = strlen(value);
    CopyText(quoted, sizeof quoted, value, n > 32 ? 32 : n);
    if (n > 32) {
        strcat(quoted, "...");
    }
    if (message && size) {
        snprintf(message, size, "%s'%s'%s", before, quoted, after);
    }
    return result;
}

Y4mResult Refuse(Y4mResult result, char* message, size_t size, const char* text) {
    if (message && size) {
        snprintf(message, size, "%s", text);
    }
    return result;
}

// A decimal number of the whole text, at most 0xFFFFFFFF.
bool ReadNumber(const char* text, uint32_t* value) {
    uint64_t v = 0;
    if (!*text) {
        return false;
    }
    for (; *text; ++text) {
        if (*text < '0' || *text > '9') {
            return false;
        }
        v = v * 10 + static_cast<uint32_t>(*text - '0');
        if (v > 0xFFFFFFFFu) {
            return false;
        }
    }
    *value = static_cast<uint32_t>(v);
    return true;
}

// "n:d" with both 0 (no rate) or both positive.
bool ReadRate(char* text, uint32_t* num, uint32_t* den) {
    char* colon = strchr(text, ':');
    if (!colon) {
        return false;
    }
    *colon = '\0';
    const bool numbers = ReadNumber(text, num) && ReadNumber(colon + 1, den);
    *colon = ':';
    return numbers && (*num == 0) == (*den == 0);
}

struct Colour {
    const char* name;
    uint32_t type;
    uint32_t alpha;
};

const Colour kColours[] = {
    {"420jpeg", TYPE_YUV420, 0}, {"420mpeg2", TYPE_YUV420, 0}, {"420paldv", TYPE_YUV420, 0},
    {"420", TYPE_YUV420, 0},     {"411", TYPE_YUV411, 0},      {"422", TYPE_YUV422, 0},
    {"444", TYPE_YUV444, 0},     {"mono", TYPE_GRAY, 0},       {"444alpha", TYPE_YUV444, 1},
};

// Deep forms: the prefix, then the depth 9 to 16 ("420p10", "mono16").
const Colour kDeepColours[] = {
    {"420p", TYPE_YUV420, 0}, {"422p", TYPE_YUV422, 0}, {"444p", TYPE_YUV444, 0}, {"mono", TYPE_GRAY, 0}};

bool ReadColour(const char* value, SequenceLayout* layout, uint32_t* alpha) {
    for (const Colour& c : kColours) {
        if (strcmp(value, c.name) == 0) {
            *layout = SequenceLayout{c.type, 8, PACKING_PLANAR};
            *alpha = c.alpha;
            return true;
        }
    }
    for (const Colour& c : kDeepColours) {
        const size_t n = strlen(c.name);
        uint32_t bits;
        if (strncmp(value, c.name, n) == 0 && value[n] != '0' && strlen(value + n) <= 2 &&
            ReadNumber(value + n, &bits) && bits >= 9 && bits <= 16) {
            *layout = SequenceLayout{c.type, bits, PACKING_PLANAR};
            *alpha = 0;
            return true;
        }
    }
    return false;
}

} // namespace

Y4mResult ReadY4mHeader(const FrameSource& file, Y4mHeader* header, char* message, size_t size) {
    if (message && size) {
        message[0] = '\0';
    }
    memset(header, 0, sizeof *header);
    char line[Y4M_LINE_LIMIT + 1];
    const size_t got =
        SourceOpen(file) ? file.read(file.context, 0, reinterpret_cast<uint8_t*>(line), Y4M_LINE_LIMIT) : 0;
    if (got < kMagicBytes || memcmp(line, kMagic, kMagicBytes) != 0) {
        return Refuse(Y4M_NOT_Y4M, message, size, "Not a Y4M file!");
    }
    char* end = static_cast<char*>(memchr(line, '\n', got));
    if (!end) {
        return got == Y4M_LINE_LIMIT ? Refuse(Y4M_LINE_TOO_LONG, message, size, "Y4M header too long!")
                                     : Refuse(Y4M_SHORT, message, size, "Y4M file too short!");
    }
    if (memchr(line, '\0', static_cast<size_t>(end - line))) {
        return Refuse(Y4M_BAD_HEADER, message, size, "Y4M header damaged!");
    }
    *end = '\0';
    header->headerBytes = static_cast<uint32_t>(end - line + 1);

    // The tags, each ended by a space or the line's end; empty ones between
    // repeated spaces are skipped.
    enum { SEEN_W = 1, SEEN_H = 2, SEEN_F = 4, SEEN_C = 8, SEEN_I = 16, SEEN_A = 32 };
    uint32_t seen = 0;
    SequenceLayout layout = {TYPE_YUV420, 8, PACKING_PLANAR};
    uint32_t alpha = 0;
    for (char* tag = line + kMagicBytes; tag < end;) {
        char* space = strchr(tag, ' ');
        char* next = space ? space + 1 : end;
        if (space) {
            *space = '\0';
        }
        if (*tag == '\0') {
            tag = next;
            continue;
        }
        const char* value = tag + 1;
        uint32_t bit = 0;
        switch (*tag) {
        case 'W': bit = SEEN_W; break;
        case 'H': bit = SEEN_H; break;
        case 'F': bit = SEEN_F; break;
        case 'C': bit = SEEN_C; break;
        case 'I': bit = SEEN_I; break;
        case 'A': bit = SEEN_A; break;
        case 'X': break;
        default: return Refuse(Y4M_BAD_TAG, message, size, "Unsupported Y4M header tag ", tag, "!");
        }
        if (seen & bit) {
            return Refuse(Y4M_REPEATED_TAG, message, size, "Y4M header repeats the tag ", tag, "!");
        }
        seen |= bit;
        switch (*tag) {
        case 'W':
        case 'H': {
            uint32_t v;
            if (!ReadNumber(value, &v) || v == 0) {
                return Refuse(Y4M_BAD_SIZE, message, size, "Invalid Y4M frame size ", tag, "!");
            }
            if (v > Y4M_MAX_SIDE) {
                return Refuse(Y4M_BAD_SIZE, message, size, "Y4M frame size ", tag, " too large!");
            }
            (*tag == 'W' ? header->width : header->height) = v;
            break;
        }
        case 'F':
            if (!ReadRate(tag + 1, &header->rateNum, &header->rateDen)) {
                return Refuse(Y4M_BAD_RATE, message, size, "Invalid Y4M frame rate ", tag, "!");
            }
            break;
        case 'C':
            if (!ReadColour(value, &layout, &alpha)) {
                return Refuse(Y4M_BAD_COLOUR, message, size, "Unsupported Y4M colour space ", value, "!");
            }
            CopyText(header->colour, sizeof header->colour, value, strlen(value));
            break;
        case 'I': CopyText(header->interlace, sizeof header->interlace, value, strlen(value)); break;
        case 'A': CopyText(header->aspect, sizeof header->aspect, value, strlen(value)); break;
        default: // X: any extension; the colour range is kept
            if (strncmp(tag, "XCOLORRANGE=", 12) == 0) {
                CopyText(header->colourRange, sizeof header->colourRange, tag + 12, strlen(tag + 12));
            }
            break;
        }
        tag = next;
    }
    if ((seen & (SEEN_W | SEEN_H)) != (SEEN_W | SEEN_H)) {
        return Refuse(Y4M_NO_SIZE, message, size, "Y4M header lacks the frame size!");
    }
    // Chroma planes must be whole: the stored planes of an odd-sized 4:2:0
    // frame are larger than the player's plan of it.
    const uint32_t w = header->width, h = header->height;
    if (HasChromaPlanes(layout.type) &&
        (w % ChromaSampleWidth(layout.type) != 0 || h % ChromaSampleHeight(layout.type) != 0)) {
        char name[32];
        DescribeLayout(layout, name, sizeof name);
        if (message && size) {
            snprintf(message, size, "Unsupported Y4M frame size %u x %u for %s!", static_cast<unsigned>(w),
                     static_cast<unsigned>(h), name);
        }
        return Y4M_SIZE_NOT_SAMPLED;
    }
    header->layout = layout;
    header->alpha = alpha;
    // Below 2^31 for sides up to Y4M_MAX_SIDE.
    header->frameBytes = static_cast<uint32_t>(LayoutFrameBytes(layout, w, h));
    header->alphaBytes = alpha ? w * h : 0;
    return Y4M_OK;
}

namespace {

// A Y4M frame source's state.
struct Y4mFrames {
    FrameSource file;
    uint64_t fileBytes;
    uint64_t first;       // the first frame line
    uint32_t frameBytes;  // a frame as offered: its colour planes
    uint64_t storedBytes; // a frame as stored, its alpha plane included
    int indexed;          // 0: frames at the fixed stride; 1: at starts[]
    int indexDone;
    int damaged;
    uint32_t count;   // by the stride, or indexed so far
    uint64_t next;    // while indexing: the next frame line
    uint64_t* starts; // where each frame's samples start
    size_t capacity;
};

size_t Y4mRead(void* context, uint64_t position, uint8_t* dst, size_t n);

Y4mFrames* FramesOf(const FrameSource& source) {
    return source.read == Y4mRead ? static_cast<Y4mFrames*>(source.context) : nullptr;
}

bool PlainLineAt(const Y4mFrames& y, uint64_t at) {
    uint8_t bytes[kFrameLineBytes];
    return ReadSourceBytes(y.file, at, bytes, sizeof bytes) && memcmp(bytes, kFrameLine, sizeof bytes) == 0;
}

uint64_t StrideLine(const Y4mFrames& y, uint32_t frame) {
    return y.first + uint64_t{frame} * (y.storedBytes + kFrameLineBytes);
}

void StartIndex(Y4mFrames* y) {
    y->indexed = 1;
    y->indexDone = 0;
    y->count = 0;
    y->next = y->first;
}

// Where the samples of frame `frame` (< count) start. At the stride its
// line is checked first; one out of place turns the source to indexing.
bool FrameStart(Y4mFrames* y, uint32_t frame, uint64_t* start) {
    if (y->indexed) {
        *start = y->starts[frame];
        return true;
    }
    const uint64_t line = StrideLine(*y, frame);
    if (!PlainLineAt(*y, line)) {
        StartIndex(y);
        return false;
    }
    *start = line + kFrameLineBytes;
    return true;
}

int Y4mSize(void* context, uint64_t* bytes) {
    const Y4mFrames* y = static_cast<const Y4mFrames*>(context);
    *bytes = uint64_t{y->count} * y->frameBytes;
    return 1;
}

size_t Y4mRead(void* context, uint64_t position, uint8_t* dst, size_t n) {
    Y4mFrames* y = static_cast<Y4mFrames*>(context);
    const uint64_t frameBytes = y->frameBytes;
    size_t got = 0;
    while (got < n) {
        const uint64_t at = position + got;
        const uint64_t frame = at / frameBytes;
        uint64_t start;
        if (frame >= y->count || !FrameStart(y, static_cast<uint32_t>(frame), &start)) {
            break;
        }
        const uint64_t within = at - frame * frameBytes;
        const size_t want = n - got < frameBytes - within ? n - got : static_cast<size_t>(frameBytes - within);
        const size_t arrived = y->file.read(y->file.context, start + within, dst + got, want);
        got += arrived;
        if (arrived < want) {
            break;
        }
    }
    return got;
}

void Y4mClose(void* context) {
    Y4mFrames* y = static_cast<Y4mFrames*>(context);
    CloseSource(&y->file);
    free(y->starts);
    free(y);
}

enum LineEnd { LINE_FOUND, LINE_END, LINE_DAMAGED };

// The frame line at `at`: "FRAME", optional parameters after a space, '\n'.
// LINE_END when the file ends there or inside what could still be a frame
// line (a last frame cut short); LINE_DAMAGED for anything else.
LineEnd ReadFrameLine(const Y4mFrames& y, uint64_t at, uint32_t* length) {
    if (at >= y.fileBytes) {
        return LINE_END;
    }
    const uint64_t left = y.fileBytes - at;
    uint8_t bytes[64];
    const size_t n = left < kFrameLineBytes ? static_cast<size_t>(left) : kFrameLineBytes;
    if (!ReadSourceBytes(y.file, at, bytes, n)) {
        return LINE_END;
    }
    if (n == kFrameLineBytes && memcmp(bytes, kFrameLine, n) == 0) {
        *length = kFrameLineBytes;
        return LINE_FOUND;
    }
    if (memcmp(bytes, "FRAME", n < 5 ? n : 5) != 0) {
        return LINE_DAMAGED;
    }
    if (n < kFrameLineBytes) {
        return LINE_END;
    }
    if (bytes[5] != ' ') {
        return LINE_DAMAGED;
    }
    // Parameters: the line ends at the first newline within the limit,
    // looked for a few bytes at a time.
    const uint64_t within = left < Y4M_LINE_LIMIT ? left : uint64_t{Y4M_LINE_LIMIT};
    for (uint64_t looked = kFrameLineBytes; looked < within;) {
        const size_t chunk = within - looked < sizeof bytes ? static_cast<size_t>(within - looked) : sizeof bytes;
        if (!ReadSourceBytes(y.file, at + looked, bytes, chunk)) {
            return LINE_END;
        }
        const uint8_t* end = static_cast<const uint8_t*>(memchr(bytes, '\n', chunk));
        if (end) {
            *length = static_cast<uint32_t>(looked + static_cast<size_t>(end - bytes) + 1);
            return LINE_FOUND;
        }
        looked += chunk;
    }
    return left < Y4M_LINE_LIMIT ? LINE_END : LINE_DAMAGED;
}

bool GrowIndex(Y4mFrames* y) {
    if (y->count < y->capacity) {
        return true;
    }
    const size_t capacity = y->capacity ? 2 * y->capacity : 64;
    if (capacity > SIZE_MAX / sizeof *y->starts / 2) {
        return false;
    }
    uint64_t* starts = static_cast<uint64_t*>(realloc(y->starts, capacity * sizeof *starts));
    if (!starts) {
        return false;
    }
    y->starts = starts;
    y->capacity = capacity;
    return true;
}

} // namespace

FrameSource Y4mFrameSource(FrameSource file, const Y4mHeader& header) {
    FrameSource source = {nullptr, Y4mSize, Y4mRead, Y4mClose};
    Y4mFrames* y = static_cast<Y4mFrames*>(calloc(1, sizeof(Y4mFrames)));
    if (!y || header.frameBytes == 0) {
        free(y);
        CloseSource(&file);
        return source;
    }
    y->file = file;
    y->first = header.headerBytes;
    y->frameBytes = header.frameBytes;
    y->storedBytes = uint64_t{header.frameBytes} + header.alphaBytes;
    if (!SourceOpen(file) || !file.size(file.context, &y->fileBytes)) {
        y->fileBytes = 0;
    }
    // The stride holds while the first and the last line are at their places;
    // every other line is checked when its frame is read.
    const uint64_t after = y->fileBytes > y->first ? y->fileBytes - y->first : 0;
    const uint64_t frames = after / (y->storedBytes + kFrameLineBytes);
    y->count = frames > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(frames);
    if (y->count == 0 ? after != 0
                      : !PlainLineAt(*y, y->first) || !PlainLineAt(*y, StrideLine(*y, y->count - 1))) {
        StartIndex(y);
    }
    source.context = y;
    return source;
}

Y4mStatus Y4mSourceStatus(const FrameSource& frames) {
    Y4mStatus status;
    memset(&status, 0, sizeof status);
    const Y4mFrames* y = FramesOf(frames);
    if (!y) {
        return status;
    }
    status.isY4m = 1;
    status.needsIndex = y->indexed && !y->indexDone;
    status.damaged = y->damaged;
    status.frames = y->count;
    status.fileBytes = y->fileBytes;
    status.scanned = !y->indexed || y->indexDone ? y->fileBytes : y->next;
    return status;
}

Y4mIndexResult Y4mIndexStep(const FrameSource& frames, uint32_t count) {
    Y4mFrames* y = FramesOf(frames);
    if (!y || !y->indexed || y->indexDone) {
        return Y4M_INDEX_DONE;
    }
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t line = 0;
        const LineEnd found = y->count == 0xFFFFFFFFu ? LINE_END : ReadFrameLine(*y, y->next, &line);
        const uint64_t start = y->next + line;
        if (found != LINE_FOUND || y->fileBytes - start < y->storedBytes) {
            y->indexDone = 1;
            y->damaged = found == LINE_DAMAGED;
            return Y4M_INDEX_DONE;
        }
        if (!GrowIndex(y)) {
            return Y4M_INDEX_NO_MEMORY;
        }
        y->starts[y->count++] = start;
        y->next = start + y->storedBytes;
    }
    return Y4M_INDEX_MORE;
}
