// A drawing's image is looked for in the markups folder beside the database, under its bookmark's id, and nowhere else.
#include "ReaderFolderTest.h"
#include "RenderedExport.h"
#include "WholeRecordBooks.h"

#include <nlohmann/json.hpp>

#include <fstream>
#include <set>

namespace {

using MarkupImageTest = ReaderFolderTest;
using namespace fixture::records;

std::string Hex(const std::string& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        hex += {kDigits[byte >> 4], kDigits[byte & 0xF]};
    }
    return hex;
}

TEST_F(MarkupImageTest, OnlyAnIdThatIsOnePlainNameHasAnImage) {
    fixture::AddWholeRecordLibrary(reader);
    std::filesystem::create_directory(folder / "markups");
    std::ofstream(folder / "markups/r5.svg") << "<svg/>";
    // Files outside the markups folder that ids holding a path would name.
    std::ofstream(folder / "secret.svg") << "private";
    std::ofstream(folder / "shadow") << "private";
    const std::string two = kRich + "!!ch2.xhtml";
    const std::string hostile[] = {"../secret", (folder / "secret").string(), "h3"};
    for (const std::string& id : hostile)
        reader.AddBookmark(
            {.bookmarkId = id, .volumeId = kRich, .contentId = two, .startContainerPath = "span#kobo.6.1"});
    reader.Exec("UPDATE Bookmark SET Type = 'markup' WHERE StartContainerPath = 'span#kobo.6.1'");
    // Stored as a BLOB, the id ends in a NUL: the system would read the name only up to it.
    reader.Exec("UPDATE Bookmark SET BookmarkID = CAST(X'" + Hex((folder / "shadow").string()) +
                "00' AS BLOB) WHERE BookmarkID = 'h3'");

    const ExportOptions json{.format = ExportFormat::Json};
    Load(json.reading);
    const nlohmann::json document = nlohmann::json::parse(*RenderAnnotations(library, kRich, json, progress));
    std::size_t drawings = 0;
    std::set<std::string> images;
    for (const nlohmann::json& annotation : document["annotations"]) {
        drawings += annotation["type"] == "markup";
        if (annotation.contains("image"))
            images.insert(annotation["image"].get<std::string>());
    }
    EXPECT_EQ(drawings, 4u);
    EXPECT_EQ(images, (std::set<std::string>{(folder / "markups/r5.svg").string()}));
}

} // namespace
