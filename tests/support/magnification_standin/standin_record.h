// What the stand-in magnification library records, in a named shared mapping that the live-zoom
// tests read from their own process: how often it was initialised, every transform handed to
// it, in order (a ring of the last kStandInHistory), and the last source rectangle. The tests
// write the two failure switches to make the next start fail as a broken system library would.
#pragma once

#include <cstdint>

constexpr const wchar_t* kStandInMappingName = L"VistrelMagnifierStandIn";
constexpr uint32_t kStandInHistory = 4096;

struct StandInTransform {
    float m[9]; // row by row
};

struct StandInRecord {
    volatile long initializeCalls;
    volatile long transformCount; // raised after the transform is in its slot
    volatile long failInitialize; // MagInitialize answers FALSE
    volatile long failControl;    // a "Magnifier" window fails its creation
    volatile long source[4];      // the last MagSetWindowSource: left, top, right, bottom
    volatile long sourceCount;    // raised after the source is written
    StandInTransform transforms[kStandInHistory];
};
