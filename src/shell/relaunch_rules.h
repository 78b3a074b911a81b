// Rules of the 64-bit relaunch that need no system: the names of the written-out 64-bit build,
// where a copy goes when the program's own folder refuses it, and which native machines run it.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "settings/text_unit.h"

// The program's path with everything from its last "." removed (when it has one, even in a
// folder name), then "64.exe": C:\Tools\Present.exe gives C:\Tools\Present64.exe. A release
// ships the 64-bit program under this name beside the 32-bit one.
std::basic_string<Utf16Unit> ExtractedBuildName(Utf16View programPath);
// Where the copy goes when a different file already has that name (an older release, or
// someone else's): the same stem with "64.carried.exe", a name no release file has.
std::basic_string<Utf16Unit> CarriedCopyName(Utf16View programPath);

// Where the copy goes when the program's folder refuses it (Program Files, a read-only share or
// stick): the user's local application data, "Vistrel", then a folder named after the carried
// build's fingerprint, so that two versions never share a file, and the extracted build's file
// name: ...\AppData\Local\Vistrel\0123456789abcdef\Present64.exe.
std::basic_string<Utf16Unit> PerUserCopyRoot(Utf16View localAppData);
std::basic_string<Utf16Unit> PerUserCopyPath(Utf16View localAppData, Utf16View programPath,
                                             uint64_t fingerprint);
// The carried build's fingerprint (64-bit FNV-1a over its bytes) and its folder name, 16
// lower-case hexadecimal digits. Only folders so named under the root are copies: leftovers
// of them may be removed, anything else there is left alone.
uint64_t ImageFingerprint(std::span<const unsigned char> bytes);
std::basic_string<Utf16Unit> FingerprintFolderName(uint64_t fingerprint);
bool IsFingerprintFolderName(Utf16View name);

// Native machines as IsWow64Process2 reports them. ARM64 runs the x64 build only where the
// system says it can emulate x64 (GetMachineTypeAttributes, Windows 11); without that answer
// the x64 build cannot run, and the 32-bit program runs itself as on a 32-bit system.
constexpr uint16_t kMachineAmd64 = 0x8664;
constexpr uint16_t kMachineArm64 = 0xAA64;
constexpr uint16_t kMachineI386 = 0x014C;
// Of GetMachineTypeAttributes' answer for x64, UserEnabled (bit 0) means x64 programs run in
// user mode; `x64UserEnabled` is false when there was no answer (missing or failed).
constexpr uint32_t kMachineUserEnabled = 1;
bool NativeMachineRuns64BitBuild(uint16_t nativeMachine, bool x64UserEnabled);
