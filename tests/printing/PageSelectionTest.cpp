// The pages box: which items are valid and which pages a selection holds.
#include <gtest/gtest.h>

#include "zevo/printing/PageSelection.h"

namespace zevo::printing {
namespace {

TEST(PageSelection, ItemsAndMembership) {
    EXPECT_EQ(parsePageSelection(""), allPages());
    EXPECT_EQ(parsePageSelection("  "), allPages());
    EXPECT_EQ(parsePageSelection(" 1, 3-4 "), (PageSelection{"1", "3-4"}));
    for (const char* wrong : {"0", "00", "3-1", "1--2", "-2", "2-", "1,", ",1", "a", "1 2x", "0-3"})
        EXPECT_FALSE(parsePageSelection(wrong)) << wrong;
    EXPECT_TRUE(parsePageSelection("2-2"));
    EXPECT_TRUE(parsePageSelection("99999999999999999999")) << "a huge number selects nothing, it is no error";

    const PageSelection some = *parsePageSelection("1,3-4");
    std::vector<int> selected;
    for (int p = 0; p <= 6; ++p)
        if (IsPrintedPage(some, p)) selected.push_back(p);
    EXPECT_EQ(selected, (std::vector<int>{1, 3, 4}));
    EXPECT_TRUE(IsPrintedPage(allPages(), 12345));
    EXPECT_FALSE(IsPrintedPage(*parsePageSelection("99999999999999999999"), 7));
}

}  // namespace
}  // namespace zevo::printing
