#include "file_names.h"

#include <string.h>

int ClassifyImageFile(const char* path) {
    if (!path) {
        return IMAGE_FILE_RAW;
    }
    const char* name = path;
    for (const char* p = path; *p; ++p) {
        if (*p == '\\' || *p == '/' || *p == ':') {
            name = p + 1;
        }
    }
    const char* dot = strrchr(name, '.');
    if (!dot || strlen(dot) != 4) {
        return IMAGE_FILE_RAW;
    }
    // ASCII upper case: the process locale must not change the answer.
    char ext[5];
    for (int i = 0; i < 5; ++i) {
        const char c = dot[i];
        ext[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    if (strcmp(ext, ".BMP") == 0 || strcmp(ext, ".DIB") == 0) {
        return IMAGE_FILE_BMP;
    }
    if (strcmp(ext, ".MMP") == 0) {
        return IMAGE_FILE_MMP;
    }
    return IMAGE_FILE_RAW;
}
