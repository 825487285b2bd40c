// The records of the probe DLL's thread procedures. The driver writes one
// into the player's memory and starts the procedure there on it
// (CreateRemoteThread); the procedure writes its answer into the record. The
// probe, the driver and the player are built for the same machine.
#ifndef VORLEX_GUI_PROBE_H
#define VORLEX_GUI_PROBE_H

#include <stdint.h>

// ProbeMenuState: GetMenuState(GetMenu(window), item, flags).
struct ProbeMenuQuery {
    uint64_t window;
    uint32_t item;
    uint32_t flags;
    uint32_t state;
};

// ProbeGlobalAlloc: fixed global memory of `bytes` bytes (0 when refused).
struct ProbeGlobalMemory {
    uint64_t bytes;
    uint64_t memory;
};

// ProbeListRow: row `item` of a report list (-1: the column names), with
// each column's width and alignment (LVCFMT_LEFT, _RIGHT or _CENTER) and
// the width of each cell's text in the list's font, for the first
// PROBE_LIST_COLUMNS columns and PROBE_CELL_CHARS - 1 characters a cell.
enum { PROBE_LIST_COLUMNS = 16, PROBE_CELL_CHARS = 64 };
struct ProbeListCells {
    uint64_t window;
    int32_t item;
    int32_t items, columns; // the list's rows and columns
    int32_t width[PROBE_LIST_COLUMNS];
    int32_t format[PROBE_LIST_COLUMNS];
    int32_t textWidth[PROBE_LIST_COLUMNS];
    char text[PROBE_LIST_COLUMNS][PROBE_CELL_CHARS];
};

#endif
