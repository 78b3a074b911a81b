// Rules of the 64-bit relaunch that need no system: the names of the written-out 64-bit build and
// which native machines run it.
#pragma once

#include <cstdint>
#include <string>

#include "settings/text_unit.h"

// The program's path with everything from its last "." removed (when it has one, even in a
// folder name), then "64.exe": C:\Tools\Present.exe gives C:\Tools\Present64.exe. A release
// ships the 64-bit program under this name beside the 32-bit one.
std::basic_string<Utf16Unit> ExtractedBuildName(Utf16View programPath);
// Where the copy goes when a different file already has that name (an older release, or
// someone else's): the same stem with "64.carried.exe", a name no release file has.
std::basic_string<Utf16Unit> CarriedCopyName(Utf16View programPath);

// Native machines as IsWow64Process2 reports them. ARM64 runs the x64 build through emulation,
// which older ARM64 systems lack: there the 32-bit program runs itself.
constexpr uint16_t kMachineAmd64 = 0x8664;
constexpr uint16_t kMachineArm64 = 0xAA64;
constexpr uint16_t kMachineI386 = 0x014C;
enum class X64Emulation { Unknown, Present, Absent };
bool NativeMachineRuns64BitBuild(uint16_t nativeMachine,
                                 X64Emulation emulation = X64Emulation::Unknown);
