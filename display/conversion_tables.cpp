#include "conversion_tables.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

alignas(64) ConversionTables Tables;
uint32_t MmxAvailable;

namespace {

// The entries are the double-precision products truncated toward zero. 32-bit
// code computes on the x87 unit in extended precision, where 219 x 255/219
// comes out just below 255; storing the product in a double rounds it as the
// rule wants. (An 8-bit integer times a 53-bit constant is exact in extended
// precision, so that one rounding is the only one.)
int16_t TruncatedProduct(int i, double factor) {
    volatile double product = i * factor;
    return static_cast<int16_t>(static_cast<int>(product));
}

} // namespace

void BuildConversionTables() {
    for (int i = 0; i < 256; ++i) {
        const int c = i - 128;
        Tables.RedFromV[i] = TruncatedProduct(c, 1.402);
        Tables.GreenFromU[i] = TruncatedProduct(c, -0.34414);
        Tables.GreenFromV[i] = TruncatedProduct(c, -0.71414);
        Tables.BlueFromU[i] = TruncatedProduct(c, 1.772);
        Tables.LumaFromY[i] = TruncatedProduct(i, 1.1643835616438356);
    }
    for (int s = -CLAMP_ZERO_INDEX; s < 1024 - CLAMP_ZERO_INDEX; ++s) {
        Tables.ClampToByte[s + CLAMP_ZERO_INDEX] =
            static_cast<uint8_t>(s < 0 ? 0 : s > 255 ? 255 : s);
    }
}

uint32_t DetectMmx() {
#if defined(__i386__) || defined(__x86_64__)
    unsigned int eax, ebx, ecx, edx;
    __cpuid(1, eax, ebx, ecx, edx);
    (void)eax;
    (void)ebx;
    (void)ecx;
    return (edx >> 23) & 1;
#else
    return 0;
#endif
}
