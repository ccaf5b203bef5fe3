// The reading order of a volume's bookmarks, from their stored positions.
#include "BookmarkOrder.h"
#include "RecordingProgress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <random>

namespace {

using Ids = std::vector<std::string>;

// Holds the texts that test locations view.
class Texts {
public:
    std::string_view operator()(std::string text) { return m_texts.emplace_back(std::move(text)); }

private:
    std::deque<std::string> m_texts;
};

class BookmarkOrderTest : public ::testing::Test {
protected:
    // Bookmarks are listed in the order the test gives them; their ids are "b0", "b1", ...
    Ids Order(const std::vector<BookmarkLocation>& bookmarks) {
        fixture::RecordingProgress progress;
        Ids ids = OrderBookmarks(bookmarks, order, progress);
        EXPECT_EQ(progress.steps, bookmarks.size());
        return ids;
    }
    std::vector<BookmarkLocation> Marks(const std::vector<std::vector<std::string>>& rows) {
        std::vector<BookmarkLocation> marks;
        for (const auto& row : rows)
            marks.push_back({keep("b" + std::to_string(marks.size())), keep(row.at(0)), keep(row.at(1)),
                             keep(row.at(2)), keep(row.size() > 3 ? row[3] : "")});
        return marks;
    }

    Texts keep;

