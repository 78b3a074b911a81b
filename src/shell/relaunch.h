// The 32-bit program's first step: on a 64-bit system it writes the 64-bit build it carries
// beside itself as a hidden file, runs that with the unchanged command line, waits for it,
// deletes it and ends with its exit code. The 64-bit build itself never runs this.
#pragma once

#include <windows.h>

// Where the carried build lives in the 32-bit program.
constexpr const wchar_t* kEmbeddedBuildType = L"BINRES";
constexpr WORD kEmbeddedBuildId = 103;

// The 32-bit program names itself to the child here. The child runs from the written-out copy,
// which is gone once it exits, so what must outlive it (the auto-start entry) names this path.
constexpr const wchar_t* kCarrierPathVariable = L"VISTREL_CARRIER";

// The system's answers on the native machine, as bound from kernel32; absent when missing.
using IsWow64Process2Function = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, BOOL*);
struct Wow64Queries {
    IsWow64Process2Function isWow64Process2 = nullptr;
    IsWow64ProcessFunction isWow64Process = nullptr;
};

// True when the 64-bit build must run: the native machine is x64 or ARM64 (IsWow64Process2),
// or, on systems without that, the process runs under WOW64.
bool Is64BitSystem();
bool Is64BitSystem(const Wow64Queries& queries);

// Runs the carried build; returns its exit code, or -1 when it could not be run.
int RunEmbedded64BitBuild();
// The same with the module that holds the image and the program's path given: the build is
// written to ExtractedBuildName(programPath) and told programPath.
int RunEmbeddedBuild(HMODULE imageModule, const wchar_t* programPath);

// Writes the image to `path` unless the file cannot be created (a running copy holds it).
// 1 when the module has the image, whether or not it was written; 0 when it has none.
int WriteEmbeddedImage(HMODULE imageModule, const wchar_t* path);
