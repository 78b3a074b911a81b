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
    ForEachTabTitle(text, [&](int i, Utf16View title) { titles.emplace_back(i, title); });
    return titles;
}

// Ids read like a decimal number to the first non-digit, saturating; classes ignore ASCII case
// only and name the whole word.
TEST(Controls, IdsAndClasses) {
    const std::pair<const char*, int> ids[] = {
        {"1043", 1043}, {"  \t+12x3", 12}, {"-5", -5}, {"abc", 0}, {"+-1", 0},
        {"99999999999999999999", INT32_MAX}, {"-99999999999999999999", INT32_MIN}};
    for (const auto& [text, id] : ids)
        EXPECT_EQ(ParseControlId(text), id) << text;
    const std::pair<const char*, ControlClass> classes[] = {
        {"static", ControlClass::Static}, {"BUTTON", ControlClass::Button},
        {"TabCtrl", ControlClass::TabCtrl}, {"mEnU", ControlClass::Menu},
        {"Statics", ControlClass::Other}, {"Stat", ControlClass::Other}, {"", ControlClass::Other}};
    for (const auto& [text, kind] : classes)
        EXPECT_EQ(ControlClassOf(text), kind) << text;
}

// Each comma ends a title, a trailing one adds none; cutting keeps the terminator and surrogate
// pairs whole.
TEST(TabTitles, SplitAndCut) {
    EXPECT_EQ(Split(u"放大,实时放大,绘制,输入,暂停,捐赠").size(), 6u);
    EXPECT_EQ(Split(u"a,,c"), (Titles{{0, u"a"}, {1, u""}, {2, u"c"}}));
    EXPECT_EQ(Split(u"a,b,"), (Titles{{0, u"a"}, {1, u"b"}}));
    EXPECT_EQ(Split(u" one "), (Titles{{0, u" one "}}));
    EXPECT_EQ(Split(u""), Titles{});
    EXPECT_EQ(Split(u","), (Titles{{0, u""}}));
    EXPECT_EQ(Split(std::u16string(40, u'x')), (Titles{{0, std::u16string(31, u'x')}}));
    // U+1F600 as units 3 and 4 of a 4-unit buffer: the high half alone would be cut off.
    const std::pair<const char16_t*, std::size_t> fits[] = {
        {u"abc", 3}, {u"abcd", 3}, {u"ab\U0001F600", 2}, {u"a\U0001F600", 3}};
    for (const auto& [text, units] : fits)
        EXPECT_EQ(UnitsThatFit(text, 4), units);
    EXPECT_EQ(UnitsThatFit(u"abc", 0), 0u);
}

// Each maximal ill-formed part is one replacement.
TEST(Utf8Text, CharactersOfEveryLengthAndMalformedBytes) {
    const std::pair<std::string, std::u16string> rows[] = {
        {"a\xC3\xA7\xE4\xB8\xAD\xF0\x9F\x98\x80", u"a\u00E7\u4E2D\U0001F600"},
        {std::string("x\0y", 3), std::u16string(u"x\0y", 3)},
        // A continuation alone, cut short at the end or before a letter, overlong, a surrogate,
        // past U+10FFFF.
        {"\x80", u"\uFFFD"}, {"\xE4\xB8", u"\uFFFD"}, {"\xF0\x9F\x98", u"\uFFFD"},
        {"\xE4\xB8x", u"\uFFFDx"}, {"\xC0\xAF", u"\uFFFD\uFFFD"}, {"\xFF\xFEz", u"\uFFFD\uFFFDz"},
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"}, {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}};
    for (const auto& [bytes, text] : rows) {
        std::u16string units(Utf8ToUtf16(bytes.data(), bytes.size(), nullptr, 0), u'?');
        EXPECT_EQ(Utf8ToUtf16(bytes.data(), bytes.size(), units.data(), units.size()), units.size());
        EXPECT_EQ(units, text) << bytes;
    }
}

TEST(Utf8Text, ABufferThatIsTooSmallKeepsWholeCharactersAndItsTerminator) {
    Utf16Unit buffer[4] = {};
    // Two characters of two units each: the second would leave no room for the terminator,
    // and half of it would stand alone.
    EXPECT_EQ(Utf8ToWideInto("\xF0\x9F\x98\x80\xF0\x9F\x98\x80", buffer, 4), 2);
    EXPECT_EQ(std::u16string(buffer, buffer + 4), std::u16string(u"\U0001F600\0\0", 4));
    EXPECT_EQ(Utf8ToWideInto("abc", buffer, 4), 3);
    EXPECT_EQ(Utf8ToWideInto("abc", buffer, 0), 0);
    Utf16Unit* whole = Utf8ToWideAlloc("\xE4\xB8\xAD\xE6\x96\x87");
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(std::u16string(whole, whole + 3), std::u16string(u"\u4E2D\u6587\0", 3));
    delete[] whole;
}

} // namespace
