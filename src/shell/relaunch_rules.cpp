// The relaunch's names and machine rules (see relaunch_rules.h).
#include "shell/relaunch_rules.h"

#include <algorithm>

namespace {

std::basic_string<Utf16Unit> StemWith(Utf16View programPath, Utf16View ending) {
    std::basic_string<Utf16Unit> name(programPath.substr(0, programPath.rfind(UTF16('.'))));
    name += ending;
    return name;
}

constexpr Utf16View kHexDigits = UTF16("0123456789abcdef");

} // namespace

std::basic_string<Utf16Unit> ExtractedBuildName(Utf16View programPath) {
    return StemWith(programPath, UTF16("64.exe"));
}

std::basic_string<Utf16Unit> CarriedCopyName(Utf16View programPath) {
    return StemWith(programPath, UTF16("64.carried.exe"));
}

std::basic_string<Utf16Unit> PerUserCopyRoot(Utf16View localAppData) {
    std::basic_string<Utf16Unit> root(localAppData);
    if (!root.empty() && root.back() != UTF16('\\')) {
        root += UTF16('\\');
    }
    return root + UTF16("Vistrel");
}

std::basic_string<Utf16Unit> PerUserCopyPath(Utf16View localAppData, Utf16View programPath,
                                             uint64_t fingerprint) {
    const std::basic_string<Utf16Unit> build = ExtractedBuildName(programPath);
    const std::size_t slash = build.rfind(UTF16('\\'));
    const Utf16View fileName =
        Utf16View(build).substr(slash == std::basic_string<Utf16Unit>::npos ? 0 : slash + 1);
    return PerUserCopyRoot(localAppData) + UTF16('\\') + FingerprintFolderName(fingerprint) +
           UTF16('\\') + std::basic_string<Utf16Unit>(fileName);
}

uint64_t ImageFingerprint(std::span<const unsigned char> bytes) {
    uint64_t hash = 0xcbf29ce484222325u;
    for (unsigned char byte : bytes) {
        hash = (hash ^ byte) * 0x100000001b3u;
    }
    return hash;
}

std::basic_string<Utf16Unit> FingerprintFolderName(uint64_t fingerprint) {
    std::basic_string<Utf16Unit> name(16, UTF16('0'));
    for (int digit = 15; digit >= 0; --digit, fingerprint >>= 4) {
        name[digit] = kHexDigits[fingerprint & 0xF];
    }
    return name;
}

bool IsFingerprintFolderName(Utf16View name) {
    return name.size() == 16 && std::all_of(name.begin(), name.end(), [](Utf16Unit c) {
               return kHexDigits.find(c) != Utf16View::npos;
           });
}

bool NativeMachineRuns64BitBuild(uint16_t nativeMachine, bool x64UserEnabled) {
    if (nativeMachine == kMachineArm64) {
        // Only a system that says so runs x64 programs; an x64 start elsewhere cannot run.
        return x64UserEnabled;
    }
    return nativeMachine == kMachineAmd64;
}
