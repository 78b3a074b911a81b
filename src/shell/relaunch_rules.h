// Rules of the 64-bit relaunch that need no system: the name of the written-out 64-bit build and
// which native machines run it.
#pragma once

#include <cstdint>
#include <string>

#include "settings/text_unit.h"

// The program's path with everything from its last "." removed (when it has one, even in a
// folder name), then "64.exe": C:\Tools\Present.exe gives C:\Tools\Present64.exe.
std::basic_string<Utf16Unit> ExtractedBuildName(Utf16View programPath);

// Native machines as IsWow64Process2 reports them. ARM64 runs the x64 build through emulation.
constexpr uint16_t kMachineAmd64 = 0x8664;
constexpr uint16_t kMachineArm64 = 0xAA64;
constexpr uint16_t kMachineI386 = 0x014C;
bool NativeMachineRuns64BitBuild(uint16_t nativeMachine);
