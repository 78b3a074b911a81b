// A stand-in for the system's magnification library, for the live-zoom tests under Wine, which
// has none. It registers a "Magnifier" window class that draws nothing and records what the
// program asks of it (see standin_record.h). Never shipped with the program.
#include <windows.h>

#include <algorithm>

#include "standin_record.h"

namespace {

HINSTANCE module = nullptr;
HANDLE mapping = nullptr;
StandInRecord* record = nullptr;

StandInRecord* Record() {
    if (record == nullptr) {
        mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                     sizeof(StandInRecord), kStandInMappingName);
        if (mapping != nullptr) {
            record = static_cast<StandInRecord*>(
                MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(StandInRecord)));
        }
    }
    return record;
}

LRESULT CALLBACK MagnifierProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE && Record() != nullptr && record->failControl != 0) {
        return FALSE;
    }
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

extern "C" {

__declspec(dllexport) BOOL WINAPI MagInitialize() {
    if (StandInRecord* r = Record()) {
        InterlockedIncrement(&r->initializeCalls);
        if (r->failInitialize != 0) {
            return FALSE;
        }
    }
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_GLOBALCLASS; // created with the program's instance, as the real one
    windowClass.lpfnWndProc = MagnifierProc;
    windowClass.hInstance = module;
    windowClass.lpszClassName = L"Magnifier";
    RegisterClassExW(&windowClass);
    return TRUE;
}

__declspec(dllexport) BOOL WINAPI MagUninitialize() {
    UnregisterClassW(L"Magnifier", module);
    return TRUE;
}

__declspec(dllexport) BOOL WINAPI MagSetWindowTransform(HWND, const float* matrix) {
    StandInRecord* r = Record();
    if (r == nullptr || matrix == nullptr) {
        return FALSE;
    }
    std::copy(matrix, matrix + 9, r->transforms[unsigned(r->transformCount) % kStandInHistory].m);
    InterlockedIncrement(&r->transformCount);
    return TRUE;
}

__declspec(dllexport) BOOL WINAPI MagSetWindowSource(HWND, RECT source) {
    StandInRecord* r = Record();
    if (r != nullptr) {
        const LONG corners[4] = {source.left, source.top, source.right, source.bottom};
        std::copy(corners, corners + 4, r->source);
        InterlockedIncrement(&r->sourceCount);
    }
    return r != nullptr;
}

// Wine has no system cursor switch to forward to.
__declspec(dllexport) BOOL WINAPI MagShowSystemCursor(BOOL) {
    return TRUE;
}

} // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) {
        module = instance;
    }
    return TRUE;
}
