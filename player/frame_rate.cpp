#include "frame_rate.h"

#include <locale.h>
#include <stdlib.h>
#include <string.h>

#if defined(_WIN32) && defined(__i386__)
#include <float.h>
#endif

namespace {

// Characters that strtod may take as part of a number in the "C" locale.
bool InCNumber(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           strchr("+-.()_ \t\n\v\f\r", c) != nullptr;
}

} // namespace

double FrameRateFromText(const char* text) {
    if (!text) {
        return 0.0;
    }
    // strtod reads the locale's decimal point. Where that is not ".", convert
    // a copy in which "." is the locale's point and the text ends at the
    // locale's own point, where a "C" conversion would have stopped anyway.
    const char* point = localeconv()->decimal_point;
    if (!point || point[0] == '\0' || strcmp(point, ".") == 0) {
        return strtod(text, nullptr);
    }
    const size_t pointLength = strlen(point);
    const bool stopAtPoint = !InCNumber(point[0]);
    const size_t length = strlen(text);
    char local[64];
    char* copy = local;
    const size_t needed = length * pointLength + 1;
    if (needed > sizeof local) {
        copy = static_cast<char*>(malloc(needed));
        if (!copy) {
            return 0.0;
        }
    }
    size_t n = 0;
    for (size_t i = 0; i < length; ++i) {
        const char c = text[i];
        if (c == '.') {
            memcpy(copy + n, point, pointLength);
            n += pointLength;
        } else if (stopAtPoint && c == point[0]) {
            break;
        } else {
            copy[n++] = c;
        }
    }
    copy[n] = '\0';
    const double value = strtod(copy, nullptr);
    if (copy != local) {
        free(copy);
    }
    return value;
}

uint32_t TimerPeriodFor(double rate) {
    if (!(rate > 0.0)) { // also NaN
        return 0;
    }
    // The quotient must be the double-precision one in both builds. The x87
    // unit of the 32-bit build divides in extended precision, and rounding
    // that to double afterwards can differ from one rounding; so the division
    // runs with the unit set to double precision, and the stores to volatile
    // doubles keep it between the two control-word changes.
#if defined(_WIN32) && defined(__i386__)
    const unsigned int control = _controlfp(0, 0);
    _controlfp(_PC_53, _MCW_PC);
#endif
    volatile double divisor = rate;
    volatile double period = 1000.0 / divisor;
#if defined(_WIN32) && defined(__i386__)
    _controlfp(control, _MCW_PC);
#endif
    const double p = period;
    if (!(p >= 1.0 && p < 4294967296.0)) { // also infinity
        return 0;
    }
    return static_cast<uint32_t>(p);
}

int FrameRateUsable(double rate) { return TimerPeriodFor(rate) != 0; }
