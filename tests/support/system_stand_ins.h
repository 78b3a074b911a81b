// Stand-ins for what the program reads of the system and that a test must steer or watch: the
// modes' clock, moved on by hand, and the desktop's cloaking of a window, recorded.
#pragma once

#include <windows.h>

#include <vector>

// The modes' clock (shared/clock.h) while an instance lives: time stands still until a test
// moves it on, as if the ticks in between came late or never.
struct FakeClock {
    FakeClock();
    ~FakeClock();
    FakeClock(const FakeClock&) = delete;
    void Advance(double ms) { now += ms; }
    static double now;
};

// A cloak or uncloak the program asked of DwmSetWindowAttribute, with the window's state then.
struct CloakCall {
    HWND window;
    BOOL cloaked;
    bool visible;
    bool paintPending; // the window or one of its children still had something to paint
    float zoomShown;   // app.currentZoom, what a zoom's paint showed
};
extern std::vector<CloakCall> cloakCalls;
// Puts the recorder into the optional-function table (where the system's entry answers that
// nothing composes, or is missing); the program's cloaks then succeed.
void RecordCloaking();
