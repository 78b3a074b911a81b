// Run-time binding of the optional system functions (see optional_functions.h).
#include "shell/optional_functions.h"

#include <cwchar>
#include <initializer_list>

OptionalFunctions optionalFunctions;

namespace {

HMODULE LoadFrom(const wchar_t* directory, const wchar_t* name) {
    wchar_t path[MAX_PATH];
    int length = swprintf(path, MAX_PATH, L"%ls\\%ls", directory, name);
    if (length <= 0 || length >= MAX_PATH) {
        return nullptr;
    }
    return LoadLibraryW(path);
}

template <typename Function> void Bind(HMODULE library, const char* name, Function& entry) {
    entry = library != nullptr
                ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)))
                : nullptr;
}

} // namespace

void BindOptionalFunctions() {
    wchar_t systemDirectory[MAX_PATH] = {};
    UINT length = GetSystemDirectoryW(systemDirectory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return; // without a known system directory nothing optional is loaded
    }
    BindOptionalFunctionsFrom(systemDirectory);
}

void BindOptionalFunctionsFrom(const wchar_t* directory) {
    OptionalFunctions& f = optionalFunctions;
    f.user32 = LoadFrom(directory, L"User32.dll");
    Bind(f.user32, "SetProcessDpiAwarenessContext", f.SetProcessDpiAwarenessContext);
    Bind(f.user32, "SetProcessDPIAware", f.SetProcessDPIAware);
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2. It fails when the manifest has already set
    // it; the system-wide awareness is then a harmless second try.
    const auto perMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
    const bool perMonitor =
        f.SetProcessDpiAwarenessContext != nullptr && f.SetProcessDpiAwarenessContext(perMonitorV2);
    if (!perMonitor && f.SetProcessDPIAware != nullptr) {
        f.SetProcessDPIAware();
    }
    Bind(f.user32, "MonitorFromPoint", f.MonitorFromPoint);
    Bind(f.user32, "ShowSystemCursor", f.ShowSystemCursor);
    Bind(f.user32, "SetLayeredWindowAttributes", f.SetLayeredWindowAttributes);
    Bind(f.user32, "GetPointerPenInfo", f.GetPointerPenInfo);
    Bind(f.user32, "GetDpiForWindow", f.GetDpiForWindow);
    Bind(f.user32, "SetDialogControlDpiChangeBehavior", f.SetDialogControlDpiChangeBehavior);
    Bind(f.user32, "ChangeWindowMessageFilterEx", f.ChangeWindowMessageFilterEx);
    Bind(f.user32, "ChangeWindowMessageFilter", f.ChangeWindowMessageFilter);
    Bind(f.user32, "GetSystemMetricsForDpi", f.GetSystemMetricsForDpi);

    f.magnification = LoadFrom(directory, L"magnification.dll");
    Bind(f.magnification, "MagInitialize", f.MagInitialize);
    Bind(f.magnification, "MagSetWindowTransform", f.MagSetWindowTransform);
    Bind(f.magnification, "MagSetWindowSource", f.MagSetWindowSource);
    Bind(f.magnification, "MagShowSystemCursor", f.MagShowSystemCursor);

    f.uxtheme = LoadFrom(directory, L"uxtheme.dll");
    Bind(f.uxtheme, "EnableThemeDialogTexture", f.EnableThemeDialogTexture);

    f.shlwapi = LoadFrom(directory, L"Shlwapi.dll");
    Bind(f.shlwapi, "SHAutoComplete", f.SHAutoComplete);

    f.shell32 = LoadFrom(directory, L"shell32.dll");
    Bind(f.shell32, "SHQueryUserNotificationState", f.SHQueryUserNotificationState);

    f.dwmapi = LoadFrom(directory, L"dwmapi.dll");
    Bind(f.dwmapi, "DwmIsCompositionEnabled", f.DwmIsCompositionEnabled);
    Bind(f.dwmapi, "DwmSetWindowAttribute", f.DwmSetWindowAttribute);
    Bind(f.dwmapi, "DwmFlush", f.DwmFlush);
}

void ReleaseOptionalFunctions() {
    OptionalFunctions& f = optionalFunctions;
    for (HMODULE library : {f.user32, f.magnification, f.uxtheme, f.shlwapi, f.shell32, f.dwmapi}) {
        if (library != nullptr) {
            FreeLibrary(library);
        }
    }
    f = OptionalFunctions{};
}
