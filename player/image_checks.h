// Checks of an opened bitmap or MMP file against its size, before anything of
// it is handed to the display library (which is given no lengths and trusts
// its caller). A raw image is checked by ReadRawImage, which reports a short
// file.
#ifndef VORLEX_IMAGE_CHECKS_H
#define VORLEX_IMAGE_CHECKS_H

#include <stdint.h>

// A bitmap (kind 1) or MMP (kind 2) file of `size` bytes held whole at
// `data`: null when it can be shown, else the message for the user.
const char* CheckWholeImageFile(int kind, const uint8_t* data, uint32_t size);

#endif
