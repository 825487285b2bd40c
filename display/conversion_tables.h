// Lookup tables of the colour conversion: five tables of 16-bit products, one
// per colour coefficient, then a clamp table. Built once at load, read-only
// afterwards. No kernel depends on their order or offsets: each reads a table
// by its name. The assertions keep the record one 3,584-byte block without
// padding: aligned to 64 bytes (Tables), every 512-byte table starts a cache
// line and the whole set stays in the first-level cache during a conversion,
// and two builds of the tables compare byte for byte.
#ifndef VORLEX_CONVERSION_TABLES_H
#define VORLEX_CONVERSION_TABLES_H

#include <stddef.h>
#include <stdint.h>

struct ConversionTables {
    int16_t RedFromV[256];     // trunc((i - 128) x 1.402)
    int16_t BlueFromU[256];    // trunc((i - 128) x 1.772)
    int16_t GreenFromU[256];   // trunc((i - 128) x -0.34414)
    int16_t GreenFromV[256];   // trunc((i - 128) x -0.71414)
    int16_t LumaFromY[256];    // trunc(i x 255/219), no black-level offset
    uint8_t ClampToByte[1024]; // entry s + 384 is s limited to 0..255, s = -384..639
};

static_assert(offsetof(ConversionTables, BlueFromU) == 512, "tables are 512 bytes apart");
static_assert(offsetof(ConversionTables, LumaFromY) == 4 * 512, "tables are 512 bytes apart");
static_assert(offsetof(ConversionTables, ClampToByte) == 5 * 512, "clamp table follows");
static_assert(sizeof(ConversionTables) == 5 * 512 + 1024, "no padding");

enum { CLAMP_ZERO_INDEX = 384 };

extern ConversionTables Tables;

void BuildConversionTables();

// The product tables in fixed point, for the vector kernels, which multiply
// instead of looking up. With n = |c| for a signed chroma sample c and
// hi(n, m) = (n x m) >> 16:
//   RedFromV[c + 128]    = sign(c) ((n << redShift) + hi(n, red))
//   BlueFromU[c + 128]   = sign(c) ((n << blueShift) + hi(n, blue))
//   GreenFromU[c + 128]  = -sign(c) hi(n, greenU)
//   GreenFromV[c + 128]  = -sign(c) hi(n, greenV)
//   LumaFromY[y]         = c + floor(c x luma / 2^16) + (1 if c < 0),
//                          c = y - lumaOffset
// Working on n and restoring the sign truncates toward zero, as the tables
// do; so does the luma form, whose negative c (below a black level) meet a
// signed high product, rounded down, and one more. DeriveTerms finds the
// offset, shifts and multipliers from the stored entries (integers only, so
// x87 precision plays no part) and checks all 1,280 of them; `proven` is 1
// only if every entry agrees, and the vector kernels run only then. Tables
// with no offset and no shift (ConvertYUV2Bitmap's) take the plain kernels
// (c = y, n + hi(n, m)); the others the offset kernels (yuv_rows.h).
struct FixedPointTerms {
    uint16_t luma, red, blue, greenU, greenV;
    uint16_t redShift, blueShift, lumaOffset;
    uint32_t proven;
};
extern FixedPointTerms VectorTerms;

// Derives `terms` from `tables`; returns `proven`.
uint32_t DeriveTerms(const ConversionTables& tables, FixedPointTerms* terms);

// Derives VectorTerms from Tables; returns `proven`.
uint32_t DeriveVectorTerms();

// The table sets of the standard colour matrices (ColourMatrix codes 1 to 6,
// at index code - 1), built by BuildConversionTables beside Tables, each with
// its own fixed-point terms. Code 0 is Tables itself.
enum { STANDARD_MATRIX_COUNT = 6 };
extern ConversionTables StandardTables[STANDARD_MATRIX_COUNT];
extern FixedPointTerms StandardTerms[STANDARD_MATRIX_COUNT];

// One conversion's tables and terms, handed to the row kernels.
struct ColourConversion {
    const ConversionTables* tables;
    const FixedPointTerms* terms;
};

// The conversion of ColourMatrix code `matrix` (0 to 6).
ColourConversion ConversionOfMatrix(uint32_t matrix);

#endif
