#include <gtest/gtest.h>
#include <string.h>

#include "conversion_tables.h"
#include "kernel_choice.h"
#include "test_support.h"

namespace {

TEST(ConversionTables, CheckValues) {
    const int16_t* luma = Tables.LumaFromY;
    // 73, 146 and 219 lie within 2e-15 of an integer: only double-precision
    // products give these.
    EXPECT_EQ(luma[16], 18);
    EXPECT_EQ(luma[73], 85);
    EXPECT_EQ(luma[128], 149);
    EXPECT_EQ(luma[146], 170);
    EXPECT_EQ(luma[219], 255);
    EXPECT_EQ(luma[220], 256);
    EXPECT_EQ(luma[235], 273);
    EXPECT_EQ(luma[255], 296);
    EXPECT_EQ(Tables.RedFromV[0], -179);
    EXPECT_EQ(Tables.RedFromV[127], -1);
    EXPECT_EQ(Tables.RedFromV[129], 1);
    EXPECT_EQ(Tables.RedFromV[255], 178);
    EXPECT_EQ(Tables.BlueFromU[0], -226);
    EXPECT_EQ(Tables.BlueFromU[255], 225);
    EXPECT_EQ(Tables.GreenFromU[0], 44);
    EXPECT_EQ(Tables.GreenFromU[255], -43);
    EXPECT_EQ(Tables.GreenFromV[0], 91);
    EXPECT_EQ(Tables.GreenFromV[255], -90);
}

TEST(ConversionTables, EveryEntryIsTheTruncatedDoubleProduct) {
    const ReferenceTables& ref = Reference();
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(Tables.RedFromV[i], ref.redFromV[i]) << i;
        EXPECT_EQ(Tables.BlueFromU[i], ref.blueFromU[i]) << i;
        EXPECT_EQ(Tables.GreenFromU[i], ref.greenFromU[i]) << i;
        EXPECT_EQ(Tables.GreenFromV[i], ref.greenFromV[i]) << i;
        EXPECT_EQ(Tables.LumaFromY[i], ref.lumaFromY[i]) << i;
    }
}

TEST(ConversionTables, RangesAndNeutralEntry) {
    const struct {
        const int16_t* table;
        int first, last;
    } ranges[] = {{Tables.RedFromV, -179, 178},
                  {Tables.BlueFromU, -226, 225},
                  {Tables.GreenFromU, 44, -43},
                  {Tables.GreenFromV, 91, -90},
                  {Tables.LumaFromY, 0, 296}};
    for (const auto& r : ranges) {
        EXPECT_EQ(r.table[0], r.first);
        EXPECT_EQ(r.table[255], r.last);
        for (int i = 1; i < 256; ++i) {
            // Monotonic in the direction of the coefficient.
            if (r.last > r.first) {
                EXPECT_GE(r.table[i], r.table[i - 1]);
            } else {
                EXPECT_LE(r.table[i], r.table[i - 1]);
            }
        }
    }
    EXPECT_EQ(Tables.RedFromV[128], 0);
    EXPECT_EQ(Tables.BlueFromU[128], 0);
    EXPECT_EQ(Tables.GreenFromU[128], 0);
    EXPECT_EQ(Tables.GreenFromV[128], 0);
}

TEST(ConversionTables, ClampTable) {
    for (int s = -384; s < 640; ++s) {
        const int expected = s < 0 ? 0 : s > 255 ? 255 : s;
        EXPECT_EQ(Tables.ClampToByte[s + 384], expected) << s;
    }
}

TEST(ConversionTables, BuildingTwiceGivesTheSameTables) {
    const ConversionTables before = Tables;
    BuildConversionTables();
    EXPECT_EQ(memcmp(&before, &Tables, sizeof Tables), 0);
}

// The vector kernels compute the entries with multipliers derived from the
// built tables; an entry that no multiplier reproduces, in any table, must
// leave them unproven.
TEST(VectorTerms, ProvenForTheTablesAndRefusedForAnyOtherEntry) {
    EXPECT_EQ(VectorTerms.proven, 1u);
    int16_t* const tables[] = {Tables.LumaFromY, Tables.RedFromV, Tables.BlueFromU, Tables.GreenFromU,
                               Tables.GreenFromV};
    for (int t = 0; t < 5; ++t) {
        for (int i : {0, 1, 73, 127, 129, 200, 255}) {
            for (int change : {-1, 1}) {
                tables[t][i] = static_cast<int16_t>(tables[t][i] + change);
                EXPECT_EQ(DeriveVectorTerms(), 0u) << "table " << t << " entry " << i;
                tables[t][i] = static_cast<int16_t>(tables[t][i] - change);
            }
        }
    }
    EXPECT_EQ(DeriveVectorTerms(), 1u);
}

TEST(ExactTruncatedProduct, KnownValues) {
    // The reference itself, on the products that extended precision gets wrong.
    EXPECT_EQ(ExactTruncatedProduct(219, 1.1643835616438356), 255);
    EXPECT_EQ(ExactTruncatedProduct(73, 1.1643835616438356), 85);
    EXPECT_EQ(ExactTruncatedProduct(-1, 1.402), -1);
    EXPECT_EQ(ExactTruncatedProduct(0, -0.71414), 0);
    EXPECT_EQ(ExactTruncatedProduct(100, 0.5), 50);
    EXPECT_EQ(ExactTruncatedProduct(-3, 0.5), -1);
}

// Against the compiler's own reading of CPUID (which also asks the operating
// system for the YMM state).
TEST(DetectVectorLevel, AgreesWithTheCompilersFeatureCheck) {
#if defined(__i386__) || defined(__x86_64__)
    const uint32_t level = DetectVectorLevel();
    EXPECT_EQ(level >= VECTOR_SSE2, __builtin_cpu_supports("sse2") != 0);
    EXPECT_EQ(level >= VECTOR_SSSE3, __builtin_cpu_supports("ssse3") != 0);
    EXPECT_EQ(level >= VECTOR_AVX2, __builtin_cpu_supports("avx2") != 0);
#else
    EXPECT_EQ(DetectVectorLevel(), VECTOR_NONE);
#endif
}

TEST(DetectMmx, ReportsTheFeatureOfThisProcessor) {
#if defined(__i386__) || defined(__x86_64__)
    // Every processor that runs these tests has MMX.
    EXPECT_EQ(DetectMmx(), 1u);
#else
    EXPECT_EQ(DetectMmx(), 0u);
#endif
}

} // namespace
