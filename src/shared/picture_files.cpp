// Picture files (see picture_files.h).
#include "shared/picture_files.h"

#include <objidl.h>
#include <gdiplus.h>

HBITMAP LoadPictureFile(const wchar_t* path) {
    // GDI+ leaves the last error as it was, so the reason is set here: whatever reported it
    // would otherwise show the text of some earlier, unrelated failure.
    if (path[0] == 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    Gdiplus::GpBitmap* picture = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromFile(path, &picture) != Gdiplus::Ok) {
        // Missing or unreachable: the file system's own reason; there but unreadable: bad data.
        if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES) {
            SetLastError(ERROR_INVALID_DATA);
        }
        return nullptr;
    }
    HBITMAP bitmap = nullptr;
    Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap(picture, &bitmap, 0); // background 0
    Gdiplus::DllExports::GdipDisposeImage(picture);
    if (bitmap == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    return bitmap;
}
