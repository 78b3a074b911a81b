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

// Every way out (Exit, an outside WM_CLOSE, the end of the session) comes here: ends any mode
// (zoom or drawing at once, the break with its power settings and display put back, live zoom
// with the system cursor back), removes the tray icon, writes FontScale and PenColor, and
// destroys the main window, whose WM_DESTROY ends the message loop. Inside the loop of a
// dialog, box or menu of the program, those are ended first (as Cancel ends them) and the
// window goes once they have returned; what comes before happens once.
void ExitProgram(HWND window);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registers the window classes and creates the hidden main window (its WM_CREATE reads the
// settings and registers the hotkeys); sets app.instance and app.mainWindow. Returns none when
// the class cannot be registered or the window cannot be created.
HWND CreateMainWindow(HINSTANCE instance);
