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

#endif
