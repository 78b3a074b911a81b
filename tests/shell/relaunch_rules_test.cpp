#include <gtest/gtest.h>

#include "shell/relaunch_rules.h"

TEST(ExtractedBuildName, CutsFromTheLastDotEvenInAFolderName) {
    EXPECT_EQ(ExtractedBuildName(u"C:\\Tools\\Present.exe"), u"C:\\Tools\\Present64.exe");
    EXPECT_EQ(ExtractedBuildName(u"C:\\My Tools\\v.2.exe"), u"C:\\My Tools\\v.264.exe");
    EXPECT_EQ(ExtractedBuildName(u"C:\\Tools\\archive.tar.gz"), u"C:\\Tools\\archive.tar64.exe");
    // No dot in the file name: the folder's dot counts, and the rest of the path goes with it.
    EXPECT_EQ(ExtractedBuildName(u"C:\\Tools.v2\\Present"), u"C:\\Tools64.exe");
    EXPECT_EQ(ExtractedBuildName(u"C:\\Tools\\Present"), u"C:\\Tools\\Present64.exe");
    EXPECT_EQ(ExtractedBuildName(u"C:\\Tools\\Present."), u"C:\\Tools\\Present64.exe");
    EXPECT_EQ(ExtractedBuildName(u""), u"64.exe");
}

TEST(NativeMachineRuns64BitBuild, OnlyAmd64AndArm64) {
    EXPECT_TRUE(NativeMachineRuns64BitBuild(kMachineAmd64));
    EXPECT_TRUE(NativeMachineRuns64BitBuild(kMachineArm64));
    EXPECT_FALSE(NativeMachineRuns64BitBuild(kMachineI386));
    EXPECT_FALSE(NativeMachineRuns64BitBuild(0));      // IsWow64Process2 left it unset
    EXPECT_FALSE(NativeMachineRuns64BitBuild(0x0200)); // IA64 has no x64 build to run
}
