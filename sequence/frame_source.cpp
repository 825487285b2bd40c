#include "frame_source.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "file_io.h"

namespace {

int FileSize(void* context, uint64_t* bytes) { return OpenFileSize(static_cast<FILE*>(context), bytes); }

size_t FileRead(void* context, uint64_t position, uint8_t* dst, size_t n) {
    FILE* file = static_cast<FILE*>(context);
    return SeekFromStart(file, position) ? fread(dst, 1, n, file) : 0;
}

void FileClose(void* context) { fclose(static_cast<FILE*>(context)); }

int MemorySize(void* context, uint64_t* bytes) {
    *bytes = static_cast<const MemoryBytes*>(context)->size;
    return 1;
}

size_t MemoryRead(void* context, uint64_t position, uint8_t* dst, size_t n) {
    const MemoryBytes* m = static_cast<const MemoryBytes*>(context);
    if (position >= m->size) {
        return 0;
    }
    const size_t at = static_cast<size_t>(position);
    const size_t count = n < m->size - at ? n : m->size - at;
    memcpy(dst, m->data + at, count);
    return count;
}

void MemoryClose(void*) {}

} // namespace

void CloseSource(FrameSource* source) {
    if (source->context) {
        source->close(source->context);
    }
    memset(source, 0, sizeof *source);
}

FrameSource OpenFileSource(const char* path) {
    FrameSource source = {nullptr, FileSize, FileRead, FileClose};
    source.context = path ? fopen(path, "rb") : nullptr;
    return source;
}

FrameSource MemorySource(const MemoryBytes* bytes) {
    // The record is only read; the source never writes through it.
    FrameSource source = {const_cast<MemoryBytes*>(bytes), MemorySize, MemoryRead, MemoryClose};
    return source;
}

int ReadSourceBytes(const FrameSource& source, uint64_t position, uint8_t* dst, size_t n) {
    return SourceOpen(source) && dst && source.read(source.context, position, dst, n) == n;
}

uint64_t FramePosition(const StoredFramePlan& plan, uint32_t n) {
    return plan.header + uint64_t{n} * plan.frameBytes;
}

uint32_t CountFrames(const FrameSource& source, const StoredFramePlan& plan) {
    uint64_t size;
    if (!SourceOpen(source) || plan.frameBytes == 0 || !source.size(source.context, &size) || size < plan.header) {
        return 0;
    }
    const uint64_t count = (size - plan.header) / plan.frameBytes;
    return count > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(count);
}

int ReadFrame(const FrameSource& source, const StoredFramePlan& plan, uint32_t n, uint8_t* dst,
              uint32_t capacity) {
    return plan.frameBytes <= capacity && ReadSourceBytes(source, FramePosition(plan, n), dst, plan.frameBytes);
}
