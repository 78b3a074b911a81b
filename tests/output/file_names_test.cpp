// Names of saved pictures: the time-stamped default and when ".png" is added.
#include <gtest/gtest.h>

#include <array>

#include "output/file_names.h"

TEST(SaveNames, TheDefaultIsTheLocalTimeInTwoDigitFieldsAndPngOnlyForANameWithoutADot) {
    std::array<Utf16Unit, 260> name;
    name.fill(Utf16Unit('#'));
    DefaultSaveName({2024, 1, 31, 9, 30, 5}, name);
    EXPECT_TRUE(Utf16View(name.data()) == UTF16("Vistrel_20240131093005.png"));

    // Only the file name counts, not the dots of its folders.
    const std::pair<Utf16View, bool> paths[] = {
        {UTF16("slide"), true},
        {UTF16("C:\\talks\\slide"), true},
        {UTF16("C:\\Users\\first.last\\Pictures\\slide"), true},
        {UTF16("\\\\server.lan/share/slide"), true},
        {UTF16("C:\\talks.v2\\slide.v2"), false},
        {UTF16("slide.png"), false}};
    for (std::size_t i = 0; i < std::size(paths); ++i) {
        EXPECT_EQ(NeedsPngExtension(paths[i].first), paths[i].second) << "path " << i;
    }
}
