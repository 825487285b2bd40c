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
//   LumaFromY[y]         = y + hi(y, luma)
//   RedFromV[c + 128]    = sign(c) (n + hi(n, red))
//   BlueFromU[c + 128]   = sign(c) (n + hi(n, blue))
//   GreenFromU[c + 128]  = -sign(c) hi(n, greenU)
//   GreenFromV[c + 128]  = -sign(c) hi(n, greenV)
// Working on n and restoring the sign truncates toward zero, as the tables
// do. BuildConversionTables derives the multipliers from the stored entries
// (integers only, so x87 precision plays no part) and checks all 1,280 of
// them; `proven` is 1 only if every entry agrees, and the vector kernels of
// the conversion run only then.
struct FixedPointTerms {
    uint16_t luma, red, blue, greenU, greenV;
    uint32_t proven;
};
extern FixedPointTerms VectorTerms;

// Derives VectorTerms from the current tables; returns `proven`.
uint32_t DeriveVectorTerms();

#endif
