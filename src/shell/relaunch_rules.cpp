#include "shell/relaunch_rules.h"

std::basic_string<Utf16Unit> ExtractedBuildName(Utf16View programPath) {
    std::basic_string<Utf16Unit> name(programPath.substr(0, programPath.rfind(UTF16('.'))));
    name += UTF16("64.exe");
    return name;
}

bool NativeMachineRuns64BitBuild(uint16_t nativeMachine) {
    return nativeMachine == kMachineAmd64 || nativeMachine == kMachineArm64;
}
