#include "TextOrder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>

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

namespace {

// Texts that compare equal must share their equality hash and last primary byte, whatever the locale's rules
// (contractions, expansions, ignorable characters, tailored letters). Short random texts over an alphabet of
// troublemakers meet many equal pairs.
TEST(TextOrderTest, EqualTextsShareTheirQuickSignatures) {
    const std::vector<std::string> alphabet = {
        "a",
        "A",
        "b",
        "c",
        "C",
        "h",
        "H",
        "l",
        "L",
        "s",
        "S",
        "o",
        "O",
        "i",
        "I",
        "z",
        "1",
        "#",
        "-",
        " ",
        ".",
        "\x01",
        "\x7F",
        "\xC2\xB7", // control characters, middle dot (after l in Catalan)
        "\xC3\x9F",
        "\xEF\xAC\x81", // sharp s, fi ligature
        "\xC3\xB6",
        "\xC3\x96",
        "o\xCC\x88", // o with diaeresis, composed and decomposed
        "\xC3\xA5",
        "\xC3\x85", // a with ring (Danish aa)
        "\xC4\xB1",
        "\xC4\xB0", // dotless i, dotted capital I (Turkish)
        "\xEF\xBC\xA1",
        "\xC2\xAD", // fullwidth A, soft hyphen
        "\xD0\xB8",
        "\xCC\x86",
        "\xD0\xB9", // Cyrillic i, combining breve, short i
        "\xE4\xB8\xAD",
        "\xE3\x83\xBC", // a Han character, the Japanese long vowel mark
    };
    std::uint32_t seed = 12345;
    const auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    std::vector<std::string> texts = {"ccs", "cscs",         "aa", "\xC3\xA5", "ss",         "\xC3\x9F",
                                      "fi",  "\xEF\xAC\x81", "ch", "CH",       "l\xC2\xB7l", "ll"};
    for (int i = 0; i < 3000; ++i) {
        std::string text;
        for (std::uint32_t n = 1 + next() % 4; n > 0; --n)
            text += alphabet[next() % alphabet.size()];
        texts.push_back(text);
    }
    for (const char* locale : {"", "en_US", "sv_SE", "da_DK", "cs_CZ", "hu_HU", "tr_TR", "fr_CA", "ja_JP", "ca_ES"}) {
        const TextOrder order(locale);
        std::map<std::string, std::set<std::uint64_t>> hashesByKey;
        std::map<std::string, std::set<int>> lastBytesByKey;
        int hashed = 0;
        for (const auto& text : texts) {
            if (const auto hash = order.EqualityHash(text)) {
                hashesByKey[order.SortKey(text)].insert(*hash);
                ++hashed;
            }
            if (const auto lastByte = order.LastPrimaryByte(text))
                lastBytesByKey[order.SortKey(text)].insert(*lastByte);
        }
        for (const auto& [key, hashes] : hashesByKey)
            EXPECT_EQ(hashes.size(), 1u) << "texts equal in locale \"" << locale << "\" hash differently";
        for (const auto& [key, lastBytes] : lastBytesByKey)
            EXPECT_EQ(lastBytes.size(), 1u) << "texts equal in locale \"" << locale << "\" end differently";
        EXPECT_GT(hashed, 1000) << "most texts take the fast way in \"" << locale << "\"";
    }
    const TextOrder root("");
    EXPECT_TRUE(root.EqualityHash("file:///mnt/onboard/Anna Gr\xC3\xB6n/Book.epub"));
    EXPECT_FALSE(root.EqualityHash("o\xCC\x88")) << "combining marks take the collation";
    EXPECT_FALSE(root.EqualityHash("\xFF")) << "ill-formed UTF-8 takes the collation";
}

} // namespace
