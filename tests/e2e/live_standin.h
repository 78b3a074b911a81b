// The stand-in magnification library (Wine has none) as the live-zoom tests see it: installed
// into the prefix's system directory before the program starts, it records every transform the
// program hands it in a named mapping, which tells the level and the source origin.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "e2e/driver.h"
#include "support/magnification_standin/standin_record.h"

// The transform for level L and source origin (x, y): L, 0, -x*L; 0, L, -y*L; 0, 0, 1.
struct Transform {
    float level;
    float x; // source origin, screen coordinates
    float y;
    bool operator==(const Transform&) const = default;
};

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
    std::optional<Transform> Last() const {
        const long count = record->transformCount;
        if (count == 0) {
            return std::nullopt;
        }
        const float* m = record->transforms[(count - 1) % kStandInHistory].m;
        return Transform{m[0], -m[2] / m[0], -m[5] / m[4]};
    }
    bool WaitFor(Transform expected) const {
        if (WaitUntil([&] { return Last() == expected; })) {
            return true;
        }
        if (const std::optional<Transform> last = Last()) {
            ADD_FAILURE() << "last transform: level " << last->level << " at " << last->x << ", "
                          << last->y;
        }
        return false;
    }

    HANDLE mapping = nullptr;
    StandInRecord* record = nullptr;
};
