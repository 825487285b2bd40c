// Unpacking and conversion of MMP pixel groups: each group holds four luma
// samples of one row and one signed U and V sample they share.
#ifndef VORLEX_MMP_H
#define VORLEX_MMP_H

#include <stdint.h>

#include "mmp_header.h"

// Unpacks height rows of groups into a luma plane of 4 x groups samples per row
// and chroma planes of one sample per group.
void UnpackMmpPixels(uint32_t width, uint32_t height, const uint8_t* groups, uint8_t* yPlane, int8_t* uPlane,
                     int8_t* vPlane);

// Turns unpacked planes into bottom-up 24-bit rows of 3 x width bytes at
// `pixels` (the BMP image 54 bytes past its start).
void ConvertMmpPlanes(uint32_t width, uint32_t height, const uint8_t* yPlane, const int8_t* uPlane,
                      const int8_t* vPlane, uint8_t* pixels);

#endif
