// The text rules of applying a language: control ids, classes, cutting and tab titles, and the
// UTF-8 conversions of the language code, malformed bytes included.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "lang/language_rules.h"
#include "lang/utf8_text.h"

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

std::u16string Converted(const std::string& bytes) {
    std::u16string units(Utf8ToUtf16(bytes.data(), bytes.size(), nullptr, 0), u'?');
    EXPECT_EQ(Utf8ToUtf16(bytes.data(), bytes.size(), units.data(), units.size()), units.size());
    return units;
}

TEST(Utf8Text, CharactersOfEveryLengthAndEachMaximalIllFormedPartAsOneReplacement) {
    EXPECT_EQ(Converted("a\xC3\xA7\xE4\xB8\xAD\xF0\x9F\x98\x80"), u"a\u00E7\u4E2D\U0001F600");
    EXPECT_EQ(Converted(std::string("x\0y", 3)), std::u16string(u"x\0y", 3));
    EXPECT_EQ(Converted("\x80"), u"\uFFFD");                     // a continuation alone
    EXPECT_EQ(Converted("\xE4\xB8"), u"\uFFFD");                 // cut short at the end
    EXPECT_EQ(Converted("\xE4\xB8x"), u"\uFFFDx");               // cut short before a letter
    EXPECT_EQ(Converted("\xC0\xAF"), u"\uFFFD\uFFFD");           // overlong
    EXPECT_EQ(Converted("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD"); // a surrogate
    EXPECT_EQ(Converted("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD"); // past U+10FFFF
    EXPECT_EQ(Converted("\xFF"), u"\uFFFD");
}

TEST(Utf8Text, ABufferThatIsTooSmallKeepsWholeCharactersAndItsTerminator) {
    Utf16Unit buffer[4] = {};
    // Two characters of two units each: the second would leave no room for the terminator,
    // and half of it would stand alone.
    EXPECT_EQ(Utf8ToWideInto("\xF0\x9F\x98\x80\xF0\x9F\x98\x80", buffer, 4), 2);
    EXPECT_EQ(std::u16string(buffer, buffer + 4), std::u16string(u"\U0001F600\0\0", 4));
    Utf16Unit exact[4] = {};
    EXPECT_EQ(Utf8ToWideInto("abc", exact, 4), 3);
    EXPECT_EQ(Utf8ToWideInto("abc", exact, 0), 0);
    Utf16Unit* whole = Utf8ToWideAlloc("\xE4\xB8\xAD\xE6\x96\x87");
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(std::u16string(whole, whole + 3), std::u16string(u"\u4E2D\u6587\0", 3));
    delete[] whole;
}

} // namespace
