#include "file_io.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <sys/stat.h>
#include <sys/types.h>
#endif

int SeekFromStart(FILE* f, uint64_t position) {
    if (position > uint64_t{INT64_MAX}) {
        return 0;
    }
    clearerr(f);
#if defined(_WIN32)
    return _fseeki64(f, static_cast<__int64>(position), SEEK_SET) == 0;
#else
    static_assert(sizeof(off_t) >= 8, "64-bit file offsets");
    return fseeko(f, static_cast<off_t>(position), SEEK_SET) == 0;
#endif
}

int OpenFileSize(FILE* f, uint64_t* size) {
#if defined(_WIN32)
    const __int64 n = _filelengthi64(_fileno(f));
    if (n < 0) {
        return 0;
    }
    *size = static_cast<uint64_t>(n);
#else
    struct stat st;
    if (fstat(fileno(f), &st) != 0 || st.st_size < 0) {
        return 0;
    }
    *size = static_cast<uint64_t>(st.st_size);
#endif
    return 1;
}

int WriteWholeFile(const char* path, const void* data, size_t n) {
    FILE* file = path ? fopen(path, "wb") : nullptr;
    if (!file) {
        return WRITE_CANNOT_CREATE;
    }
    const bool written = fwrite(data, 1, n, file) == n;
    if (fclose(file) != 0 || !written) {
        remove(path);
        return WRITE_FAILED;
    }
    return WRITE_DONE;
}
