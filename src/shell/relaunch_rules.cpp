#include "shell/relaunch_rules.h"

namespace {

std::basic_string<Utf16Unit> StemWith(Utf16View programPath, Utf16View ending) {
    std::basic_string<Utf16Unit> name(programPath.substr(0, programPath.rfind(UTF16('.'))));
    name += ending;
    return name;
}

} // namespace

std::basic_string<Utf16Unit> ExtractedBuildName(Utf16View programPath) {
    return StemWith(programPath, UTF16("64.exe"));
}

std::basic_string<Utf16Unit> CarriedCopyName(Utf16View programPath) {
    return StemWith(programPath, UTF16("64.carried.exe"));
}

bool NativeMachineRuns64BitBuild(uint16_t nativeMachine, X64Emulation emulation) {
    if (nativeMachine == kMachineArm64) {
        // Without the answer (a system too old to give it) the x64 build is tried, as before.
        return emulation != X64Emulation::Absent;
    }
    return nativeMachine == kMachineAmd64;
}
