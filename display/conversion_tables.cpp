#include "conversion_tables.h"

alignas(64) ConversionTables Tables;
FixedPointTerms VectorTerms;

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

// The entry that the vector kernels compute for the signed value c (the
// sample, or the luma value): the magnitude is whole x n + hi(n, m), the sign
// is that of c times `sign`.
int FixedPointEntry(int c, int whole, uint32_t m, int sign) {
    const uint32_t n = static_cast<uint32_t>(c < 0 ? -c : c);
    const int magnitude = static_cast<int>(whole * n + (n * m >> 16));
    return (c < 0 ? -sign : sign) * magnitude;
}

// The smallest 16-bit multiplier that reaches every entry's magnitude from
// below, then the check of all 256 entries with it. `first` is the value of
// c at index 0 (0 for luma, -128 for chroma). Clears *proven on any
// mismatch.
uint16_t DeriveMultiplier(const int16_t* table, int first, int whole, int sign, uint32_t* proven) {
    uint32_t m = 0;
    for (int i = 0; i < 256; ++i) {
        const int c = first + i;
        const int n = c < 0 ? -c : c;
        const int rest = (table[i] < 0 ? -table[i] : table[i]) - whole * n;
        if (n == 0 || rest < 0) {
            continue; // the check below refuses what no multiplier can give
        }
        const uint32_t least = ((static_cast<uint32_t>(rest) << 16) + n - 1) / n;
        m = least > m ? least : m;
    }
    if (m > 0xFFFF) {
        *proven = 0;
        return 0;
    }
    for (int i = 0; i < 256; ++i) {
        if (FixedPointEntry(first + i, whole, m, sign) != table[i]) {
            *proven = 0;
        }
    }
    return static_cast<uint16_t>(m);
}

} // namespace

uint32_t DeriveVectorTerms() {
    uint32_t proven = 1;
    VectorTerms.luma = DeriveMultiplier(Tables.LumaFromY, 0, 1, 1, &proven);
    VectorTerms.red = DeriveMultiplier(Tables.RedFromV, -128, 1, 1, &proven);
    VectorTerms.blue = DeriveMultiplier(Tables.BlueFromU, -128, 1, 1, &proven);
    VectorTerms.greenU = DeriveMultiplier(Tables.GreenFromU, -128, 0, -1, &proven);
    VectorTerms.greenV = DeriveMultiplier(Tables.GreenFromV, -128, 0, -1, &proven);
    VectorTerms.proven = proven;
    return proven;
}

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
        Tables.ClampToByte[s + CLAMP_ZERO_INDEX] = static_cast<uint8_t>(s < 0 ? 0 : s > 255 ? 255 : s);
    }
    DeriveVectorTerms();
}
