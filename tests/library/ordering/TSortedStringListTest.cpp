#include "TSortedStringList.h"

#include <gtest/gtest.h>

#include <map>
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

// The list as described, kept beside it: entries by their sort keys, a lookup walking them in order.
class DescribedList {
public:
    explicit DescribedList(const TextOrder& order) : m_order(order) {}
    bool Add(const std::string& text) { return m_entries.try_emplace(m_order.SortKey(text), text).second; }
    std::vector<std::string> Entries() const {
        std::vector<std::string> texts;
        for (const auto& [key, text] : m_entries)
            texts.push_back(text);
        return texts;
    }
    std::string ValueOf(const std::string& name) const {
        for (const auto& [key, text] : m_entries)
            if (text.find('=') != std::string::npos && m_order.Compare(NamePart(text), name) == 0)
                return ValuePart(text);
        return {};
    }

private:
    const TextOrder& m_order;
    std::map<std::string, std::string> m_entries;
};

TEST(TSortedStringListLookup, AddsAndFindsWhatTheDescribedListDoes) {
    // Case, accents (precomposed and combining), ignorable characters, dotted and dotless i, ill-formed bytes that
    // all read as U+FFFD, and "=" inside names and values. Combining marks and ill-formed bytes leave a text without
    // an equality hash, and every text is then compared by key: the lists of the first round have none of them.
    const std::vector<std::string> hashable = {"a", "A", "\xC3\xA1", "\xC3\x81", "\xC2\xAD",
                                               "i", "I", "\xC4\xB1", "\xC4\xB0", "=",
                                               "-", " ", "1",        "ss",       "\xC3\x9F"};
    std::vector<std::string> pieces;
    std::mt19937 random(7);
    const auto text = [&](std::size_t most) {
        std::string made;
        for (std::size_t n = random() % (most + 1); n > 0; --n)
            made += pieces[random() % pieces.size()];
        return made;
    };
    for (const bool allHashable : {true, false}) {
        pieces = hashable;
        if (!allHashable)
            pieces.insert(pieces.end(), {"a\xCC\x81", "\xFF", "\xFE"});
        for (const char* locale : {"", "en_US.UTF-8", "sv_SE.UTF-8", "tr_TR.UTF-8", "de_DE.UTF-8"}) {
            const TextOrder order(locale);
            // Entries whose names share no hash wait for their keys until the order is asked for; the lookups between
            // additions meet the list in every state.
            TSortedStringList list(order);
            DescribedList described(order);
            std::vector<std::string> names;
            for (int i = 0; i < 300; ++i) {
                names.push_back(text(3));
                const std::string entry = names.back() + "=" + text(3);
                EXPECT_EQ(list.Add(entry), described.Add(entry)) << locale << " entry " << entry;
                if (i % 50 == 0) { // a lookup between additions must see what was added since
                    EXPECT_EQ(list.ValueOf(names.back()), described.ValueOf(names.back()));
                }
                if (i % 120 == 119) {
                    EXPECT_EQ(list.Entries(), described.Entries()) << locale;
                }
            }
            for (int i = 0; i < 300; ++i) {
                const std::string name = i % 2 == 0 ? names[random() % names.size()] : text(3);
                EXPECT_EQ(list.ValueOf(name), described.ValueOf(name)) << locale << " name " << name;
            }
            EXPECT_EQ(list.Entries(), described.Entries()) << locale;
            EXPECT_EQ(list.Count(), described.Entries().size());
        }
    }
}

} // namespace
