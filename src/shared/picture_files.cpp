// Picture files (see picture_files.h).
#include "shared/picture_files.h"

#include <objidl.h>
#include <gdiplus.h>

HBITMAP LoadPictureFile(const wchar_t* path) {
    Gdiplus::GpBitmap* picture = nullptr;
    if (path[0] == 0 ||
        Gdiplus::DllExports::GdipCreateBitmapFromFile(path, &picture) != Gdiplus::Ok) {
        return nullptr;
    }
    HBITMAP bitmap = nullptr;
    Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap(picture, &bitmap, 0);  // background 0
    Gdiplus::DllExports::GdipDisposeImage(picture);
    return bitmap;
}
