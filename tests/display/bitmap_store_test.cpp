#include <string.h>

#include <vector>

#include "display.h"
#include "store_fixture.h"

TestAllocator* CurrentAllocator;

void* TestAllocate(size_t size) {
    TestAllocator& a = *CurrentAllocator;
    const int attempt = a.allocations++;
    if (size > a.largest) {
        a.largest = size;
    }
    if ((a.failFrom >= 0 && attempt >= a.failFrom) || size > a.failAbove) {
        return nullptr;
    }
    void* block = malloc(size ? size : 1);
    a.live.insert(block);
    return block;
}

void TestRelease(void* block) {
    TestAllocator& a = *CurrentAllocator;
    ++a.releases;
    // A block released twice, or never handed out, is a fault in the store.
    ASSERT_EQ(a.live.erase(block), 1u);
    free(block);
}

namespace {

TEST_F(StoreTest, InitHoldsThreePlanesAndFreeSlots) {
    EXPECT_EQ(alloc.allocations, 3);
    EXPECT_EQ(alloc.largest, SCRATCH_PLANE_SIZE);
    EXPECT_NE(ScratchPlanes.luma, nullptr);
    EXPECT_NE(ScratchPlanes.cb, nullptr);
    EXPECT_NE(ScratchPlanes.cr, nullptr);
    for (const BitmapSlot& slot : BitmapStore) {
        EXPECT_EQ(slot.window, nullptr);
        EXPECT_EQ(slot.buffer, nullptr);
        EXPECT_EQ(slot.capacity, 0u);
    }
}

TEST_F(StoreTest, InitFailureOnAnyPlaneLeavesNothingBehind) {
    ReleaseBitmapStore();
    for (int failing = 0; failing < 3; ++failing) {
        alloc.allocations = 0;
        alloc.failFrom = failing;
        EXPECT_EQ(InitBitmapStore(), 0) << failing;
        EXPECT_EQ(alloc.allocations, failing + 1) << "stops at the first failure";
        EXPECT_TRUE(alloc.live.empty()) << failing;
        EXPECT_EQ(ScratchPlanes.luma, nullptr);
        EXPECT_EQ(ScratchPlanes.cb, nullptr);
        EXPECT_EQ(ScratchPlanes.cr, nullptr);
        // The loader may still send process detach: nothing is released twice.
        const int releases = alloc.releases;
        ReleaseBitmapStore();
        EXPECT_EQ(alloc.releases, releases);
    }
    alloc.failFrom = -1;
    EXPECT_EQ(InitBitmapStore(), 1);
}

TEST_F(StoreTest, SlotGrowsExactlyAndNeverShrinks) {
    const HWND w = FakeWindow(0);
    uint8_t* first = AcquireBitmap(w, 30054);
    ASSERT_NE(first, nullptr);
    memset(first, 0x5A, 30054);
    const int allocations = alloc.allocations;
    const int releases = alloc.releases;

    // Equal length: same buffer, contents kept, nothing allocated.
    EXPECT_EQ(AcquireBitmap(w, 30054), first);
    EXPECT_EQ(alloc.allocations, allocations);
    EXPECT_EQ(first[0], 0x5A);
    EXPECT_EQ(first[30053], 0x5A);

    // One byte more: the old buffer is released, a new one of exactly that size.
    uint8_t* grown = AcquireBitmap(w, 30055);
    ASSERT_NE(grown, nullptr);
    EXPECT_EQ(alloc.allocations, allocations + 1);
    EXPECT_EQ(alloc.largest, SCRATCH_PLANE_SIZE);
    EXPECT_EQ(alloc.releases, releases + 1) << "the old buffer is released";
    EXPECT_EQ(GetBitmapSize(w), 30055u);
    EXPECT_EQ(GetBitmap(w), grown);

    // Smaller: the grown buffer comes back and the capacity stays.
    EXPECT_EQ(AcquireBitmap(w, 7554), grown);
    EXPECT_EQ(GetBitmapSize(w), 30055u);
    EXPECT_EQ(GetBitmap(w), grown);
    EXPECT_EQ(alloc.allocations, allocations + 1);
}

TEST_F(StoreTest, SixteenWindowsHoldSlotsAndASeventeenthGetsNone) {
    std::vector<uint8_t*> buffers;
    for (int i = 0; i < BITMAP_SLOT_COUNT; ++i) {
        buffers.push_back(AcquireBitmap(FakeWindow(i), 100 + i));
        ASSERT_NE(buffers.back(), nullptr) << i;
        EXPECT_EQ(BitmapStore[i].window, FakeWindow(i)) << "slots fill in index order";
    }
    const int allocations = alloc.allocations;
    EXPECT_EQ(AcquireBitmap(FakeWindow(16), 10), nullptr);
    EXPECT_EQ(alloc.allocations, allocations) << "a full store allocates nothing";
    EXPECT_EQ(GetBitmap(FakeWindow(16)), nullptr);
    EXPECT_EQ(GetBitmapSize(FakeWindow(16)), 0u);
    for (int i = 0; i < BITMAP_SLOT_COUNT; ++i) {
        EXPECT_EQ(AcquireBitmap(FakeWindow(i), 100), buffers[i]) << i;
        EXPECT_EQ(GetBitmapSize(FakeWindow(i)), uint32_t(100 + i));
    }
}

TEST_F(StoreTest, UnknownAndNullWindowsHaveNoBitmap) {
    EXPECT_EQ(GetBitmap(FakeWindow(3)), nullptr);
    EXPECT_EQ(GetBitmapSize(FakeWindow(3)), 0u);
    // Null marks a free slot, so it is never a key.
    EXPECT_EQ(AcquireBitmap(nullptr, 64), nullptr);
    EXPECT_EQ(GetBitmap(nullptr), nullptr);
    EXPECT_EQ(GetBitmapSize(nullptr), 0u);
    EXPECT_EQ(alloc.allocations, 3);
    for (const BitmapSlot& slot : BitmapStore) {
        EXPECT_EQ(slot.buffer, nullptr);
    }
}

TEST_F(StoreTest, FailedFirstAllocationLeavesTheSlotFree) {
    alloc.failFrom = alloc.allocations;
    EXPECT_EQ(AcquireBitmap(FakeWindow(0), 64), nullptr);
    EXPECT_EQ(BitmapStore[0].window, nullptr);
    alloc.failFrom = -1;
    // All sixteen slots are still there for other windows.
    for (int i = 1; i <= BITMAP_SLOT_COUNT; ++i) {
        EXPECT_NE(AcquireBitmap(FakeWindow(i), 64), nullptr) << i;
    }
}

TEST_F(StoreTest, FailedGrowthClearsTheSlotSoTheNextRequestAllocates) {
    const HWND w = FakeWindow(5);
    ASSERT_NE(AcquireBitmap(w, 1000), nullptr);
    alloc.failFrom = alloc.allocations;
    EXPECT_EQ(AcquireBitmap(w, 2000), nullptr);
    EXPECT_EQ(GetBitmap(w), nullptr);
    EXPECT_EQ(GetBitmapSize(w), 0u);
    EXPECT_EQ(alloc.live.size(), 3u) << "the old image was released";

    alloc.failFrom = -1;
    // Even a request within the old capacity allocates now.
    uint8_t* again = AcquireBitmap(w, 500);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(GetBitmapSize(w), 500u);
    // Still bound to its first slot: no second slot is taken.
    EXPECT_EQ(BitmapStore[0].window, w);
    EXPECT_EQ(BitmapStore[1].window, nullptr);
}

TEST_F(StoreTest, ReleaseFreesEveryBufferOnce) {
    for (int i = 0; i < 6; ++i) {
        ASSERT_NE(AcquireBitmap(FakeWindow(i), 64), nullptr);
    }
    ASSERT_NE(AcquireBitmap(FakeWindow(2), 4096), nullptr); // grown once
    alloc.failFrom = alloc.allocations;
    EXPECT_EQ(AcquireBitmap(FakeWindow(4), 8192), nullptr); // bound, no buffer
    alloc.failFrom = -1;

    ReleaseBitmapStore();
    EXPECT_TRUE(alloc.live.empty());
    EXPECT_EQ(alloc.releases, alloc.allocations - 1) << "every block obtained, released once";
    for (const BitmapSlot& slot : BitmapStore) {
        EXPECT_EQ(slot.window, nullptr);
    }
    ReleaseBitmapStore(); // a second call releases nothing
    EXPECT_EQ(alloc.releases, alloc.allocations - 1);
}

} // namespace
