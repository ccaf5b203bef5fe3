// The record of the blocks each note received: written as the JSON library writes it, read back whole, whatever
// bytes the ids and the readers' names hold.
#include "ReceivedHighlights.h"
#include "FileContents.h"
#include "TempFolder.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

namespace {

TEST(ReceivedHighlightsTest, WrittenAsTheJsonLibraryWritesItAndReadBackWhole) {
    const TempFolder folder;
    const std::string quoted = "id \"with\" quotes\\ and\ta tab";
    const std::string notUtf8 = std::string("/media/reader\xff\xfe/.kobo/KoboReader.sqlite");
    {
        ReceivedHighlights received(folder.Path());
        ASSERT_TRUE(received.Add("/mnt/onboard/A.epub", "serial N1", {"b1", quoted, "ünïcode ✓"}));
        ASSERT_TRUE(received.Add("/mnt/onboard/A.epub", notUtf8, {"b1"}));
        ASSERT_TRUE(received.Add("9a1b2c3d-store", "serial N1", {}));
        ASSERT_FALSE(received.Add("/mnt/onboard/A.epub", "serial N1", {"b1"})); // nothing new
        received.Save();
    }
    const std::string written = fixture::FileBytes(folder.Path() / ".marvik" / "received.json");
    // The same document as the JSON library makes of the same record.
    nlohmann::json expected = nlohmann::json::object();
    expected["/mnt/onboard/A.epub"]["b1"] = {notUtf8, "serial N1"};
    expected["/mnt/onboard/A.epub"][quoted] = {"serial N1"};
    expected["/mnt/onboard/A.epub"]["ünïcode ✓"] = {"serial N1"};
    expected["9a1b2c3d-store"] = nlohmann::json::object();
    EXPECT_EQ(written, expected.dump(1, '\t', false, nlohmann::json::error_handler_t::replace) + "\n");

    const ReceivedHighlights again(folder.Path());
    EXPECT_TRUE(again.Knows("9a1b2c3d-store"));
    EXPECT_EQ(again.Of("/mnt/onboard/A.epub"), (std::set<std::string>{"b1", quoted, "ünïcode ✓"}));
    EXPECT_EQ(again.From("/mnt/onboard/A.epub", "serial N1"), (std::set<std::string>{"b1", quoted, "ünïcode ✓"}));
    // A name that is not UTF-8 is kept as the JSON library keeps it: its bad bytes replaced.
    EXPECT_EQ(again.From("/mnt/onboard/A.epub", "/media/reader\xEF\xBF\xBD\xEF\xBF\xBD/.kobo/KoboReader.sqlite"),
              (std::set<std::string>{"b1"}));
}

} // namespace
