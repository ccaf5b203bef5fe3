#include "TSortedStringList.h"

#include <gtest/gtest.h>

#include <random>

namespace {

class TSortedStringListTest : public ::testing::Test {
protected:
    TextOrder order{"en_US.UTF-8"};
    TSortedStringList list{order};
};

TEST_F(TSortedStringListTest, KeepsSortedAndTheFirstOfEqualEntries) {
    EXPECT_TRUE(list.Add("pear"));
    EXPECT_TRUE(list.Add("Apple"));
    EXPECT_TRUE(list.Add("banana"));
    EXPECT_FALSE(list.Add("APPLE")) << "an entry equal but for case is dropped";
    EXPECT_TRUE(list.Add("\xC3\xA1pple")) << "an accent makes it another entry";
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"Apple", "\xC3\xA1pple", "banana", "pear"}));
    EXPECT_TRUE(list.Contains("BANANA"));
    EXPECT_FALSE(list.Contains("banan"));
}

TEST_F(TSortedStringListTest, PairsSplitAtTheFirstEqualsSign) {
    list.Add("book-2=Second = Title");
    list.Add("Book-1=First");
    list.Add("book-1=Another title of the same book");
    list.Add("no pair here");
    EXPECT_EQ(list.NameAt(0), "book-1");
    EXPECT_EQ(list.ValueAt(0), "Another title of the same book");
    EXPECT_EQ(list.ValueOf("BOOK-2"), "Second = Title");
    // The first pair in list order wins, whatever was added first.
    EXPECT_EQ(list.ValueOf("book-1"), "Another title of the same book");
    EXPECT_EQ(list.ValueOf("book-3"), "");
    EXPECT_EQ(list.ValueOf("no pair here"), "") << "an entry without \"=\" has no value";
    EXPECT_EQ(ValuePart("=only value"), "only value");
}

// The lookup by name as described: the first entry in list order whose name compares equal.
std::string ValueByWalk(const TSortedStringList& list, const std::string& name) {
    for (std::size_t i = 0; i < list.Count(); ++i)
        if (list[i].find('=') != std::string::npos && list.Order().Compare(list.NameAt(i), name) == 0)
            return list.ValueAt(i);
    return {};
}

TEST(TSortedStringListLookup, FindsWhatTheWalkFinds) {
    // Case, accents (precomposed and combining), ignorable characters, dotted and dotless i, ill-formed bytes that
    // all read as U+FFFD, and "=" inside names and values.
    const std::vector<std::string> pieces = {"a", "A", "\xC3\xA1", "a\xCC\x81", "\xC3\x81", "\xC2\xAD",
                                             "i", "I", "\xC4\xB1", "\xC4\xB0",  "\xFF",     "\xFE",
                                             "=", "-", " ",        "1",         "ss",       "\xC3\x9F"};
    std::mt19937 random(7);
    const auto text = [&](std::size_t most) {
        std::string made;
        for (std::size_t n = random() % (most + 1); n > 0; --n)
            made += pieces[random() % pieces.size()];
        return made;
    };
    for (const char* locale : {"", "en_US.UTF-8", "sv_SE.UTF-8", "tr_TR.UTF-8", "de_DE.UTF-8"}) {
        const TextOrder order(locale);
        TSortedStringList list(order);
        std::vector<std::string> names;
        for (int i = 0; i < 300; ++i) {
            names.push_back(text(3));
            list.Add(names.back() + "=" + text(3));
            if (i % 50 == 0) { // a lookup between additions must see what was added since
                EXPECT_EQ(list.ValueOf(names.back()), ValueByWalk(list, names.back()));
            }
        }
        for (int i = 0; i < 300; ++i) {
            const std::string name = i % 2 == 0 ? names[random() % names.size()] : text(3);
            EXPECT_EQ(list.ValueOf(name), ValueByWalk(list, name)) << locale << " name " << name;
        }
    }
}

} // namespace
