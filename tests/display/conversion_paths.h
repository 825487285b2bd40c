// The paths of the YUV conversion and the enlargement, so that tests run each
// one that this processor supports, whatever the library would pick.
#ifndef VORLEX_CONVERSION_PATHS_H
#define VORLEX_CONVERSION_PATHS_H

#include <gtest/gtest.h>

#include "kernel_choice.h"

enum ConversionPath { PATH_SCALAR, PATH_MMX, PATH_SSE2, PATH_SSSE3, PATH_AVX2 };

const ConversionPath kAllPaths[] = {PATH_SCALAR, PATH_MMX, PATH_SSE2, PATH_SSSE3, PATH_AVX2};

inline const char* PathName(ConversionPath path) {
    static const char* const names[] = {"Scalar", "Mmx", "Sse2", "Ssse3", "Avx2"};
    return names[path];
}

inline bool PathRunsHere(ConversionPath path) {
    switch (path) {
    case PATH_SCALAR: return true;
    case PATH_MMX: return DetectMmx() != 0;
    case PATH_SSE2: return DetectVectorLevel() >= VECTOR_SSE2;
    case PATH_SSSE3: return DetectVectorLevel() >= VECTOR_SSSE3;
    default: return DetectVectorLevel() >= VECTOR_AVX2;
    }
}

// Sets MmxAvailable and VectorLevel for one path for the life of the object.
class PathSelection {
public:
    explicit PathSelection(ConversionPath path) : mmx_(MmxAvailable), level_(VectorLevel) {
        MmxAvailable = path == PATH_MMX ? 1 : 0;
        VectorLevel = path == PATH_SSE2    ? VECTOR_SSE2
                      : path == PATH_SSSE3 ? VECTOR_SSSE3
                      : path == PATH_AVX2  ? VECTOR_AVX2
                                           : VECTOR_NONE;
    }
    ~PathSelection() {
        MmxAvailable = mmx_;
        VectorLevel = level_;
    }

private:
    uint32_t mmx_, level_;
};

// Tests parameterised by path; a path this processor lacks is skipped.
class EveryPath : public ::testing::TestWithParam<ConversionPath> {
protected:
    void SetUp() override {
        if (!PathRunsHere(GetParam())) {
            GTEST_SKIP() << PathName(GetParam()) << " is not available on this processor";
        }
    }
};

#define INSTANTIATE_FOR_EVERY_PATH(suite)                                                                    \
    INSTANTIATE_TEST_SUITE_P(Path, suite, ::testing::ValuesIn(kAllPaths),                                    \
                             [](const ::testing::TestParamInfo<ConversionPath>& p) {                         \
                                 return std::string(PathName(p.param));                                      \
                             })

#endif
