// Names of saved pictures: the time-stamped default and when ".png" is added.
#include <gtest/gtest.h>

#include <array>

#include "output/file_names.h"

TEST(SaveNames, TheDefaultIsTheLocalTimeInTwoDigitFieldsAndPngOnlyWhenThereIsNoDotAnywhere) {
    std::array<Utf16Unit, 260> name;
    name.fill(Utf16Unit('#'));
    DefaultSaveName({2024, 1, 31, 9, 30, 5}, name);
    EXPECT_TRUE(Utf16View(name.data()) == UTF16("Vistrel_20240131093005.png"));

    EXPECT_TRUE(NeedsPngExtension(UTF16("slide")));
    EXPECT_TRUE(NeedsPngExtension(UTF16("C:\\talks\\slide")));
    EXPECT_FALSE(NeedsPngExtension(UTF16("C:\\talks.v2\\slide"))); // saved as typed
    EXPECT_FALSE(NeedsPngExtension(UTF16("slide.png")));
}
