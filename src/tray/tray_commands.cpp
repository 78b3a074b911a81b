// The tray icon, its menu and commands (see tray_commands.h).
#include "tray/tray_commands.h"

#include <shellapi.h>

#include <array>

#include "lang/apply_language.h"
#include "res/resource_ids.h"
#include "shell/optional_functions.h"
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

// The notification area sits on the taskbar, whose monitor has the DPI the icon is shown at;
// the main window's, where the taskbar cannot be asked.
UINT TrayDpi(HWND mainWindow) {
    if (optionalFunctions.GetDpiForWindow == nullptr) {
        return 0;
    }
    HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    return optionalFunctions.GetDpiForWindow(taskbar != nullptr ? taskbar : mainWindow);
}

} // namespace

HICON LoadSmallIcon(UINT dpi) {
    const int size = dpi != 0 && optionalFunctions.GetSystemMetricsForDpi != nullptr
                         ? optionalFunctions.GetSystemMetricsForDpi(SM_CXSMICON, dpi)
                         : GetSystemMetrics(SM_CXSMICON);
    return static_cast<HICON>(LoadImageW(app.instance, MAKEINTRESOURCEW(IDI_VISTREL), IMAGE_ICON,
                                         size, size, LR_DEFAULTCOLOR));
}

void UpdateTrayIcon(HWND mainWindow) {
    NOTIFYICONDATAW icon = IconData(mainWindow);
    if (!app.settings.ShowTrayIcon) {
        Shell_NotifyIconW(NIM_DELETE, &icon);
        return;
    }
    icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    icon.uCallbackMessage = kTrayNotifyMessage;
    icon.hIcon = LoadSmallIcon(TrayDpi(mainWindow));
    wcsncpy(icon.szTip, L"Vistrel", 8);
    if (!Shell_NotifyIconW(NIM_ADD, &icon)) {
        Shell_NotifyIconW(NIM_MODIFY, &icon); // already there: the icon may be for another DPI
    }
    // The shell keeps its own copy of the icon, so this one has served.
    DestroyIcon(icon.hIcon);
}

LRESULT OnTrayNotify(HWND mainWindow, LPARAM mouseMessage) {
    const auto message = static_cast<UINT>(mouseMessage);
    if (message == WM_LBUTTONDOWN) {
        app.trayDoubleClicked = 0; // a click begins, whatever became of the last one
    }
    if (app.breakActive && (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN)) {
        // The break screen comes back after the presenter switched away from it.
        ShowWindow(mainWindow, SW_SHOW);
        SetForegroundWindow(mainWindow);
        return 0;
    }
    switch (message) {
    case WM_LBUTTONDBLCLK:
        // The first click's menu never opens, and the button-up that follows belongs here.
        KillTimer(mainWindow, static_cast<UINT_PTR>(MainTimer::TrayClick));
        app.trayDoubleClicked = 1;
        if (app.breakActive) {
            SetForegroundWindow(mainWindow);
        } else {
            SendMessageW(mainWindow, WM_COMMAND, static_cast<WPARAM>(Command::Options), 0);
        }
        break;
    case WM_LBUTTONUP:
        if (app.trayDoubleClicked) {
            app.trayDoubleClicked = 0;
            break;
        }
        // The menu waits to see whether this click is the first of a double click; it opens
        // where the click was.
        GetCursorPos(&app.trayClickPoint);
        SetTimer(mainWindow, static_cast<UINT_PTR>(MainTimer::TrayClick), GetDoubleClickTime(),
                 nullptr);
        break;
    case WM_RBUTTONUP:
    case WM_CONTEXTMENU: {
        POINT cursor = {};
        GetCursorPos(&cursor);
        ShowTrayMenu(mainWindow, cursor);
        break;
    }
    default:
        SetForegroundWindow(mainWindow);
        break;
    }
    return 0;
}

void OnTrayClickTimer(HWND mainWindow) {
    KillTimer(mainWindow, static_cast<UINT_PTR>(MainTimer::TrayClick));
    ShowTrayMenu(mainWindow, app.trayClickPoint);
}

void ShowTrayMenu(HWND mainWindow, POINT at) {
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
    // As TrackPopupMenu's documentation asks for a notification icon's menu: its owner in the
    // foreground, or a click elsewhere does not close it; a message afterwards, or the next
    // menu closes as soon as it opens.
    SetForegroundWindow(mainWindow);
    TrackPopupMenu(menu, 0, at.x, at.y, 0, mainWindow, nullptr);
    PostMessageW(mainWindow, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

void RemoveTrayIcon(HWND mainWindow) {
    NOTIFYICONDATAW icon = IconData(mainWindow);
    Shell_NotifyIconW(NIM_DELETE, &icon);
}
