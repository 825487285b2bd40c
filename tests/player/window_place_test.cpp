// Where the statistics dialog goes beside the main window.
#include <gtest/gtest.h>

#include "window_place.h"

namespace {

void ExpectRect(const ScreenRect& r, int left, int top, int right, int bottom) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

TEST(WindowPlace, BesideTheWindowWhereItFitsElseCoveringLeast) {
    const ScreenRect screen = {0, 0, 1600, 1200};
    // The QCIF window in the middle: on its left, 4 pixels away.
    ExpectRect(PlaceBeside(screen, {708, 505, 892, 695}, 696, 650), 8, 505, 704, 1155);
    // No room on the left: on the right; a top too low moves up.
    ExpectRect(PlaceBeside(screen, {0, 800, 400, 1100}, 500, 600), 404, 600, 904, 1200);
    // Nowhere beside it: the place covering least of it (below, moved up).
    ExpectRect(PlaceBeside(screen, {300, 300, 1300, 900}, 1000, 700), 300, 500, 1300, 1200);
}

} // namespace
