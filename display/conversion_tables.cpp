#include "conversion_tables.h"

alignas(64) ConversionTables Tables;
FixedPointTerms VectorTerms;
alignas(64) ConversionTables StandardTables[STANDARD_MATRIX_COUNT];
FixedPointTerms StandardTerms[STANDARD_MATRIX_COUNT];

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

// What one table set multiplies by: luma entry i is (i - lumaOffset) x luma,
// chroma entry i is (i - 128) times its factor.
struct Factors {
    double red, blue, greenU, greenV, luma;
    int lumaOffset;
};

const double kLimitedLuma = 1.1643835616438356; // 255/219

// From Kr and Kb (BT.601 0.299/0.114, BT.709 0.2126/0.0722, BT.2020
// 0.2627/0.0593), Kg = 1 - Kr - Kb: red 2(1 - Kr), blue 2(1 - Kb), greenU
// -2 Kb (1 - Kb) / Kg, greenV -2 Kr (1 - Kr) / Kg, times 255/224 for limited
// range, whose luma is (i - 16) x 255/219. The values are those expressions
// evaluated in double precision and written out, so that x87 code, which
// would round the products and quotients twice, builds the same tables.
const Factors kStandardFactors[STANDARD_MATRIX_COUNT] = {
    {1.596026785714286, 2.017232142857143, -0.39176229009491365, -0.8129676472377707, kLimitedLuma, 16},
    {1.4020000000000001, 1.772, -0.34413628620102216, -0.7141362862010221, 1.0, 0},
    {1.7927410714285714, 2.112401785714286, -0.21324861427372968, -0.532909328559444, kLimitedLuma, 16},
    {1.5748, 1.8556, -0.1873242729306488, -0.46812427293064884, 1.0, 0},
    {1.6786741071428573, 2.1417723214285713, -0.18732610421934257, -0.6504243185050569, kLimitedLuma, 16},
    {1.4746000000000001, 1.8814, -0.16455312684365778, -0.5713531268436578, 1.0, 0},
};

void BuildTableSet(ConversionTables* t, const Factors& f) {
    for (int i = 0; i < 256; ++i) {
        const int c = i - 128;
        t->RedFromV[i] = TruncatedProduct(c, f.red);
        t->GreenFromU[i] = TruncatedProduct(c, f.greenU);
        t->GreenFromV[i] = TruncatedProduct(c, f.greenV);
        t->BlueFromU[i] = TruncatedProduct(c, f.blue);
        t->LumaFromY[i] = TruncatedProduct(i - f.lumaOffset, f.luma);
    }
    for (int s = -CLAMP_ZERO_INDEX; s < 1024 - CLAMP_ZERO_INDEX; ++s) {
        t->ClampToByte[s + CLAMP_ZERO_INDEX] = static_cast<uint8_t>(s < 0 ? 0 : s > 255 ? 255 : s);
    }
}

// The chroma entry that the vector kernels compute for the signed sample c:
// the magnitude is whole x n + hi(n, m), the sign is that of c times `sign`.
int ChromaEntry(int c, int whole, uint32_t m, int sign) {
    const uint32_t n = static_cast<uint32_t>(c < 0 ? -c : c);
    const int magnitude = static_cast<int>(whole * n + (n * m >> 16));
    return (c < 0 ? -sign : sign) * magnitude;
}

// The luma entry that the vector kernels compute for c = y - lumaOffset.
int LumaEntry(int c, uint32_t m) {
    const int64_t p = int64_t{c} * m;
    const int64_t floored = p >= 0 ? p >> 16 : -((-p + 0xFFFF) >> 16);
    return c + static_cast<int>(floored) + (c < 0 ? 1 : 0);
}

// The shift of a red or blue table: 0 for a factor in 1..2, 1 for 2..3, from
// the largest magnitude over the largest n; 2 for any other, which the
// derivation refuses.
uint16_t WholeShift(const int16_t* table) {
    const int whole = (table[0] < 0 ? -table[0] : table[0]) / 128;
    return static_cast<uint16_t>(whole == 1 ? 0 : whole == 2 ? 1 : 2);
}

