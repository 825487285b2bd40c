// SSIM of two frames of one geometry per plane and for the whole frame, as
// ffmpeg's ssim filter computes it, and its text as that filter prints it.
//
// A plane of w x h samples has (w/4) x (h/4) whole 4x4 blocks (the samples
// past them are left out) and a window of 2 x 2 blocks at each block but the
// last of a row and of a column. Per window, from the exact integer sums of
// its 64 samples of A (s1) and B (s2), of a^2 + b^2 (ss) and of a b (s12),
// with max = 2^depth - 1:
//   c1 = round(0.01^2 max^2 64), c2 = round(0.03^2 max^2 64 63)
//   vars = 64 ss - s1^2 - s2^2, covar = 64 s12 - s1 s2
//   ssim = (2 s1 s2 + c1) (2 covar + c2) / ((s1^2 + s2^2 + c1) (vars + c2))
// where the four factors are exact integers rounded to single precision, and
// the products and the quotient are single-precision ones. A row of windows
// is summed in double precision for 8-bit samples and in single precision
// for deeper ones, as ffmpeg's x86 build does; the plane's SSIM is the sum of
// its rows over the count of its windows.
#ifndef VORLEX_SSIM_H
#define VORLEX_SSIM_H

#include <stdint.h>

#include <string>

#include "plane_geometry.h"

struct FrameSsim {
    uint32_t planeCount;
    double planes[MAX_PLANES];
    double all; // the planes' SSIM weighted by their sample counts
};

// SSIM of frames a and b laid out by `layout` (frameBytes each), on the
// kernels in use. SSIM_NO_WINDOW when a plane is narrower or lower than 8
// samples (ffmpeg prints nan for it); SSIM_NO_MEMORY when the memory for
// a few rows of the widest plane's blocks (40 bytes a block) cannot be had.
// Either leaves *ssim zeroed but for planeCount.
enum { SSIM_VALUE = 0, SSIM_NO_WINDOW = 1, SSIM_NO_MEMORY = 2 };
int SsimOfFrames(const FrameGeometry& layout, const uint8_t* a, const uint8_t* b, FrameSsim* ssim);

// SSIM in dB: -10 log10(1 - ssim). SSIM_DB_INFINITE, *db untouched, where
// ffmpeg prints inf: 1 - ssim within 1e-9 of 0.
enum { SSIM_DB_VALUE = 0, SSIM_DB_INFINITE = 1 };
int SsimDecibels(double ssim, double* db);

// "0.936889 (11.998975)" or "1.000000 (inf)": six decimals and the dB in
// parentheses with six, rounded as printf rounds, with a point whatever the
// process locale.
std::string SsimText(double ssim);
// The value alone: "0.936889".
std::string SsimValueText(double ssim);

// The frame's SSIM as ffmpeg's stats file gives it after the frame number:
// "Y:0.923227 U:0.951511 V:0.976918 All:0.936889 (11.998975)", each plane
// by its name, the dB for All only.
std::string FrameSsimText(const FrameGeometry& layout, const FrameSsim& ssim);

#endif
