#include <gtest/gtest.h>

#include <vector>

#include "shell/command_line.h"

TEST(IsClearSettingsSwitch, AcceptsEitherPrefixInAnyCase) {
    for (const char16_t* argument : {u"/clearreg", u"-clearreg", u"-CLEARREG", u"/ClearReg",
                                     u"-cLeArReG"}) {
        EXPECT_TRUE(IsClearSettingsSwitch(argument)) << testing::PrintToString(argument);
    }
}

TEST(IsClearSettingsSwitch, RejectsNearMisses) {
    for (const char16_t* argument :
         {u"--clearreg", u"clearreg", u"/clearreg2", u"/clear", u"/clearre", u"\\clearreg",
          u"/clearreg ", u" /clearreg", u"/", u""}) {
        EXPECT_FALSE(IsClearSettingsSwitch(argument)) << testing::PrintToString(argument);
    }
}

TEST(HasClearSettingsSwitch, LooksAtEveryArgumentButTheFirst) {
    using Arguments = std::vector<const Utf16Unit*>;
    auto has = [](const Arguments& arguments) { return HasClearSettingsSwitch(arguments); };
    EXPECT_TRUE(has({u"vistrel.exe", u"/clearreg"}));
    EXPECT_TRUE(has({u"vistrel.exe", u"extra", u"-CLEARREG"}));
    EXPECT_FALSE(has({u"/clearreg"}));
    EXPECT_FALSE(has({u"-clearreg", u"/other"}));
    EXPECT_FALSE(has({}));
    EXPECT_FALSE(has({u"vistrel.exe", u"--clearreg"}));
    // Null entries are skipped, not dereferenced.
    EXPECT_FALSE(has({u"vistrel.exe", nullptr}));
    EXPECT_TRUE(has({nullptr, nullptr, u"/clearreg"}));
}
