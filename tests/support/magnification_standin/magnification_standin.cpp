// A stand-in for the system's magnification library, for the live-zoom tests under Wine, which
// has none. It registers a "Magnifier" window class that draws nothing and records the last
// transform and source the program hands it (see standin_record.h). Never shipped.
#include <windows.h>

#include <algorithm>

#include "standin_record.h"

namespace {

HINSTANCE module = nullptr;
StandInRecord* record = nullptr;

StandInRecord* Record() {
    if (record == nullptr) {
        if (HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                sizeof(StandInRecord), kStandInMappingName)) {
            record =
                static_cast<StandInRecord*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
        }
    }
    return record;
}

LRESULT CALLBACK MagnifierProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        ValidateRect(window, nullptr);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

extern "C" {

__declspec(dllexport) BOOL WINAPI MagInitialize() {
    // Created with the program's instance, as the real one.
    WNDCLASSW type = {CS_GLOBALCLASS, MagnifierProc, 0, 0, module, 0, 0, 0, 0, L"Magnifier"};
    RegisterClassW(&type);
    return TRUE;
}

__declspec(dllexport) BOOL WINAPI MagUninitialize() {
    return UnregisterClassW(L"Magnifier", module), TRUE;
}

__declspec(dllexport) BOOL WINAPI MagSetWindowTransform(HWND, const float* matrix) {
    StandInRecord* r = Record();
    if (r == nullptr || matrix == nullptr) {
        return FALSE;
    }
    std::copy(matrix, matrix + 9, r->transform);
    InterlockedIncrement(&r->transformCount);
    return TRUE;
}

__declspec(dllexport) BOOL WINAPI MagSetWindowSource(HWND, RECT source) {
    StandInRecord* r = Record();
    if (r != nullptr) {
        std::copy(&source.left, &source.left + 4, r->source);
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
    module = reason == DLL_PROCESS_ATTACH ? instance : module;
    return TRUE;
}
