// The tray icon, its menu and commands (see tray_commands.h).
#include "tray/tray_commands.h"

#include <shellapi.h>

#include <array>

#include "lang/apply_language.h"
#include "res/resource_ids.h"
#include "zoom/app_state.h"
#include "zoom/message_ids.h"

namespace {

struct TrayMenuItem {
    uint32_t command; // 0: a separator
    wchar_t text[32]; // writable: a language replaces it
};

// In menu order.
std::array<TrayMenuItem, 7> trayMenuItems = {{
    {static_cast<uint32_t>(Command::Options), L"&Options"},
    {0, L""},
    {static_cast<uint32_t>(Command::BreakTimer), L"&Break Timer"},
    {static_cast<uint32_t>(Command::Draw), L"&Draw"},
    {static_cast<uint32_t>(Command::Zoom), L"&Zoom"},
    {0, L""},
    {static_cast<uint32_t>(Command::Exit), L"E&xit"},
}};

NOTIFYICONDATAW IconData(HWND mainWindow) {
    NOTIFYICONDATAW icon = {};
    icon.cbSize = sizeof icon;
    icon.hWnd = mainWindow;
    icon.uID = 1;
    return icon;
}

} // namespace

void UpdateTrayIcon(HWND mainWindow) {
    NOTIFYICONDATAW icon = IconData(mainWindow);
    icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    icon.uCallbackMessage = kTrayNotifyMessage;
    icon.hIcon = LoadIconW(app.instance, MAKEINTRESOURCEW(IDI_VISTREL));
    wcsncpy(icon.szTip, L"Vistrel", 8);
    Shell_NotifyIconW(app.settings.ShowTrayIcon ? NIM_ADD : NIM_DELETE, &icon);
}

LRESULT OnTrayNotify(HWND mainWindow, LPARAM mouseMessage) {
    const auto message = static_cast<UINT>(mouseMessage);
    if (app.breakActive && (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN)) {
        // The break screen comes back after the presenter switched away from it.
        ShowWindow(mainWindow, SW_SHOW);
        SetForegroundWindow(mainWindow);
        return 0;
    }
    switch (message) {
    case WM_LBUTTONDBLCLK:
        if (app.breakActive) {
            SetForegroundWindow(mainWindow);
        } else {
            SendMessageW(mainWindow, WM_COMMAND, static_cast<WPARAM>(Command::Options), 0);
        }
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_CONTEXTMENU:
        ShowTrayMenu(mainWindow);
        break;
    default:
        SetForegroundWindow(mainWindow);
        break;
    }
    return 0;
}

void ShowTrayMenu(HWND mainWindow) {
    POINT cursor = {};
    GetCursorPos(&cursor);
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr) {
        return;
    }
    for (UINT position = 0; position < trayMenuItems.size(); ++position) {
        const TrayMenuItem& item = trayMenuItems[position];
        if (item.command != 0) {
            InsertMenuW(menu, position, MF_BYPOSITION | MF_STRING, item.command, item.text);
        } else {
            InsertMenuW(menu, position, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
        }
    }
    ApplyLanguage("TrayMenu", menu);
    TrackPopupMenu(menu, 0, cursor.x, cursor.y, 0, mainWindow, nullptr);
    DestroyMenu(menu);
}

void RemoveTrayIcon(HWND mainWindow) {
    NOTIFYICONDATAW icon = IconData(mainWindow);
    Shell_NotifyIconW(NIM_DELETE, &icon);
}
