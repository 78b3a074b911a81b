// The harness's unwritable folder (see unwritable_folder.h).
#include "support/unwritable_folder.h"

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "support/wait_until.h"

namespace {

// Asks the harness to lock or unlock the folder; its answer, "ok" or why not.
std::string Ask(const char* change) {
    const char* request = std::getenv("VISTREL_LOCK_REQUEST");
    if (request == nullptr) {
        return "not run through tests/support/wine-run with VISTREL_LOCKABLE=1";
    }
    const std::filesystem::path done = std::string(request) + ".done";
    std::error_code ignored;
    std::filesystem::remove(done, ignored);
    std::ofstream(request, std::ios::binary) << change;
    std::string answer;
    const auto whole = [&] {
        std::ifstream in(done, std::ios::binary);
        answer.assign(std::istreambuf_iterator<char>(in), {});
        return answer.find('\n') != std::string::npos;
    };
    if (!WaitUntil(whole, 10000)) {
        return "the harness did not answer \"" + std::string(change) + "\"";
    }
    std::filesystem::remove(done, ignored);
    return answer.erase(answer.find('\n'));
}

} // namespace

UnwritableFolder::UnwritableFolder(std::initializer_list<std::filesystem::path> contents) {
    const char* folder = std::getenv("VISTREL_LOCKABLE_FOLDER");
    if (folder == nullptr) {
        failure = "no lockable folder: run through tests/support/wine-run with VISTREL_LOCKABLE=1";
        return;
    }
    path = folder;
    for (const std::filesystem::path& file : contents) {
        std::filesystem::copy_file(file, path / file.filename(),
                                   std::filesystem::copy_options::overwrite_existing);
    }
    if ((failure = Ask("lock")) != "ok") {
        return;
    }
    failure.clear();
    const std::filesystem::path probe = path / L"probe";
    HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (const DWORD error = GetLastError(); file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        DeleteFileW(probe.c_str());
        failure = "the locked folder took a write";
    } else if (error != ERROR_ACCESS_DENIED) {
        failure = "a write into the locked folder failed with " + std::to_string(error);
    }
}

UnwritableFolder::~UnwritableFolder() {
    if (!path.empty()) {
        Ask("unlock");
    }
}
