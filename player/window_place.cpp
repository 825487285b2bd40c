#include "window_place.h"

namespace {

const int kGap = 4;

// Moves `r` onto the screen, keeping its size (its top-left corner wins
// when it is larger).
ScreenRect OntoScreen(const ScreenRect& screen, ScreenRect r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    r.left = r.left + w > screen.right ? screen.right - w : r.left;
    r.top = r.top + h > screen.bottom ? screen.bottom - h : r.top;
    r.left = r.left < screen.left ? screen.left : r.left;
    r.top = r.top < screen.top ? screen.top : r.top;
    return {r.left, r.top, r.left + w, r.top + h};
}

long long Overlap(const ScreenRect& a, const ScreenRect& b) {
    const int w = (a.right < b.right ? a.right : b.right) - (a.left > b.left ? a.left : b.left);
    const int h = (a.bottom < b.bottom ? a.bottom : b.bottom) - (a.top > b.top ? a.top : b.top);
    return w > 0 && h > 0 ? static_cast<long long>(w) * h : 0;
}

} // namespace

ScreenRect PlaceBeside(const ScreenRect& screen, const ScreenRect& keep, int w, int h) {
    const ScreenRect sides[] = {
        {keep.left - kGap - w, keep.top, keep.left - kGap, keep.top + h},
        {keep.right + kGap, keep.top, keep.right + kGap + w, keep.top + h},
        {keep.left, keep.bottom + kGap, keep.left + w, keep.bottom + kGap + h},
        {keep.left, keep.top - kGap - h, keep.left + w, keep.top - kGap},
    };
    ScreenRect best = OntoScreen(screen, sides[0]);
    long long least = Overlap(best, keep);
    for (const ScreenRect& side : sides) {
        const ScreenRect moved = OntoScreen(screen, side);
        const long long covered = Overlap(moved, keep);
        if (covered == 0) {
            return moved;
        }
        if (covered < least) {
            best = moved;
            least = covered;
        }
    }
    return best;
}
