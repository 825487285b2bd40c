// Where the U and V samples of a planar YUV frame lie, by sequence type code:
//   TYPE_YUV444  one chroma sample per pixel
//   TYPE_YUV422  one per 2 pixels of a row
//   TYPE_YUV411  one per 4 pixels of a row, a chroma row for every picture row
//   TYPE_YUV420  one per 2 x 2 block
// Gray, RGB and BGR frames (and any other code) have no chroma planes. Planes
// are packed row by row, top row first; divisions truncate.
#ifndef VORLEX_CHROMA_GEOMETRY_H
#define VORLEX_CHROMA_GEOMETRY_H

#include <stdint.h>

#include "display.h"

// 1 for the codes that have U and V planes.
inline int HasChromaPlanes(uint32_t code) { return code >= TYPE_YUV444 && code <= TYPE_YUV420; }

// Pixels of a row that share one chroma sample; 0 without chroma planes.
inline uint32_t ChromaSampleWidth(uint32_t code) {
    switch (code) {
    case TYPE_YUV444: return 1;
    case TYPE_YUV411: return 4;
    case TYPE_YUV422:
    case TYPE_YUV420: return 2;
    default: return 0;
    }
}

// Picture rows that share one chroma row; 0 without chroma planes.
inline uint32_t ChromaSampleHeight(uint32_t code) {
    return code == TYPE_YUV420 ? 2 : HasChromaPlanes(code) ? 1 : 0;
}

// Samples in a chroma row of a picture `width` pixels wide. Also the column,
// within its chroma row, of the sample that pixel column `width` uses.
inline uint32_t ChromaPlaneWidth(uint32_t code, uint32_t width) {
    const uint32_t span = ChromaSampleWidth(code);
    return span ? width / span : 0;
}

// Chroma rows of a picture `height` rows high. Also the chroma row that
// picture row `height` uses.
inline uint32_t ChromaPlaneHeight(uint32_t code, uint32_t height) {
    const uint32_t span = ChromaSampleHeight(code);
    return span ? height / span : 0;
}

// Bytes (samples) in each chroma plane of a width x height picture.
inline uint64_t ChromaPlaneBytes(uint32_t code, uint32_t width, uint32_t height) {
    return uint64_t{ChromaPlaneWidth(code, width)} * ChromaPlaneHeight(code, height);
}

#endif
