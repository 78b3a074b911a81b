#include <gtest/gtest.h>

#include <span>

#include "zoom/dispatch_table.h"

namespace {

using Handler = int (*)();
int First() { return 1; }
int Second() { return 2; }
int Third() { return 3; }

constexpr DispatchRow<Handler> kTable[] = {
    {0x0001, First},
    {0x0312, Second},
    {0x0001, Third},
};

const DispatchRow<Handler>* Find(uint32_t key) {
    return FindDispatchRow(std::span<const DispatchRow<Handler>>(kTable), key);
}

} // namespace

TEST(FindDispatchRow, FirstRowWithTheKeyWins) {
    ASSERT_NE(Find(0x0001), nullptr);
    EXPECT_EQ(Find(0x0001), &kTable[0]);
    EXPECT_EQ(Find(0x0001)->handler(), 1);
    EXPECT_EQ(Find(0x0312), &kTable[1]);
}

TEST(FindDispatchRow, MissingKeyFindsNothing) {
    EXPECT_EQ(Find(0x0002), nullptr);
    EXPECT_EQ(FindDispatchRow(std::span<const DispatchRow<Handler>>(), 0x0001), nullptr);
}
