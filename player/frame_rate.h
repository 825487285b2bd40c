// The frame rate: its text, the number it converts to, and the playback
// timer's period.
#ifndef VORLEX_FRAME_RATE_H
#define VORLEX_FRAME_RATE_H

#include <stdint.h>

// The C library's decimal conversion (strtod) as it behaves in the "C"
// locale, whatever the process locale: leading white space, an optional sign,
// digits with an optional fraction and exponent, stopping at the first
// character that does not fit; 0 for text without a number.
double FrameRateFromText(const char* text);

// 1000 / rate in double precision, truncated to whole milliseconds. 0 when
// the rate gives no usable period: 0, negative, not a number, so large that
// the period is under 1 ms, or so small that it passes 32 bits.
uint32_t TimerPeriodFor(double rate);

// Non-zero when TimerPeriodFor(rate) gives a usable period.
int FrameRateUsable(double rate);

#endif
