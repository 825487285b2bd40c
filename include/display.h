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

// Window and device-context handles exactly as <windows.h> declares them
// (STRICT): opaque pointer types, so the core can key its store by window
// without Win32. Repeating a typedef is allowed, so either header may come
// first.
struct HWND__; // NOLINT(bugprone-reserved-identifier): the name <windows.h> gives it
typedef struct HWND__* HWND;
struct HDC__; // NOLINT(bugprone-reserved-identifier)
typedef struct HDC__* HDC;

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
void DISPLAY_CALL ConvertYUV2Bitmap(uint32_t type, uint32_t width, uint32_t height, const uint8_t* yPlane,
                                    const int8_t* uPlane, const int8_t* vPlane, uint8_t* destination);

// Colour matrices of ConvertYUV2BitmapMatrix. Limited range reads luma
// 16-235 and chroma 16-240 (stored values), full range the whole 0-255.
enum ColourMatrix {
    MATRIX_LIBRARY = 0, // ConvertYUV2Bitmap's own conversion, byte for byte
    MATRIX_BT601_LIMITED = 1,
    MATRIX_BT601_FULL = 2,
    MATRIX_BT709_LIMITED = 3,
    MATRIX_BT709_FULL = 4,
    MATRIX_BT2020_LIMITED = 5, // non-constant luminance
    MATRIX_BT2020_FULL = 6
};

// As ConvertYUV2Bitmap (same arguments, sizes, headers and rules for width,
// odd heights and other types), converting with the colour matrix `matrix`.
// Each colour is the sum of truncated double-precision products, limited
// to 0..255: luma (Y - 16) x 255/219 in limited range, Y in full range, plus
// the chroma samples times the matrix's coefficients (scaled by 255/224 in
// limited range). Returns 1 when it wrote the image (or the headers only),
// 0, writing nothing, for a matrix above MATRIX_BT2020_FULL.
int32_t DISPLAY_CALL ConvertYUV2BitmapMatrix(uint32_t type, uint32_t width, uint32_t height,
                                             const uint8_t* yPlane, const int8_t* uPlane,
                                             const int8_t* vPlane, uint32_t matrix, uint8_t* destination);

// Writes an 8-bit gray BMP image (1078 + width x height bytes: headers, a
// 256-entry gray palette, the plane's rows bottom-up).
void DISPLAY_CALL ConvertRaw2Bitmap(uint32_t width, uint32_t height, const uint8_t* grayPlane, uint8_t* output);

// Writes a 24-bit BMP image whose pixel area is the 3 x width x height bytes
// of `pixels`, copied unchanged (so they must already be bottom-up,
// blue-green-red).
void DISPLAY_CALL ConvertRGB2Bitmap(uint32_t width, uint32_t height, const uint8_t* pixels, uint8_t* output);

// Writes a 24-bit BMP image (54 + 3 x width x height bytes) from the pixel
// groups of an MMP file, which start 16 bytes into the file. Uses the low 16
// bits of width and height.
void DISPLAY_CALL ConvertMMP2Bitmap(uint32_t width, uint32_t height, const uint8_t* groups, uint8_t* output);

// Unpacks the groups of a whole MMP file image (header included) into a luma
// plane of 4 x G x height bytes and chroma planes of G x height signed
// samples, G = (width + 3) / 4.
void DISPLAY_CALL SplitMMPdata(uint32_t width, uint32_t height, const uint8_t* fileImage, uint8_t* yPlane,
                               int8_t* uPlane, int8_t* vPlane);

// For TYPE_MMP, reads width and height from the 16-byte MMP header; for any
// other type stores nothing.
void DISPLAY_CALL AnalyseFileHeader(uint32_t type, uint16_t* width, uint16_t* height, const uint8_t* header);

// The library keeps one BMP image per window (at most 16 windows) and owns
// its memory; callers never release what it hands out. Nothing is locked:
// every call is expected from one thread (the player's GUI thread) and calls
// must not overlap.

// The image last shown in `window` (read it; the library keeps owning it), or
// null when the window has none. Valid until a larger image for the same
// window replaces the buffer, or until the library is unloaded.
uint8_t* DISPLAY_CALL GetBitmap(HWND window);

