// File > "Comparison statistics...": the whole comparison frame by frame,
// with a progress bar and Cancel, then the table in two lists to copy or
// save, and a plot of PSNR or SSIM over the frames. A click on the plot
// posts WM_PLOT_FRAME_CHOSEN to the owner, the main window, which shows
// that frame through the playback rules.
#ifndef VORLEX_STATISTICS_DIALOG_H
#define VORLEX_STATISTICS_DIALOG_H

#include <windows.h>

struct PlayerState;

// Posted to the owner: wParam is the frame a click on the plot picked.
const UINT WM_PLOT_FRAME_CHOSEN = WM_APP + 3;

// Runs the modal dialog; it reads the state it is given for the frame on
// screen, which the plot marks.
void RunStatisticsDialog(HWND owner, const PlayerState& s);

// The main window shows another frame: the plot marks it. Does nothing
// while the dialog is not open.
void StatisticsFrameShown();

#endif
