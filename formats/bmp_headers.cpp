#include "bmp_headers.h"

#include <string.h>

uint32_t ImageColourCount(uint32_t clrUsed, uint32_t bitCount) {
    if (clrUsed != 0) {
        return clrUsed;
    }
    return bitCount <= 8 ? 1u << bitCount : 0;
}

void BuildBmpHeaders(BmpFileHeader* fileHeader, BmpInfoHeader* infoHeader, uint32_t width, uint32_t height,
                     uint32_t bitCount) {
    const uint32_t w = width & 0xFFFF;
    const uint32_t h = height & 0xFFFF;
    const uint32_t bits = bitCount & 0xFF;

    // An unsigned 32-bit product, as the format's writers have always done.
    const uint32_t imageBytes = bits * h * w / 8;
    const uint32_t tableBytes = 4 * ImageColourCount(0, bits);

    fileHeader->bfType = BMP_TYPE_BM;
    fileHeader->bfSize = BMP_HEADERS_SIZE + tableBytes + imageBytes;
    fileHeader->bfReserved1 = 0;
    fileHeader->bfReserved2 = 0;
    fileHeader->bfOffBits = BMP_HEADERS_SIZE + tableBytes;

    infoHeader->biSize = BMP_INFO_HEADER_SIZE;
    infoHeader->biWidth = static_cast<int32_t>(w);
    infoHeader->biHeight = static_cast<int32_t>(h);
    infoHeader->biPlanes = 1;
    infoHeader->biBitCount = static_cast<uint16_t>(bits);
    infoHeader->biCompression = BMP_COMPRESSION_RGB;
    infoHeader->biSizeImage = 0;
    infoHeader->biXPelsPerMeter = BMP_PELS_PER_METER;
    infoHeader->biYPelsPerMeter = BMP_PELS_PER_METER;
    infoHeader->biClrUsed = 0;
    infoHeader->biClrImportant = 0;
}

void PutBmpHeaders(uint8_t* image, const BmpFileHeader* fileHeader, const BmpInfoHeader* infoHeader) {
    memcpy(image, fileHeader, BMP_FILE_HEADER_SIZE);
    memcpy(image + BMP_FILE_HEADER_SIZE, infoHeader, BMP_INFO_HEADER_SIZE);
}

void GetBmpHeaders(const uint8_t* image, BmpFileHeader* fileHeader, BmpInfoHeader* infoHeader) {
    memcpy(fileHeader, image, BMP_FILE_HEADER_SIZE);
    memcpy(infoHeader, image + BMP_FILE_HEADER_SIZE, BMP_INFO_HEADER_SIZE);
}

void WriteBmpHeaders(uint8_t* image, uint32_t width, uint32_t height, uint32_t bitCount) {
    BmpFileHeader fileHeader;
    BmpInfoHeader infoHeader;
    BuildBmpHeaders(&fileHeader, &infoHeader, width, height, bitCount);
    PutBmpHeaders(image, &fileHeader, &infoHeader);
}

void PutGrayColourTable(uint8_t* table) {
    for (uint32_t i = 0; i < 256; ++i, table += 4) {
        table[0] = table[1] = table[2] = static_cast<uint8_t>(i);
        table[3] = 0;
    }
}

int BmpPixelFormatDrawable(uint32_t bits, uint32_t compression) {
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        return 0;
    }
    return compression == BMP_COMPRESSION_RGB ||
           (compression == BMP_COMPRESSION_BITFIELDS && (bits == 16 || bits == 32));
}
