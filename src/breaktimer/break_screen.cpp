// The break screen (see break_screen.h).
#include "breaktimer/break_screen.h"

#include "zoom/app_state.h"
#include "zoom/message_ids.h"

// Nothing starts a break yet; ending one hides the window and stops the countdown.
void EndBreak(HWND mainWindow) {
    ShowWindow(mainWindow, SW_HIDE);
    SetFocus(GetDesktopWindow());
    KillTimer(mainWindow, static_cast<UINT_PTR>(MainTimer::BreakCountdown));
    app.breakActive = 0;
}
