// SPDX-License-Identifier: GPL-3.0-or-later
// The one mapping between the parity parameter's items and the serial line's codes, which the
// settings file stores: a stored code must come back as the item it was saved from.

#include "model/model_texts.h"
#include "model/parity.h"
#include "model/text.h"

#include <gtest/gtest.h>

namespace zr740 {
namespace {

TEST(Parity, ItemsAndLineCodesMapBothWays)
{
    const auto items = split_items(texts::parity_items);
    ASSERT_EQ(items.size(), parity_item_count);
    const struct {
        const char* item;
        Parity parity;
        int code;
    } cases[] = {{"Отсутствует", Parity::none, 3}, {"Четность", Parity::even, 1}, {"Нечетность", Parity::odd, 4}};
    for (const auto& c : cases) {
        EXPECT_EQ(items[item_index(c.parity)], c.item);
        EXPECT_EQ(parity_of_item(item_index(c.parity)), c.parity);
        EXPECT_EQ(line_code(c.parity), c.code);
        EXPECT_EQ(parity_of_line_code(c.code), c.parity);
    }
    // The line's other codes are no item of the parameter.
    for (const int code : {0, 2, 5, -1, 6})
        EXPECT_FALSE(parity_of_line_code(code).has_value()) << code;
}

} // namespace
} // namespace zr740
