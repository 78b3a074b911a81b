// Copy and save (see copy_save.h).
#include "output/copy_save.h"

#include <objidl.h>
#include <commdlg.h>
#include <gdiplus.h>

#include <array>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "output/file_names.h"
#include "settings/registry_store.h"
#include "zoom/app_state.h"
#include "zoom/monitor_view.h"

namespace gdip = Gdiplus::DllExports;

namespace {

// What Ctrl+C copies: during a zoom the monitor being presented, as the presenter sees it
// (the magnified view with its drawings), wherever that monitor lies; otherwise the primary
// display. Copying the primary display while the slides are zoomed on a projector would hand on
// a picture the audience never saw.
RECT CopiedArea(HDC display) {
    if (app.zoomActive) {
        return app.monitorRect;
    }
    return {0, 0, GetDeviceCaps(display, HORZRES), GetDeviceCaps(display, VERTRES)};
}

// Another program may hold the clipboard for a moment (a clipboard manager reading what it has
// just been given): a few tries over about half a second before giving up.
bool OpenClipboardSoon(HWND owner) {
    constexpr int kAttempts = 10;
    constexpr DWORD kPauseMs = 50;
    for (int attempt = 1; attempt < kAttempts; ++attempt) {
        if (OpenClipboard(owner)) {
            return true;
        }
        Sleep(kPauseMs);
    }
    return OpenClipboard(owner) != FALSE;
}

// Tells the presenter that the picture did not go where it was sent, with the system's reason.
// The box takes the focus from the zoom as the save dialog does, and as with the save dialog
// the zoom stays up behind it.
void ReportOutputFailure(HWND owner, const wchar_t* text, DWORD error) {
    const int dialogWasOpen = std::exchange(app.saveDialogOpen, 1);
    ShowErrorMessage(text, owner, error);
    app.saveDialogOpen = dialogWasOpen;
}

} // namespace

LRESULT CopyScreenToClipboard(HWND mainWindow) {
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    const RECT area = CopiedArea(display);
    HBITMAP bitmap =
        CreateCompatibleBitmap(display, area.right - area.left, area.bottom - area.top);
    HDC memory = CreateCompatibleDC(display);
    bool handedOver = false;
    DWORD error = ERROR_NOT_ENOUGH_MEMORY; // no surface for the copy
    if (bitmap != nullptr && memory != nullptr) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        CaptureScreenArea(memory, area);
        SelectObject(memory, previous);
        if (OpenClipboardSoon(mainWindow)) {
            EmptyClipboard();
            handedOver = SetClipboardData(CF_BITMAP, bitmap) != nullptr; // it owns it now
            error = GetLastError();
            CloseClipboard();
        } else {
            error = GetLastError();
        }
    }
    DeleteAndClear(memory);
    DeleteAndClear(display);
    if (!handedOver) {
        DeleteAndClear(bitmap);
        ReportOutputFailure(mainWindow, L"Error copying the screen to the clipboard", error);
    }
    return 0;
}

int FindPngEncoder(CLSID& encoder) {
    UINT count = 0;
    UINT bytes = 0;
    gdip::GdipGetImageEncodersSize(&count, &bytes);
    if (bytes == 0) {
        return -1;
    }
    std::vector<unsigned char> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (gdip::GdipGetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) {
        return -1;
    }
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType != nullptr && wcscmp(codecs[i].MimeType, L"image/png") == 0) {
            encoder = codecs[i].Clsid;
            return static_cast<int>(i);
        }
    }
    return -1;
}

