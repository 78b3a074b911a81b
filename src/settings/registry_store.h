// The registry-backed settings store: reading and writing setting rows under
// HKCU\Software\tarnove\Vistrel, the program-path value, the auto-start Run entry, clearing
// everything from the command line, and the program's one error box.
#pragma once

#include <windows.h>

#include <span>
#include <string>

#include "settings/settings_table.h"

constexpr const wchar_t* kVendorKeyPath = L"Software\\tarnove";
constexpr const wchar_t* kSettingsKeyPath = L"Software\\tarnove\\Vistrel";
constexpr const wchar_t* kRunKeyPath = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* kRunValueName = L"Vistrel";
// Windows' own switch for the Run value (Task Manager, Settings): a value of the same name.
constexpr const wchar_t* kStartupApprovedKeyPath =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

// The 32-bit program, when it runs a copy of the 64-bit build that it wrote out and deletes
// when the copy exits, names itself and that copy to it here: what must outlive the copy (the
// auto-start entry) names the 32-bit program.
constexpr const wchar_t* kCarrierPathVariable = L"VISTREL_CARRIER";
constexpr const wchar_t* kCarriedCopyVariable = L"VISTREL_CARRIED_COPY";
// The 32-bit program that started `programPath` from such a copy, or empty. Names inherited
// from elsewhere name another copy, and change nothing.
std::wstring CarrierOfCopy(const wchar_t* programPath);

// Reads every row in order; a missing value, or one larger than its row, leaves the in-memory
// value as it was. No settings key: nothing changes.
void ReadSettings(std::span<SettingEntry> rows);
// Writes every row in order; failures are silent and do not stop the other rows.
void WriteSettings(std::span<const SettingEntry> rows);
// Writes one DWORD value of the settings record.
template <typename Value> void WriteDwordSetting(const char* name, Value& value) {
    const SettingEntry row = DwordSettingRow(name, value);
    WriteSettings({&row, 1});
}

// Writes `Filepath`: the full path of the running program.
void StoreProgramPath();

// Sets or removes the Run value "Vistrel" (the program named by `Filepath`, quoted; the 32-bit
// program instead when `Filepath` names the copy it wrote out and runs), and switches it on in
// Windows' own startup switch, or removes it there. Failures show "Error configuring auto
// start" with the system's reason and return false.
bool SetAutoStart(HWND owner, bool enable);
// The Run value is there and Windows' own switch lets it run.
bool IsAutoStart();

// The error box: text, ": " and the system's message for `errorCode`, caption "Vistrel".
void ShowErrorMessage(const wchar_t* text, HWND owner, DWORD errorCode);

// Removes the Run value (and its state in Windows' switch) and the whole vendor key; true when
// both are gone (what was not there counts as removed).
bool ClearSettings();
// Deletes `path` under `root`, with all its subkeys when `recurse` is set.
bool DeleteKeyTree(HKEY root, const wchar_t* path, bool recurse);
