// The shell's platform-free rules: the clear-settings switch on the command line, and the names,
// the copies and the machines of the 64-bit relaunch.
#include <gtest/gtest.h>

#include <string_view>
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

TEST(Relaunch, TheBuildNameCutsFromTheLastDot) {
    EXPECT_EQ(ExtractedBuildName(u"C:\\Tools\\Present.exe"), u"C:\\Tools\\Present64.exe");
    EXPECT_EQ(ExtractedBuildName(u"C:\\My Tools\\v.2.exe"), u"C:\\My Tools\\v.264.exe");
    EXPECT_EQ(ExtractedBuildName(u"C:\\Tools\\archive.tar.gz"), u"C:\\Tools\\archive.tar64.exe");
    // No dot in the file name: the folder's dot counts, and the rest of the path goes with it.
    EXPECT_EQ(ExtractedBuildName(u"C:\\Tools.v2\\Present"), u"C:\\Tools64.exe");
    EXPECT_EQ(ExtractedBuildName(u"C:\\Tools\\Present"), u"C:\\Tools\\Present64.exe");
    EXPECT_EQ(ExtractedBuildName(u"C:\\Tools\\Present."), u"C:\\Tools\\Present64.exe");
    EXPECT_EQ(ExtractedBuildName(u""), u"64.exe");

    EXPECT_EQ(CarriedCopyName(u"C:\\Tools\\Present.exe"), u"C:\\Tools\\Present64.carried.exe");
}

TEST(Relaunch, APerUserCopyLivesInAFolderOfItsBuildsFingerprint) {
    EXPECT_EQ(PerUserCopyPath(u"C:\\Users\\ann\\AppData\\Local", u"C:\\Program Files\\Vistrel.exe",
                              0x0123456789abcdefu),
              u"C:\\Users\\ann\\AppData\\Local\\Vistrel\\0123456789abcdef\\Vistrel64.exe");
    EXPECT_EQ(PerUserCopyRoot(u"D:\\"), u"D:\\Vistrel") << "a drive's root ends in its separator";
    EXPECT_EQ(PerUserCopyPath(u"L:", u"Present", 0xF), u"L:\\Vistrel\\000000000000000f\\Present64.exe");

    // 64-bit FNV-1a: builds that differ in one byte get folders of their own.
    const auto fingerprint = [](std::string_view bytes) {
        return ImageFingerprint({reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()});
    };
    EXPECT_EQ(fingerprint(""), 0xcbf29ce484222325u);
    EXPECT_EQ(fingerprint("a"), 0xaf63dc4c8601ec8cu);
    EXPECT_NE(fingerprint("MZ\x90\x01"), fingerprint("MZ\x90\x02"));

    EXPECT_TRUE(IsFingerprintFolderName(FingerprintFolderName(fingerprint("a"))));
    for (const char16_t* other : {u"0123456789ABCDEF", u"0123456789abcde", u"0123456789abcdef0",
                                  u"0123456789abcdeg", u"settings", u""}) {
        EXPECT_FALSE(IsFingerprintFolderName(other)) << testing::PrintToString(other);
    }
}

// Each native machine with and without x64 in user mode: only x64 itself, and ARM64 that says
// it runs x64 programs, start the 64-bit build.
TEST(Relaunch, OnlyAmd64AndArm64ThatSaysItEmulatesX64RunThe64BitBuild) {
    struct Row {
        uint16_t machine;
        bool withX64, withoutX64;
    };
    for (const Row& row : {
             Row{kMachineAmd64, true, true},
             Row{kMachineArm64, true, false},
             Row{kMachineI386, false, false},
             Row{0, false, false},      // IsWow64Process2 left it unset
             Row{0x0200, false, false}, // IA64 has no x64 build to run
         }) {
        SCOPED_TRACE(row.machine);
        EXPECT_EQ(NativeMachineRuns64BitBuild(row.machine, true), row.withX64);
        EXPECT_EQ(NativeMachineRuns64BitBuild(row.machine, false), row.withoutX64);
    }
}
