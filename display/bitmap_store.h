// The library's process-wide state besides the conversion tables: one BMP
// image buffer per window in a fixed table of 16 slots, the three scratch
// planes of the double-size view, and the flag that some image was shown.
// Plain data without locks: all calls come from one GUI thread.
#ifndef VORLEX_BITMAP_STORE_H
#define VORLEX_BITMAP_STORE_H

#include <stddef.h>
#include <stdint.h>

#include "display.h"

enum { BITMAP_SLOT_COUNT = 16 };
// Each scratch plane holds one plane of a 1920 x 1080 picture enlarged to
// twice its width and height.
enum : uint32_t { SCRATCH_PLANE_SIZE = 4 * 1920 * 1080 };

struct BitmapSlot {
    HWND window;       // key; null marks a free slot
    uint8_t* buffer;   // null when the slot holds none
    uint32_t capacity; // bytes in buffer as allocated; 0 without a buffer
};

// Slots are searched in index order; a bound slot stays bound to its window
// until the library is unloaded.
extern BitmapSlot BitmapStore[BITMAP_SLOT_COUNT];

struct ScratchPlaneSet {
    uint8_t* luma; // enlarged Y plane
    int8_t* cb;    // enlarged U plane
    int8_t* cr;    // enlarged V plane
};
extern ScratchPlaneSet ScratchPlanes;

// 0 at load; set to 1 by every display operation that has put an image into
// a window's buffer; never reset. Painting draws only once it is 1.
extern uint32_t ImageShown;

// Where the store's memory comes from: malloc and free unless a test swaps
// in its own (to count or to fail allocations).
struct StoreAllocator {
    void* (*allocate)(size_t size);
    void (*release)(void* block);
};
extern StoreAllocator StoreMemory;

// Frees all slots and allocates the three scratch planes. On failure releases
// what it obtained, holds no plane, and returns 0; else 1.
int InitBitmapStore();

// Releases every slot buffer and the scratch planes, and frees the slots.
// Safe to call again, or after a failed InitBitmapStore.
void ReleaseBitmapStore();

// A buffer of at least `length` bytes bound to `window`, or null (null window,
// all 16 slots bound to other windows, or no memory). A buffer that is large
// enough is returned as it is, contents kept; a smaller one is released and
// replaced by exactly `length` fresh bytes. After a failed growth the slot
// holds no buffer and capacity 0, so the next request allocates again.
uint8_t* AcquireBitmap(HWND window, uint32_t length);

// AcquireBitmap for an image length computed in 64 bits: null, without
// touching the store, when the length does not fit 32 bits.
uint8_t* AcquireImageBuffer(HWND window, uint64_t length);

// The slot bound to `window`, or null.
const BitmapSlot* FindSlot(HWND window);

#endif
