// display.dll: turns YUV, gray, RGB and packed-format images into BMP images
// held in memory, keeps one per window and paints it.
//
// This is the library's public header and the one place its exports are
// declared. It does not include <windows.h>, so the portable core can use it;
// window and device-context handles are declared the way <windows.h> declares
// them, so both headers can be included together.
//
// Every export is __stdcall with an undecorated name, as Windows system DLLs
// are, so any program can GetProcAddress it by its plain name.
#ifndef VORLEX_DISPLAY_H
#define VORLEX_DISPLAY_H

#include <stdint.h>

#if defined(_WIN32)
#define DISPLAY_CALL __stdcall
#else
#define DISPLAY_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Image and sequence layouts; the same codes in the player and the library.
// The library reads only the low 8 bits of a type.
enum ImageType {
    TYPE_BMP = 1,      // a bitmap file
    TYPE_MMP = 2,      // a packed-format (MMP) file
    TYPE_GRAY = 3,     // 8-bit luma only
    TYPE_YUV444 = 100, // one chroma sample per pixel
    TYPE_YUV422 = 101, // one per 2 pixels of a row
    TYPE_YUV411 = 102, // one per 4 pixels of a row, a chroma row per picture row
    TYPE_YUV420 = 103, // one per 2 x 2 block
    TYPE_RGB = 104,
    TYPE_BGR = 105
};

// Converts one planar YUV frame into a complete 24-bit BMP image at
// `destination` (54 + 3 x width x height bytes). U and V hold signed chroma:
// the stored value minus 128. Only the low 16 bits of width and height and the
// low 8 bits of type are used. Types other than 100 to 103 get the headers
// only. The width should be a multiple of 4: the conversion works in whole
// groups of four pixels and leaves the rest of a row unwritten.
void DISPLAY_CALL ConvertYUV2Bitmap(uint32_t type, uint32_t width, uint32_t height,
                                    const uint8_t* yPlane, const int8_t* uPlane,
                                    const int8_t* vPlane, uint8_t* destination);

// Writes an 8-bit gray BMP image (1078 + width x height bytes: headers, a
// 256-entry gray palette, the plane's rows bottom-up).
void DISPLAY_CALL ConvertRaw2Bitmap(uint32_t width, uint32_t height, const uint8_t* grayPlane,
                                    uint8_t* output);

// Writes a 24-bit BMP image whose pixel area is the 3 x width x height bytes
// of `pixels`, copied unchanged (so they must already be bottom-up,
// blue-green-red).
void DISPLAY_CALL ConvertRGB2Bitmap(uint32_t width, uint32_t height, const uint8_t* pixels,
                                    uint8_t* output);

// Writes a 24-bit BMP image (54 + 3 x width x height bytes) from the pixel
// groups of an MMP file, which start 16 bytes into the file. Uses the low 16
// bits of width and height.
void DISPLAY_CALL ConvertMMP2Bitmap(uint32_t width, uint32_t height, const uint8_t* groups,
                                    uint8_t* output);

// Unpacks the groups of a whole MMP file image (header included) into a luma
// plane of 4 x G x height bytes and chroma planes of G x height signed
// samples, G = (width + 3) / 4.
void DISPLAY_CALL SplitMMPdata(uint32_t width, uint32_t height, const uint8_t* fileImage,
                               uint8_t* yPlane, int8_t* uPlane, int8_t* vPlane);

// For TYPE_MMP, reads width and height from the 16-byte MMP header; for any
// other type stores nothing.
void DISPLAY_CALL AnalyseFileHeader(uint32_t type, uint16_t* width, uint16_t* height,
                                    const uint8_t* header);

#ifdef __cplusplus
}
#endif

#endif
