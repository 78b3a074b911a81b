// The clock that what moves with time reads: the zoom and live-zoom animations and the break's
// countdown. Timers run on the system tick and come late whenever the queue is busy, so they
// only say when to look; how far an animation or a countdown has got is the clock's time since
// it started. Milliseconds from the performance counter, far finer than the system tick.
#pragma once

// Milliseconds since an arbitrary moment, from the performance counter.
double PerformanceCounterMs();

// The clock the modes read: PerformanceCounterMs, replaced by tests to move time on.
extern double (*clockMs)();