DWORD SaveBitmapAsPng(const wchar_t* path, HBITMAP bitmap) {
    // GDI+ leaves the system's reason as the last error when a file is at fault; where it
    // leaves none, the file could not be made.
    const auto reason = [] {
        const DWORD error = GetLastError();
        return error != ERROR_SUCCESS ? error : DWORD(ERROR_CANNOT_MAKE);
    };
    Gdiplus::GpBitmap* image = nullptr;
    SetLastError(ERROR_SUCCESS);
    if (gdip::GdipCreateBitmapFromHBITMAP(bitmap, nullptr, &image) != Gdiplus::Ok) {
        return reason();
    }
    CLSID encoder = {};
    DWORD result = 0;
    if (FindPngEncoder(encoder) < 0 ||
        gdip::GdipSaveImageToFile(image, path, &encoder, nullptr) != Gdiplus::Ok) {
        result = reason();
    }
    gdip::GdipDisposeImage(image);
    return result;
}

namespace {

// The view as it is on screen, stretched to `width` x `height`.
HBITMAP RenderView(int width, int height) {
    const float zoom = app.currentZoom;
    const CapturePoint origin = ViewOrigin(zoom);
    HBITMAP bitmap = CreateCompatibleBitmap(app.imageDC, width, height);
    HDC memory = CreateCompatibleDC(app.imageDC);
    if (bitmap != nullptr && memory != nullptr) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        SetStretchBltMode(memory, COLORONCOLOR);
        StretchBlt(memory, 0, 0, width, height, app.imageDC, origin.x, origin.y,
                   VisibleExtent(app.captureWidth, zoom), VisibleExtent(app.captureHeight, zoom),
                   SRCCOPY);
        SelectObject(memory, previous);
    }
    DeleteAndClear(memory);
    return bitmap;
}

// Appends ".png" to a name typed without one. The dialog asked before replacing the name it
// returned; the name with ".png" added is a different file, so ask for that one here.
bool CompletePath(HWND owner, std::array<wchar_t, MAX_PATH + 8>& path) {
    if (!NeedsPngExtension(path.data())) {
        return true;
    }
    wcscat(path.data(), L".png");
    if (GetFileAttributesW(path.data()) == INVALID_FILE_ATTRIBUTES) {
        return true;
    }
    std::wstring question =
        std::wstring(path.data()) + L" already exists.\nDo you want to replace it?";
    return MessageBoxW(owner, question.c_str(), L"Save zoomed screen...",
                       MB_YESNO | MB_ICONWARNING) == IDYES;
}

} // namespace

LRESULT SaveZoomedImage(HWND mainWindow) {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    std::array<wchar_t, MAX_PATH + 8> path = {};
    DefaultSaveName({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond},
                    std::span<wchar_t, MAX_PATH>(path.data(), MAX_PATH));

    POINT cursor = {};
    GetCursorPos(&cursor);
    ClipCursor(nullptr);
    app.saveDialogOpen = 1;

    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = mainWindow;
    dialog.hInstance = app.instance;
    dialog.lpstrTitle = L"Save zoomed screen...";
    dialog.lpstrFilter = L"Zoomed PNG\0*.png\0Actual size PNG\0*.png\0";
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = MAX_PATH;
    // Replacing an existing file is asked first: a presenter saving a series of screens must
    // not lose an earlier one to a name typed twice.
    dialog.Flags = OFN_READONLY | OFN_LONGNAMES | OFN_OVERWRITEPROMPT;
    if (GetSaveFileNameW(&dialog) && CompletePath(mainWindow, path)) {
        const bool actualSize = dialog.nFilterIndex == 2;
        const int width =
            actualSize ? VisibleExtent(app.captureWidth, app.currentZoom) : app.captureWidth;
        const int height =
            actualSize ? VisibleExtent(app.captureHeight, app.currentZoom) : app.captureHeight;
        HBITMAP view = RenderView(width, height);
        const DWORD error =
            view != nullptr ? SaveBitmapAsPng(path.data(), view) : ERROR_NOT_ENOUGH_MEMORY;
        DeleteAndClear(view);
        if (error != ERROR_SUCCESS) {
            ReportOutputFailure(mainWindow, L"Error saving the picture", error);
        }
    }
    app.saveDialogOpen = 0;
    SetCursorPos(cursor.x, cursor.y);
    return 0;
}
