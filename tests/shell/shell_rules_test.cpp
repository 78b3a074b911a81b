// The shell's platform-free rules: the clear-settings switch on the command line, and the name
// and the machines of the 64-bit relaunch.
#include <gtest/gtest.h>

#include <vector>

#include "shell/command_line.h"
#include "shell/relaunch_rules.h"

TEST(ClearSettingsSwitch, EitherPrefixInAnyCaseInAnyArgumentButTheFirstAndNoNearMiss) {
    for (const char16_t* argument :
         {u"/clearreg", u"-clearreg", u"-CLEARREG", u"/ClearReg", u"-cLeArReG"}) {
        EXPECT_TRUE(IsClearSettingsSwitch(argument)) << testing::PrintToString(argument);
    }
    for (const char16_t* argument :
         {u"--clearreg", u"clearreg", u"/clearreg2", u"/clear", u"/clearre", u"\\clearreg",
          u"/clearreg ", u" /clearreg", u"/", u""}) {
        EXPECT_FALSE(IsClearSettingsSwitch(argument)) << testing::PrintToString(argument);
    }
    // Every argument but the first is looked at.
    using Arguments = std::vector<const Utf16Unit*>;
    auto has = [](const Arguments& arguments) { return HasClearSettingsSwitch(arguments); };
    EXPECT_TRUE(has({u"vistrel.exe", u"/clearreg"}));
    EXPECT_TRUE(has({u"vistrel.exe", u"extra", u"-CLEARREG"}));
    EXPECT_FALSE(has({u"/clearreg"}));
    EXPECT_FALSE(has({u"-clearreg", u"/other"}));
    EXPECT_FALSE(has({}));
    // Null entries are skipped, not dereferenced.
    EXPECT_FALSE(has({u"vistrel.exe", nullptr}));
    EXPECT_TRUE(has({nullptr, nullptr, u"/clearreg"}));
}

TEST(Relaunch, TheBuildNameCutsFromTheLastDotAndOnlyAmd64AndArm64RunIt) {
    EXPECT_EQ(ExtractedBuildName(u"C:\\Tools\\Present.exe"), u"C:\\Tools\\Present64.exe");
    EXPECT_EQ(ExtractedBuildName(u"C:\\My Tools\\v.2.exe"), u"C:\\My Tools\\v.264.exe");
    EXPECT_EQ(ExtractedBuildName(u"C:\\Tools\\archive.tar.gz"), u"C:\\Tools\\archive.tar64.exe");
    // No dot in the file name: the folder's dot counts, and the rest of the path goes with it.
    EXPECT_EQ(ExtractedBuildName(u"C:\\Tools.v2\\Present"), u"C:\\Tools64.exe");
    EXPECT_EQ(ExtractedBuildName(u"C:\\Tools\\Present"), u"C:\\Tools\\Present64.exe");
    EXPECT_EQ(ExtractedBuildName(u"C:\\Tools\\Present."), u"C:\\Tools\\Present64.exe");
    EXPECT_EQ(ExtractedBuildName(u""), u"64.exe");

    EXPECT_EQ(CarriedCopyName(u"C:\\Tools\\Present.exe"), u"C:\\Tools\\Present64.carried.exe");

    EXPECT_TRUE(NativeMachineRuns64BitBuild(kMachineAmd64));
    EXPECT_TRUE(NativeMachineRuns64BitBuild(kMachineAmd64, X64Emulation::Absent));
    EXPECT_TRUE(NativeMachineRuns64BitBuild(kMachineArm64));
    EXPECT_TRUE(NativeMachineRuns64BitBuild(kMachineArm64, X64Emulation::Present));
    EXPECT_FALSE(NativeMachineRuns64BitBuild(kMachineArm64, X64Emulation::Absent));
    EXPECT_FALSE(NativeMachineRuns64BitBuild(kMachineI386));
    EXPECT_FALSE(NativeMachineRuns64BitBuild(0));      // IsWow64Process2 left it unset
    EXPECT_FALSE(NativeMachineRuns64BitBuild(0x0200)); // IA64 has no x64 build to run
}
