// A fixture that gives each test a freshly initialised bitmap store whose
// memory comes from an allocator the test controls: it counts allocations,
// fails on request, and checks that every release is of a live block.
#ifndef VORLEX_STORE_FIXTURE_H
#define VORLEX_STORE_FIXTURE_H

#include <gtest/gtest.h>
#include <stdint.h>
#include <stdlib.h>

#include <set>

#include "bitmap_store.h"

struct TestAllocator {
    std::set<void*> live;
    int allocations = 0; // attempts, failed ones included
    int releases = 0;
    int failFrom = -1;           // attempts with this index and later fail (-1: none)
    uint64_t largest = 0;        // largest size requested
    size_t failAbove = SIZE_MAX; // requests above this size fail
};

extern TestAllocator* CurrentAllocator;

void* TestAllocate(size_t size);
void TestRelease(void* block);

// A window handle for the store: any distinct non-null value is a key.
inline HWND FakeWindow(int i) { return reinterpret_cast<HWND>(uintptr_t(i + 1) * 16); }

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedMemory_ = StoreMemory;
        savedShown_ = ImageShown;
        CurrentAllocator = &alloc;
        StoreMemory = StoreAllocator{TestAllocate, TestRelease};
        ImageShown = 0;
        ASSERT_EQ(InitBitmapStore(), 1);
    }
    void TearDown() override {
        ReleaseBitmapStore();
        EXPECT_TRUE(alloc.live.empty()) << alloc.live.size() << " blocks left behind";
        StoreMemory = savedMemory_;
        ImageShown = savedShown_;
        CurrentAllocator = nullptr;
    }

    TestAllocator alloc;

private:
    StoreAllocator savedMemory_;
    uint32_t savedShown_;
};

#endif
