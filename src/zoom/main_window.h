// The main window: one hidden popup that is the hub of the program. It receives the hotkeys,
// the tray notifications and the commands, runs the timers, and is moved over the monitor and
// shown topmost for the zoom view, drawing, typing and the break screen. Its messages and
// commands are dispatched through two tables scanned first-match.
#pragma once

#include <windows.h>

#include <span>

#include "zoom/dispatch_table.h"
#include "zoom/message_ids.h"

using MessageHandler = LRESULT (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
using CommandHandler = LRESULT (*)(HWND window, WPARAM wParam, LPARAM lParam, WORD notifyCode);

std::span<const DispatchRow<MessageHandler>> MainMessageTable();
std::span<const DispatchRow<CommandHandler>> MainCommandTable();

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registers the window classes and creates the hidden main window (its WM_CREATE reads the
// settings and registers the hotkeys); sets app.instance and app.mainWindow. Returns none when
// the class cannot be registered or the window cannot be created.
HWND CreateMainWindow(HINSTANCE instance);
