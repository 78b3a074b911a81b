// Typing on the frozen screen: T starts it at the pen, characters are drawn one by one in the
// pen colour with a bar caret after them, Backspace paints the last one away, Enter starts a
// new line, the wheel changes the text size. Text is pixels in the working image like a stroke.
#pragma once

#include <windows.h>

struct TypedGlyph {
    RECT area;                      // where the character was drawn, image coordinates
    TypedGlyph* previous = nullptr; // the character typed before it
};

// Whether the window takes an input method (Chinese, Japanese, Korean): only while typing, so
// that outside it the keys of drawing reach the window and Shift does not switch the input mode.
void UseInputMethod(HWND window, bool use);
// WM_KEYUP: T starts typing (lParam 0: an internal restart after a size change).
LRESULT OnKeyUp(HWND window, WPARAM virtualKey, LPARAM lParam);
// The end-typing message (1125); wParam 1 while the text size changes. Returns 1.
LRESULT EndTyping(HWND window, WPARAM reason);
// WM_CHAR while typing.
LRESULT OnTypingChar(HWND window, WPARAM character);
// After an undo while typing: the caret drawn again over the restored picture at the text point.
void ResumeCaretAfterUndo(HWND window);
// Enter, Backspace and Delete while typing; false for other keys.
bool OnTypingKey(HWND window, WPARAM virtualKey);
// The pointer and the wheel while typing.
LRESULT OnTypingMouseMove(HWND window, LPARAM position);
LRESULT OnTypingLeftButton(HWND window);
LRESULT OnTypingWheel(HWND window, int notches);
