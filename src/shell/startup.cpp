// Start-up, message loop and shutdown (see startup.h). Each step runs only when the ones before
// it let start-up continue.
#include "shell/startup.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <gdiplus.h>

#include "lang/language_catalogue.h"
#include "res/resource_ids.h"
#include "settings/registry_store.h"
#include "shell/command_line.h"
#include "shell/optional_functions.h"
#include "shell/relaunch.h"
#include "shell/single_instance.h"
#include "zoom/app_state.h"
#include "zoom/main_window.h"

namespace {

// Returns true when the command line asks to clear the settings.
bool ClearSettingsRequested() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr) {
        return false;
    }
    bool requested =
        count > 0 && HasClearSettingsSwitch({arguments, static_cast<std::size_t>(count)});
    LocalFree(arguments);
    return requested;
}

// The exit code tells a script what happened: 1 when everything is gone (what was never there
// counts), 2 when something could not be removed.
int ClearSettingsAndReport() {
    if (ClearSettings()) {
        MessageBoxW(nullptr, L"Configurations were removed from registry.", L"Vistrel",
                    MB_ICONINFORMATION);
        return 1;
    }
    MessageBoxW(nullptr, L"Failed to removed configurations from registry.", L"Vistrel",
                MB_ICONERROR);
    return 2;
}

} // namespace

int RunVistrel(HINSTANCE instance) {
#ifdef VISTREL_CARRIER
    // The 32-bit program carries the 64-bit build; on a 64-bit system that build is the
    // program, and this process only runs it.
    if (Is64BitSystem()) {
        return RunEmbedded64BitBuild();
    }
#endif
    if (ClearSettingsRequested()) {
        return ClearSettingsAndReport();
    }
    if (SingleInstanceCheck()) {
        return 0;
    }
    // The chosen language is loaded before any window exists, so each translates as it is built.
    BuildLanguageCatalogue();
    LoadCurrentLanguage(&ChooseStartupLanguage());
    BindOptionalFunctions();
    StoreProgramPath();
    app.windowsVersion = LOWORD(GetVersion());
    HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    CoInitialize(nullptr);
    InitCommonControls();

    // WM_CREATE runs inside: settings, hotkeys or, on the very first run, the options dialog.
    HWND mainWindow = CreateMainWindow(instance);
    if (mainWindow == nullptr) {
        return 0;
    }

    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartupInput gdiplusInput; // version 1, background thread, external codecs
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);

    // Accelerators are tried first for every message, whatever window it is for. A failing
    // GetMessageW (-1) ends the loop as well rather than spinning on it.
    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!TranslateAcceleratorW(mainWindow, accelerators, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    ReleaseOptionalFunctions();
    Gdiplus::GdiplusShutdown(gdiplusToken);
    CoUninitialize();
    FreeLanguageCatalogue();
    UnloadLanguage();
    return static_cast<int>(message.wParam);
}
