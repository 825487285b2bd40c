#include "bitmap_store.h"

#include <stdlib.h>

#include "image_sizes.h"

BitmapSlot BitmapStore[BITMAP_SLOT_COUNT];
ScratchPlaneSet ScratchPlanes;
uint32_t ImageShown;
StoreAllocator StoreMemory = {malloc, free};

namespace {

void Release(void* block) {
    if (block) {
        StoreMemory.release(block);
    }
}

void ReleasePlanes() {
    Release(ScratchPlanes.luma);
    Release(ScratchPlanes.cb);
    Release(ScratchPlanes.cr);
    ScratchPlanes = ScratchPlaneSet{nullptr, nullptr, nullptr};
}

BitmapSlot* SlotOf(HWND window) {
    if (!window) {
        return nullptr;
    }
    for (BitmapSlot& slot : BitmapStore) {
        if (slot.window == window) {
            return &slot;
        }
    }
    return nullptr;
}

// The buffer bound to `window`, or null. Allocates nothing.
uint8_t* FindBitmap(HWND window) {
    const BitmapSlot* slot = SlotOf(window);
    return slot ? slot->buffer : nullptr;
}

void ClearSlots() {
    for (BitmapSlot& slot : BitmapStore) {
        slot = BitmapSlot{nullptr, nullptr, 0};
    }
}

} // namespace

int InitBitmapStore() {
    ClearSlots();
    ScratchPlanes.luma = static_cast<uint8_t*>(StoreMemory.allocate(SCRATCH_PLANE_SIZE));
    ScratchPlanes.cb =
        ScratchPlanes.luma ? static_cast<int8_t*>(StoreMemory.allocate(SCRATCH_PLANE_SIZE)) : nullptr;
    ScratchPlanes.cr =
        ScratchPlanes.cb ? static_cast<int8_t*>(StoreMemory.allocate(SCRATCH_PLANE_SIZE)) : nullptr;
    if (!ScratchPlanes.cr) {
        ReleasePlanes();
        return 0;
    }
    return 1;
}

void ReleaseBitmapStore() {
    for (BitmapSlot& slot : BitmapStore) {
        Release(slot.buffer);
    }
    ClearSlots();
    ReleasePlanes();
}

const BitmapSlot* FindSlot(HWND window) { return SlotOf(window); }

uint8_t* AcquireBitmap(HWND window, uint32_t length) {
    if (!window) {
        return nullptr;
    }
    BitmapSlot* slot = SlotOf(window);
    if (slot) {
        if (slot->buffer && slot->capacity >= length) {
            return slot->buffer;
        }
        // The old image is not kept: release first, so the two buffers are
        // never held together.
        Release(slot->buffer);
        slot->buffer = static_cast<uint8_t*>(StoreMemory.allocate(length));
        slot->capacity = slot->buffer ? length : 0;
        return slot->buffer;
    }
    for (BitmapSlot& unbound : BitmapStore) {
        if (!unbound.window) {
            uint8_t* buffer = static_cast<uint8_t*>(StoreMemory.allocate(length));
            if (buffer) {
                unbound = BitmapSlot{window, buffer, length};
            }
            return buffer;
        }
    }
    return nullptr;
}

uint8_t* AcquireImageBuffer(HWND window, uint64_t length) {
    return ImageLengthFits(length) ? AcquireBitmap(window, static_cast<uint32_t>(length)) : nullptr;
}

uint8_t* DISPLAY_CALL GetBitmap(HWND window) { return FindBitmap(window); }

uint32_t DISPLAY_CALL GetBitmapSize(HWND window) {
    const BitmapSlot* slot = FindSlot(window);
    return slot ? slot->capacity : 0;
}
