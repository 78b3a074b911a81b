// The stand-in magnification library (Wine has none) as the live-zoom tests see it: installed
// into the prefix's system directory before the program starts, it records the transforms and
// the source rectangles the program hands it in a named mapping, which tell the level and what
// part of the screen is shown.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "e2e/driver.h"
#include "support/magnification_standin/standin_record.h"

// What the magnifier shows: the last transform's level, whether it is a pure scale (the source
// rectangle, not the matrix, says where), and the last source rectangle, in screen coordinates.
struct LiveView {
    float level;
    RECT source;
    bool pureScale = true;
    bool operator==(const LiveView& other) const {
        return level == other.level && EqualRect(&source, &other.source) &&
               pureScale == other.pureScale;
    }
};
// The view at `level` of a source `width` x `height` from (x, y).
inline LiveView ShownAt(float level, int x, int y, int width, int height) {
    return {level, {x, y, x + width, y + height}};
}

inline HWND LiveWindow() {
    return FindWindowW(L"MagnifierClass", L"Vistrel Live Zoom");
}

inline bool LiveShown() {
    return IsWindowVisible(LiveWindow()) != 0;
}

struct StandIn {
    // Copies the library (magnification_standin\ beside this test) where the program loads
    // optional libraries from, the system directory, and opens its record.
    void Install() {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring source = path;
        source = source.substr(0, source.find_last_of(L'\\') + 1) +
                 L"magnification_standin\\magnification.dll";
        ASSERT_GT(GetSystemDirectoryW(path, MAX_PATH), 0u);
        ASSERT_TRUE(
            CopyFileW(source.c_str(), (std::wstring(path) + L"\\magnification.dll").c_str(), FALSE))
            << GetLastError();
        mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                     sizeof(StandInRecord), kStandInMappingName);
        ASSERT_NE(mapping, nullptr);
        record = static_cast<StandInRecord*>(
            MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(StandInRecord)));
        ASSERT_NE(record, nullptr);
    }
    ~StandIn() {
        if (record != nullptr) {
            UnmapViewOfFile(record);
        }
        if (mapping != nullptr) {
            CloseHandle(mapping);
        }
    }
    std::optional<LiveView> Last() const {
        const long count = record->transformCount;
        if (count == 0 || record->sourceCount == 0) {
            return std::nullopt;
        }
        const float* m = record->transforms[(count - 1) % kStandInHistory].m;
        const volatile long* s = record->source;
        return LiveView{m[0], {s[0], s[1], s[2], s[3]}, m[2] == 0.0f && m[5] == 0.0f};
    }
    bool WaitFor(const LiveView& expected) const {
        if (WaitUntil([&] { return Last() == expected; })) {
            return true;
        }
        if (const std::optional<LiveView> last = Last()) {
            const RECT& r = last->source;
            ADD_FAILURE() << "last view: level " << last->level
                          << (last->pureScale ? "" : " (not a pure scale)") << " of " << r.left
                          << ", " << r.top << " - " << r.right << ", " << r.bottom;
        }
        return false;
    }

    HANDLE mapping = nullptr;
    StandInRecord* record = nullptr;
};
