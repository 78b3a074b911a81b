// The text rules of applying a language: control ids, classes, cutting and tab titles.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "lang/language_rules.h"

namespace {

using Titles = std::vector<std::pair<int, std::u16string>>;

Titles Split(Utf16View text) {
    Titles titles;
    ForEachTabTitle(text, [&](int index, Utf16View title) {
        titles.emplace_back(index, std::u16string(title.begin(), title.end()));
    });
    return titles;
}

TEST(Controls, IdsReadLikeADecimalNumberToTheFirstNonDigitAndClassesAreWholeWords) {
    EXPECT_EQ(ParseControlId("1043"), 1043);
    EXPECT_EQ(ParseControlId("  \t+12x3"), 12);
    EXPECT_EQ(ParseControlId("-5"), -5);
    EXPECT_EQ(ParseControlId("abc"), 0);
    EXPECT_EQ(ParseControlId("+-1"), 0);
    EXPECT_EQ(ParseControlId("99999999999999999999"), INT32_MAX); // saturates, no overflow
    EXPECT_EQ(ParseControlId("-99999999999999999999"), INT32_MIN);
    // Classes ignore ASCII case only and name the whole word.
    EXPECT_EQ(ControlClassOf("static"), ControlClass::Static);
    EXPECT_EQ(ControlClassOf("BUTTON"), ControlClass::Button);
    EXPECT_EQ(ControlClassOf("TabCtrl"), ControlClass::TabCtrl);
    EXPECT_EQ(ControlClassOf("mEnU"), ControlClass::Menu);
    EXPECT_EQ(ControlClassOf("Statics"), ControlClass::Other);
    EXPECT_EQ(ControlClassOf("Stat"), ControlClass::Other);
    EXPECT_EQ(ControlClassOf(""), ControlClass::Other);
}

TEST(TabTitles, EachCommaEndsATitleAndATrailingCommaAddsNone) {
    EXPECT_EQ(Split(u"放大,实时放大,绘制,输入,暂停,捐赠").size(), 6u);
    EXPECT_EQ(Split(u"a,,c"), (Titles{{0, u"a"}, {1, u""}, {2, u"c"}}));
    EXPECT_EQ(Split(u"a,b,"), (Titles{{0, u"a"}, {1, u"b"}}));
    EXPECT_EQ(Split(u" one "), (Titles{{0, u" one "}}));
    EXPECT_EQ(Split(u""), Titles{});
    EXPECT_EQ(Split(u","), (Titles{{0, u""}}));
}

TEST(Cutting, KeepsTheTerminatorAndSurrogatePairsWhole) {
    const std::u16string long40(40, u'x');
    EXPECT_EQ(Split(long40), (Titles{{0, std::u16string(31, u'x')}}));
    EXPECT_EQ(UnitsThatFit(u"abc", 4), 3u);
    EXPECT_EQ(UnitsThatFit(u"abcd", 4), 3u);
    // U+1F600 as units 3 and 4 of a 4-unit buffer: the high half alone would be cut off.
    EXPECT_EQ(UnitsThatFit(u"ab\U0001F600", 4), 2u);
    EXPECT_EQ(UnitsThatFit(u"a\U0001F600", 4), 3u);
    EXPECT_EQ(UnitsThatFit(u"abc", 0), 0u);
}

} // namespace
