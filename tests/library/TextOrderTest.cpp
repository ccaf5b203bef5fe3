#include "TextOrder.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

int Sign(int value) {
    return (value > 0) - (value < 0);
}

TEST(TextOrderTest, IgnoresLetterCaseButNotAccents) {
    const TextOrder order("en_US.UTF-8");
    EXPECT_EQ(order.Compare("Some Book.epub", "SOME BOOK.EPUB"), 0);
    EXPECT_EQ(order.Compare("\xC3\x89t\xC3\xA9", "\xC3\xA9T\xC3\x89"), 0) << "Été and éTÉ differ only in case";
    EXPECT_NE(order.Compare("ete", "\xC3\xA9t\xC3\xA9"), 0) << "accents count";
    EXPECT_LT(order.Compare("apple", "Banana"), 0);
    EXPECT_LT(order.Compare("chapter 2", "chapter 3"), 0);
}

TEST(TextOrderTest, SortKeysOrderAsTheComparisonDoes) {
    const TextOrder order("de_DE.UTF-8");
    const std::vector<std::string> texts = {"Zebra",
                                            "zebra",
                                            "\xC3\xA4pfel",
                                            "Apfel",
                                            "b",
                                            "",
                                            "a=b",
                                            "a",
                                            "file:///mnt/onboard/x.epub",
                                            "\xFF\xFE invalid",
                                            "10",
                                            "9"};
    for (const auto& a : texts)
        for (const auto& b : texts)
            EXPECT_EQ(Sign(order.Compare(a, b)), Sign(order.SortKey(a).compare(order.SortKey(b)))) << a << " / " << b;
}

TEST(TextOrderTest, LocaleNamesFromTheEnvironment) {
    // The C and POSIX locales have no language of their own and take the root order.
    const TextOrder c("C"), posix("POSIX"), root("");
    EXPECT_EQ(c.SortKey("Straße"), root.SortKey("Straße"));
    EXPECT_EQ(posix.SortKey("Straße"), root.SortKey("Straße"));
    // A locale changes the order where its language wants it: Swedish puts "ö" after "z".
    EXPECT_LT(root.Compare("\xC3\xB6", "z"), 0);
    EXPECT_GT(TextOrder("sv_SE.UTF-8").Compare("\xC3\xB6", "z"), 0);

    // Each test runs in a process of its own, so changing the environment here touches no other test.
    ::setenv("LC_ALL", "", 1);
    ::setenv("LC_COLLATE", "sv_SE.UTF-8", 1);
    ::setenv("LANG", "en_GB.UTF-8", 1);
    EXPECT_EQ(TextOrder::UserLocaleId(), "sv_SE.UTF-8");
    ::setenv("LC_ALL", "C.UTF-8", 1);
    EXPECT_EQ(TextOrder::UserLocaleId(), "C.UTF-8");
}

} // namespace
