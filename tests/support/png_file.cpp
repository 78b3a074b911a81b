// Writing test pictures as PNG files (see png_file.h).
#include "support/png_file.h"

#include <objidl.h>
#include <gdiplus.h>

#include <vector>

bool WritePng(const std::wstring& path, int width, int height, const uint32_t* pixels,
              bool withAlpha) {
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
        return false;
    }
    // GDI+ may write into the buffer it is given: hand it a copy.
    std::vector<uint32_t> copy(pixels, pixels + static_cast<size_t>(width) * height);
    Gdiplus::GpBitmap* bitmap = nullptr;
    Gdiplus::DllExports::GdipCreateBitmapFromScan0(
        width, height, width * 4, withAlpha ? PixelFormat32bppARGB : PixelFormat32bppRGB,
        reinterpret_cast<BYTE*>(copy.data()), &bitmap);
    // The PNG encoder's class id.
    const CLSID png = {
        0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    const bool saved = bitmap != nullptr && Gdiplus::DllExports::GdipSaveImageToFile(
                                                bitmap, path.c_str(), &png, nullptr) == Gdiplus::Ok;
    if (bitmap != nullptr) {
        Gdiplus::DllExports::GdipDisposeImage(bitmap);
    }
    Gdiplus::GdiplusShutdown(token);
    return saved;
}