// Size in bytes of the window's buffer (not of the image in it: buffers only
// grow), or 0 when the window has none.
uint32_t DISPLAY_CALL GetBitmapSize(HWND window);

// For the window's paint message: begins and ends the paint and draws the
// window's stored image at (0, 0) once any image has been shown. Returns the
// result of EndPaint (non-zero).
int32_t DISPLAY_CALL WinPaint(HWND window);

// Draws the window's stored image into a device context the caller obtained
// and releases itself.
void DISPLAY_CALL WinPaintEx(HWND window, HDC dc);

// Converts a planar YUV image (U and V in signed form) into the window's
// stored image and draws it at once at (0, 0) of the client area. Returns 0
// when no buffer was available (16 other windows hold images, no memory, or
// 3 x width x height + 54 does not fit in 32 bits); otherwise the result of
// ReleaseDC (1). Low 16 bits of the sizes, low 8 bits of the type are used.
int32_t DISPLAY_CALL DisplayYUVimage(HWND window, uint32_t type, uint32_t width, uint32_t height,
                                     const uint8_t* yPlane, const int8_t* uPlane, const int8_t* vPlane);

// As DisplayYUVimage, at twice the width and height: every plane is enlarged
// with 9/3/3/1 interpolation first. Returns 0 and changes nothing in the
// window for a zero size, an image over 2,073,600 pixels, or a plane to be
// enlarged that is narrower or lower than 2 samples. TYPE_YUV411 chroma
// planes are (width/4) x height, enlarged to (width/2) x (2 height).
int32_t DISPLAY_CALL DisplayYUVimage2(HWND window, uint32_t type, uint32_t width, uint32_t height,
                                      const uint8_t* yPlane, const int8_t* uPlane, const int8_t* vPlane);

// Shows a picture in the window at its next paint: the image is put into the
// window's buffer, ImageShown is set and the whole client area invalidated.
// By the low 8 bits of type: TYPE_BMP, a whole bitmap file (as DisplayBMP);
// TYPE_MMP, a whole MMP file (its size from its header); TYPE_GRAY, a
// width x height gray plane; TYPE_RGB and TYPE_BGR, width x height pixels of
// three bytes, red-green-blue or blue-green-red, top row first. Width and
// height are not used for bitmap and MMP files. Gray and MMP images are kept
// with rows padded to 4 bytes (the converters' own layout when the width is a
// multiple of 4), so every width is drawn. Returns 0 when nothing is
// shown (another type, no buffer, a size over 65535 or a length beyond 32
// bits), else the result of InvalidateRect.
int32_t DISPLAY_CALL DisplayImage(HWND window, uint32_t type, uint32_t width, uint32_t height,
                                  const uint8_t* data);

// Shows a whole bitmap file at the window's next paint. A classic file
// (40-byte info header, uncompressed, bottom-up rows right after its colour
// table) is kept as it is; files with 12-byte core headers, 108- or 124-byte
// headers, top-down rows, bit fields (16 and 32 bits), a gap before the rows
// or run-length coded rows (RLE8 at 8 bits, RLE4 at 4, decoded) are kept as
// an equivalent classic image. Returns 0, changing nothing, for data that is
// not a bitmap or cannot be shown (other compressions, top-down run-length
// rows, the 64-byte header and other header sizes, bit counts other than 1,
// 4, 8, 16, 24, 32, more colours than the bits allow, a run-length stream
// that writes outside the picture or has no end within its length, lengths
// beyond 32 bits, decoded pictures over 64 MiB) and when no buffer is
// available; else the result of InvalidateRect.
int32_t DISPLAY_CALL DisplayBMP(HWND window, const uint8_t* data);

// Shows width x height 24-bit pixels already in bitmap order (bottom row
// first, blue-green-red, rows padded to 4 bytes) at the window's next paint.
// Returns 1, or 0 when no buffer is available or the size is over 65535.
int32_t DISPLAY_CALL DisplayBMP24(HWND window, uint32_t width, uint32_t height, const uint8_t* pixels);

#ifdef __cplusplus
}
#endif

#endif
