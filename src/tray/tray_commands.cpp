// Tray commands (see tray_commands.h).
#include "tray/tray_commands.h"

#include <shellapi.h>

#include "settings/registry_store.h"
#include "zoom/app_state.h"

void ExitProgram(HWND mainWindow) {
    NOTIFYICONDATAW icon = {};
    icon.cbSize = sizeof icon;
    icon.hWnd = mainWindow;
    icon.uID = 1;
    Shell_NotifyIconW(NIM_DELETE, &icon);
    const auto rows = ExitSettingRows(app.settings);
    WriteSettings(rows);
    DestroyWindow(mainWindow);
}
