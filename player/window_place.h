// Where a window opened over the main window goes so that the picture stays
// in sight: the geometry alone, in screen pixels.
#ifndef VORLEX_WINDOW_PLACE_H
#define VORLEX_WINDOW_PLACE_H

// Right and bottom edges excluded.
struct ScreenRect {
    int left, top, right, bottom;
};

// The place of a w x h window on `screen` beside `keep`: to its left, right,
// below or above, each moved onto the screen as needed, the first of these
// that covers nothing of `keep`, else the one that covers least of it.
ScreenRect PlaceBeside(const ScreenRect& screen, const ScreenRect& keep, int w, int h);

#endif
