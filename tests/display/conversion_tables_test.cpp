#include <float.h>
#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>

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

// Each standard matrix's entries are the truncated double products of its
// factors, and those are the expressions in Kr and Kb evaluated in double
// precision. (Where doubles are computed in extended precision, x87, the
// expressions round differently, which is why both sides write the values
// out; the second check is skipped there.)
TEST(StandardTables, EveryEntryIsTheTruncatedProductOfTheCoefficients) {
    for (uint32_t matrix = 1; matrix <= STANDARD_MATRIX_COUNT; ++matrix) {
        const MatrixFactors& f = StandardMatrixFactors(matrix);
        const ConversionTables& t = StandardTables[matrix - 1];
        for (int i = 0; i < 256; ++i) {
            const int c = i - 128;
            EXPECT_EQ(t.RedFromV[i], ExactTruncatedProduct(c, f.red)) << matrix << " " << i;
            EXPECT_EQ(t.BlueFromU[i], ExactTruncatedProduct(c, f.blue)) << matrix << " " << i;
            EXPECT_EQ(t.GreenFromU[i], ExactTruncatedProduct(c, f.greenU)) << matrix << " " << i;
            EXPECT_EQ(t.GreenFromV[i], ExactTruncatedProduct(c, f.greenV)) << matrix << " " << i;
            EXPECT_EQ(t.LumaFromY[i], f.limited ? ExactTruncatedProduct(i - 16, 255.0 / 219) : i)
                << matrix << " " << i;
        }
    }
#if !defined(FLT_EVAL_METHOD) || FLT_EVAL_METHOD != 0
    GTEST_SKIP() << "double expressions are not evaluated in double precision here";
#else
    const struct { double kr, kb; } standards[] = {{0.299, 0.114}, {0.2126, 0.0722}, {0.2627, 0.0593}};
    for (uint32_t matrix = 1; matrix <= STANDARD_MATRIX_COUNT; ++matrix) {
        const double kr = standards[(matrix - 1) / 2].kr, kb = standards[(matrix - 1) / 2].kb, kg = 1 - kr - kb;
        const MatrixFactors& f = StandardMatrixFactors(matrix);
        EXPECT_EQ(f.limited, matrix % 2 == 1);
        auto scaled = [&f](double c) { return f.limited ? c * 255 / 224 : c; };
        EXPECT_EQ(f.red, scaled(2 * (1 - kr))) << matrix;
        EXPECT_EQ(f.blue, scaled(2 * (1 - kb))) << matrix;
        EXPECT_EQ(f.greenU, scaled(-2 * kb * (1 - kb) / kg)) << matrix;
        EXPECT_EQ(f.greenV, scaled(-2 * kr * (1 - kr) / kg)) << matrix;
    }
#endif
}

// Every sum of entries lies within the clamp table (and so within 16-bit
// words), and the clamp tables are those of the library.
TEST(StandardTables, SumsStayWithinTheClampTable) {
    for (int m = 0; m < STANDARD_MATRIX_COUNT; ++m) {
        const ConversionTables& t = StandardTables[m];
        int least = 0, most = 0;
        for (int y = 0; y < 256; ++y) {
            for (int c = 0; c < 256; ++c) {
                for (int s : {t.LumaFromY[y] + t.BlueFromU[c], t.LumaFromY[y] + t.RedFromV[c]}) {
                    least = std::min(least, s);
                    most = std::max(most, s);
                }
                for (int c2 = 0; c2 < 256; c2 += 255) { // green is extreme at the ends
                    const int s = t.LumaFromY[y] + t.GreenFromU[c] + t.GreenFromV[c2];
                    least = std::min(least, s);
                    most = std::max(most, s);
                }
            }
        }
        EXPECT_GE(least, -CLAMP_ZERO_INDEX) << m;
        EXPECT_LT(most, 1024 - CLAMP_ZERO_INDEX) << m;
        EXPECT_EQ(memcmp(t.ClampToByte, Tables.ClampToByte, sizeof t.ClampToByte), 0) << m;
    }
}

// The offset form of the terms: every standard set is proven, and a changed
// entry (below the black level too) leaves its set unproven. (Entries at the
// ends are left out: a change there may be what another multiplier gives.)
TEST(StandardTables, TermsProvenAndRefusedForAnyOtherEntry) {
    for (int m = 0; m < STANDARD_MATRIX_COUNT; ++m) {
        EXPECT_EQ(StandardTerms[m].proven, 1u) << m;
        ConversionTables t = StandardTables[m];
        FixedPointTerms k;
        int16_t* const tables[] = {t.LumaFromY, t.RedFromV, t.BlueFromU, t.GreenFromU, t.GreenFromV};
        for (int table = 0; table < 5; ++table) {
            for (int i : {5, 15, 16, 17, 100, 127, 129, 235}) {
                for (int change : {-1, 1}) {
                    tables[table][i] = static_cast<int16_t>(tables[table][i] + change);
                    EXPECT_EQ(DeriveTerms(t, &k), 0u) << m << " table " << table << " entry " << i;
                    tables[table][i] = static_cast<int16_t>(tables[table][i] - change);
                }
            }
        }
        EXPECT_EQ(DeriveTerms(t, &k), 1u);
    }
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
