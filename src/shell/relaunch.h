// The 32-bit program's first step: on a 64-bit system it runs the 64-bit build it carries, with
// the unchanged command line, waits for it (taking its messages meanwhile, so that it is
// input-idle at once and Windows shows no busy cursor for it) and ends with its exit code.
// A release ships that build beside it as well (ExtractedBuildName): when the file there is byte
// for byte the carried build, it runs as it is and is never written or deleted. Otherwise the
// carried build is written out as a hidden copy, under that name when no file has it, else under
// CarriedCopyName, and when the program's folder refuses it (Program Files, a read-only share or
// stick), in the user's own folder (PerUserCopyPath). The copy is deleted once it exits, by the
// last carrier running it. The 64-bit build never runs this.
#pragma once

#include <windows.h>

#include <string>

// Where the carried build lives in the 32-bit program.
constexpr const wchar_t* kEmbeddedBuildType = L"BINRES";
constexpr WORD kEmbeddedBuildId = 103;

// The system's answers on the native machine, as bound from kernel32; absent when missing.
using IsWow64Process2Function = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, BOOL*);
using GetMachineTypeAttributesFunction = HRESULT(WINAPI*)(USHORT, int*); // MACHINE_ATTRIBUTES*
struct Wow64Queries {
    IsWow64Process2Function isWow64Process2 = nullptr;
    IsWow64ProcessFunction isWow64Process = nullptr;
    GetMachineTypeAttributesFunction getMachineTypeAttributes = nullptr;
};

// True when the 64-bit build must run: the native machine is x64, or ARM64 that says it runs
// x64 programs (IsWow64Process2, GetMachineTypeAttributes), or, on systems without the native
// machine query, the process runs under WOW64. Elsewhere the 32-bit program runs itself, which
// is the whole program too.
bool Is64BitSystem();
bool Is64BitSystem(const Wow64Queries& queries);

// Runs the carried build; returns its exit code, or -1 when it could not be run.
int RunEmbedded64BitBuild();
// The same with the module that holds the image and the program's path given.
int RunEmbeddedBuild(HMODULE imageModule, const wchar_t* programPath);

// Writes the module's image to `path` as a new hidden file (or over one that is there): the
// system's error when it cannot (ERROR_RESOURCE_TYPE_NOT_FOUND: the module has no image). A
// file cut off by a failed write is deleted, so it is never started.
DWORD WriteEmbeddedImage(HMODULE imageModule, const wchar_t* path);
