// The modes' clock (see clock.h).
#include "shared/clock.h"

#include <windows.h>

double PerformanceCounterMs() {
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMs;
}

double (*clockMs)() = PerformanceCounterMs;