// The smallest multiplier that reaches every magnitude from below, beyond
// whole x n, over the entries of c = first + i (those of c >= 0 only when
// `nonNegative`); 0x10000 when no 16-bit multiplier can.
uint32_t LeastMultiplier(const int16_t* table, int first, int whole, bool nonNegative) {
    uint32_t m = 0;
    for (int i = 0; i < 256; ++i) {
        const int c = first + i;
        const int n = c < 0 ? -c : c;
        const int rest = (table[i] < 0 ? -table[i] : table[i]) - whole * n;
        if (n == 0 || rest < 0 || (c < 0 && nonNegative)) {
            continue; // the check refuses what no multiplier can give
        }
        const uint32_t least = ((static_cast<uint32_t>(rest) << 16) + n - 1) / n;
        m = least > m ? least : m;
    }
    return m > 0xFFFF ? 0x10000 : m;
}

// The multiplier of a chroma table, checked on all 256 entries; clears
// *proven on any mismatch. `whole` is 0 for green.
uint16_t ChromaMultiplier(const int16_t* table, int whole, int sign, uint32_t* proven) {
    const uint32_t m = LeastMultiplier(table, -128, whole, false);
    for (int i = 0; i < 256 && m <= 0xFFFF; ++i) {
        if (ChromaEntry(i - 128, whole, m, sign) != table[i]) {
            *proven = 0;
        }
    }
    if (m > 0xFFFF) {
        *proven = 0;
    }
    return static_cast<uint16_t>(m);
}

// The luma multiplier, from the entries at and above the offset, checked on
// all 256; the offset kernels' signed product needs it below 2^15.
uint16_t LumaMultiplier(const int16_t* table, int offset, uint32_t* proven) {
    const uint32_t m = LeastMultiplier(table, -offset, 1, true);
    for (int i = 0; i < 256 && m <= 0xFFFF; ++i) {
        if (LumaEntry(i - offset, m) != table[i]) {
            *proven = 0;
        }
    }
    if (m > (offset > 0 ? 0x7FFFu : 0xFFFFu)) {
        *proven = 0;
    }
    return static_cast<uint16_t>(m);
}

} // namespace

uint32_t DeriveTerms(const ConversionTables& t, FixedPointTerms* k) {
    uint32_t proven = 1;
    // Luma entries below the black level are negative; their count is the
    // offset (the check refuses tables where that is not so).
    int offset = 0;
    while (offset < 255 && t.LumaFromY[offset] < 0) {
        ++offset;
    }
    k->lumaOffset = static_cast<uint16_t>(offset);
    k->redShift = WholeShift(t.RedFromV);
    k->blueShift = WholeShift(t.BlueFromU);
    k->luma = LumaMultiplier(t.LumaFromY, offset, &proven);
    if (k->redShift > 1 || k->blueShift > 1) {
        proven = 0;
    }
    k->red = ChromaMultiplier(t.RedFromV, 1 << k->redShift, 1, &proven);
    k->blue = ChromaMultiplier(t.BlueFromU, 1 << k->blueShift, 1, &proven);
    k->greenU = ChromaMultiplier(t.GreenFromU, 0, -1, &proven);
    k->greenV = ChromaMultiplier(t.GreenFromV, 0, -1, &proven);
    k->proven = proven;
    return proven;
}

uint32_t DeriveVectorTerms() { return DeriveTerms(Tables, &VectorTerms); }

ColourConversion ConversionOfMatrix(uint32_t matrix) {
    if (matrix == 0 || matrix > STANDARD_MATRIX_COUNT) {
        return ColourConversion{&Tables, &VectorTerms};
    }
    return ColourConversion{&StandardTables[matrix - 1], &StandardTerms[matrix - 1]};
}

void BuildConversionTables() {
    BuildTableSet(&Tables, Factors{1.402, 1.772, -0.34414, -0.71414, kLimitedLuma, 0});
    DeriveVectorTerms();
    for (int m = 0; m < STANDARD_MATRIX_COUNT; ++m) {
        BuildTableSet(&StandardTables[m], kStandardFactors[m]);
        DeriveTerms(StandardTables[m], &StandardTerms[m]);
    }
}
