// What the stand-in magnification library records, in a named shared mapping that the live-zoom
// tests read from their own process: the last transform and the last source rectangle handed
// to it, each with a count raised once it is written.
#pragma once

constexpr const wchar_t* kStandInMappingName = L"VistrelMagnifierStandIn";

struct StandInRecord {
    volatile float transform[9]; // the last MagSetWindowTransform, row by row
    volatile long transformCount;
    volatile long source[4]; // the last MagSetWindowSource: left, top, right, bottom
    volatile long sourceCount;
};
