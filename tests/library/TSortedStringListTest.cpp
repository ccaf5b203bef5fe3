#include "TSortedStringList.h"

#include <gtest/gtest.h>

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

} // namespace