    TextOrder order{"C"};
};

// The described order written out in full: keys padded to the widths of the volume, sorted by the order, then bytes.
std::vector<std::size_t> WrittenOutOrder(const std::vector<BookmarkLocation>& marks, const TextOrder& order) {
    const auto placed = [](std::string_view p) { return !p.empty() && p.find_first_not_of("0123456789") > p.size(); };
    RunWidths runs;
    std::size_t offset = 0, place = 0;
    for (const BookmarkLocation& mark : marks) {
        ScanRunWidths(mark.startContainerPath, runs);
        offset = std::max(offset, mark.startOffset.size());
        place = std::max(place, placed(mark.partIndex) ? mark.partIndex.size() : 0);
    }
    std::vector<std::tuple<std::string, std::string, std::size_t>> keys; // sort key, key, position
    for (const BookmarkLocation& mark : marks) {
        const PositionKey at = MakePositionKey(mark.startContainerPath, runs);
        std::string key = place == 0 ? "" : placed(mark.partIndex) ? "0" + PadWithZeros(mark.partIndex, place) : "1";
        key += at.readable ? std::string(mark.contentId) + at.text + PadWithZeros(mark.startOffset, offset)
                           : "Error_" + std::string(mark.startContainerPath);
        key += "=";
        key += mark.bookmarkId;
        keys.emplace_back(order.SortKey(key), key, keys.size());
    }
    std::sort(keys.begin(), keys.end());
    std::vector<std::size_t> positions;
    for (const auto& key : keys)
        positions.push_back(std::get<2>(key));
    return positions;
}

TEST_F(BookmarkOrderTest, PositionKeysPadEveryRunToItsWidthInTheVolume) {
    EXPECT_EQ(MakePositionKey("span#kobo.3.12", {1, 2}).text, "#312");
    EXPECT_EQ(MakePositionKey("span#kobo.3.9", {1, 2}).text, "#309");
    EXPECT_EQ(MakePositionKey("span#kobo.10.1", {2, 1}).text, "#101");
    EXPECT_EQ(MakePositionKey("span#kobo.9.5", {2, 1}).text, "#095");
    EXPECT_EQ(MakePositionKey("#point(/1/4/2:7)", {1, 2, 1, 2}).text, "#104207");
    // Runs beyond the table keep their digits; a path without digits after its "#" is not readable.
    EXPECT_EQ(MakePositionKey("span#kobo.3.4.5", {2}).text, "#0345");
    EXPECT_FALSE(MakePositionKey("span#kobo.", {}).readable);
    EXPECT_FALSE(MakePositionKey("", {}).readable);
    EXPECT_EQ(PadWithZeros("123", 2), "123");

    // The width scan starts five characters after the first "#": past "#kobo", at the "t" of "#Point" (whose
    // capital P is not rewritten), at the fifth character of a path without "#".
    RunWidths widths;
    ScanRunWidths("span#kobo.3.12", widths);
    ScanRunWidths("#Point(/1/4/123)", widths);
    EXPECT_EQ(widths, (RunWidths{1, 2, 3}));
    widths.clear();
    ScanRunWidths("ab/12/3/4567", widths);
    EXPECT_EQ(widths, (RunWidths{1, 1, 4}));
    // ... while its key is made from all of its runs, and has no "#" part.
    EXPECT_EQ(MakePositionKey("ab/12/3/4567", {1, 1, 4}).text, "1234567");
}

TEST_F(BookmarkOrderTest, PathsAndOffsetsOrderAsNumbers) {
    EXPECT_EQ(Order(Marks({{"c.html", "span#kobo.3.12", "5"}, {"c.html", "span#kobo.3.9", "5"}})), (Ids{"b1", "b0"}));
    EXPECT_EQ(Order(Marks({{"c.html", "span#kobo.10.1", "0"}, {"c.html", "span#kobo.9.5", "0"}})), (Ids{"b1", "b0"}));
    EXPECT_EQ(Order(Marks({{"c.html", "span#kobo.2.2", "12"}, {"c.html", "span#kobo.2.2", "7"}})), (Ids{"b1", "b0"}));
    // The widest offset of the volume pads every offset, in every part.
    EXPECT_EQ(Order(Marks({{"a.html", "span#kobo.1.1", "100"},
                           {"a.html", "span#kobo.1.1", "10"},
                           {"b.html", "span#kobo.1.1", "2"},
                           {"a.html", "span#kobo.1.1", "9"}})),
              (Ids{"b3", "b1", "b0", "b2"}));
    // A last run that ends the path, and deep paths with more runs than the first table had.
    EXPECT_EQ(Order(Marks({{"c.html", "span#kobo.1.2.3.4.5.6.7.8.9.10.11.12.13.10", "0"},
                           {"c.html", "span#kobo.1.2.3.4.5.6.7.8.9.10.11.12.13.9", "0"},
                           {"c.html", "#point(/1/2/3/4/5/6/7/8/9/10/11/12/13/100)", "0"}})),
              (Ids{"b1", "b0", "b2"}));
}

TEST_F(BookmarkOrderTest, PartsOrderByTheTextOfTheirIdsWhenTheirPlacesAreUnknown) {
    // Every bookmark of the part that sorts first comes first, so "(10)" comes before "(2)"; letter case does not
    // separate parts.
    EXPECT_EQ(Order(Marks({{"book#(2)ch.html", "span#kobo.1.1", "0"},
                           {"book#(1)ch.html", "span#kobo.9.9", "99"},
                           {"BOOK#(2)CH.HTML", "span#kobo.1.0", "0"},
                           {"book#(10)ch.html", "span#kobo.1.1", "0"}})),
              (Ids{"b1", "b3", "b2", "b0"}));
    // A path without digits keys as "Error_" + path, away from its part; equal keys fall back to the ids.
    EXPECT_EQ(Order(Marks({{"part.html", "span#kobo.2.1", "0"},
                           {"part.html", "span#kobo", "0"},
                           {"A.html", "", "0"},
                           {"part.html", "span#kobo.2.1", "0"}})),
              (Ids{"b2", "b1", "b0", "b3"}));
    std::vector<BookmarkLocation> marks = Marks(
        {{"p", "span#kobo.1", "0"}, {"p", "span#kobo.1", "0"}, {"p", "span#kobo.1", "0"}, {"p", "no digits", "0"}});
    marks[0].bookmarkId = "B";
    marks[1].bookmarkId = "a";
    marks[2].bookmarkId = "A";
    marks[3].bookmarkId = "a";
    EXPECT_EQ(Order(marks), (Ids{"a", "A", "a", "B"})) << "ids in the order's sense, equal ones by their bytes";
}

TEST(ReadingOrderTest, LongRunsOrderAsTheirWrittenOutKeysDo) {
    // Random volumes, half of them with a run, offset or place of hundreds of digits: the order of the full keys.
    const std::vector<std::string> parts = {"ch.html",         "CH.html", "che.html", "ch\xC3\xA9.html",
                                            "Ch\xC3\x89.html", "b#(2)p",  "b#(10)p",  "12",
                                            "x\xE2\x80\x94#9", "",        "a=b"};
    const std::vector<std::string> heads = {"span#kobo.", "#point(/", "#Point(", "p#", "", "span#kobo"};
    const std::vector<std::string> texts = {"", "7", "12", "007", "x", "3a", "\xC3\xA9", "E", "a", "A", "-1"};
    std::mt19937 random(11);
    const auto pick = [&random](const std::vector<std::string>& from) { return from[random() % from.size()]; };
    const auto digits = [&random](std::size_t length) { // many zeros
        std::string run(length, '0');
        std::generate(run.begin(), run.end(), [&] { return static_cast<char>('0' + random() % 10 * (random() % 2)); });
        return run;
    };
    for (int volume = 0; volume < 16; ++volume) {
        Texts keep;
        std::vector<BookmarkLocation> marks(200 + random() % 100);
        for (BookmarkLocation& mark : marks) {
            std::string path = pick(heads);
            for (std::size_t run = random() % 6; run > 0; --run)
                path += digits(1 + random() % 3) + pick({".", "/", ":", ")", "-"});
            mark = {keep(pick(texts)), keep(pick(parts)), keep(path + digits(random() % 2)), keep(pick(texts)),
                    keep(pick(texts))};
        }
        BookmarkLocation& crafted = marks[random() % marks.size()];
        std::string_view& field =
            *std::array{&crafted.startContainerPath, &crafted.startOffset, &crafted.partIndex}[volume % 3];
        field = keep((volume % 3 == 2 ? "" : std::string(field)) + digits(volume % 2 == 1 ? 300 + random() % 300 : 0));
        for (const char* locale : {"C", "de_DE", "sv_SE", "cs_CZ"}) {
            const TextOrder order(locale);
            SilentProgress progress;
            EXPECT_EQ(ReadingOrder(marks, order, progress), WrittenOutOrder(marks, order)) << volume << locale;
        }
    }
}

TEST_F(BookmarkOrderTest, PlacedPartsFollowTheBookThenUnplacedOnes) {
    // Places: chapter 2 before chapter 10; a part without a place (none, "-1", "x") after every placed one; an
    // "Error_" key stays with its own part.
    EXPECT_EQ(Order(Marks({{"book#(10)ch.html", "span#kobo.1.1", "0", "10"},
                           {"book#(0)aaa.html", "span#kobo.1.1", "0"},
                           {"book#(2)ch.html", "span#kobo.5.1", "0", "2"},
                           {"book#(10)ch.html", "span#kobo", "0", "10"},
                           {"book#(2)ch.html", "span#kobo.1.1", "0", "2"},
                           {"book#(1)neg.html", "span#kobo.1.1", "0", "-1"},
                           {"book#(1)txt.html", "span#kobo.1.1", "0", "x"}})),
              (Ids{"b4", "b2", "b0", "b3", "b1", "b5", "b6"}));
}

} // namespace
