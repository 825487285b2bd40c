// File > "Comparison statistics...": the whole comparison frame by frame,
// with a progress bar and Cancel, then the table to copy or save.
#ifndef VORLEX_STATISTICS_DIALOG_H
#define VORLEX_STATISTICS_DIALOG_H

#include <windows.h>

struct PlayerState;

void RunStatisticsDialog(HWND owner, const PlayerState& s);

#endif
