// A folder that really refuses writes, as Program Files, a read-only share or a write-protected
// stick refuse them: the test harness (tests/support/wine-run with VISTREL_LOCKABLE=1) makes its
// offered folder immutable on request, which even root cannot write to, and writable again.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>

class UnwritableFolder {
  public:
    // Copies `contents` into the harness's folder, then has it locked and checks that a write
    // there is refused with "access denied". `failure` says why not, when it is not.
    explicit UnwritableFolder(std::initializer_list<std::filesystem::path> contents = {});
    ~UnwritableFolder(); // writable again, whatever happened
    UnwritableFolder(const UnwritableFolder&) = delete;
    UnwritableFolder& operator=(const UnwritableFolder&) = delete;

    std::filesystem::path path;
    std::string failure; // empty: locked, and Wine reports the refusal
};
