// Exports of a book with three drawings, read from a real reader database and its markups folder: one with its ink
// and its page, one whose ink is missing, one whose page is damaged. Each format names the one picture written and
// the two missing ones, and the book is written whole.
#include "EFileError.h"
#include "FileContents.h"
#include "InkOverPageRenderer.h"
#include "MarkupPages.h"
#include "MarkupPictures.h"
#include "ReaderFolderTest.h"
#include "WholeRecordBooks.h"

#include <nlohmann/json.hpp>

#include <QFile>
#include <QImage>

#include <map>

namespace {

using namespace fixture::records;

class MarkupExportTest : public ReaderFolderTest {
protected:
    MarkupExportTest() {
        fixture::AddWholeRecordLibrary(reader); // r5 is a drawing
        const std::filesystem::path markups = folder / "markups";
        std::filesystem::create_directory(markups);
        markup::WritePage(markups / "r5.jpg", {316, 420});
        markup::WriteInk(markups / "r5.svg", {316, 420});
        markup::WritePage(markups / "noink.jpg", {316, 420});
        markup::WriteInk(markups / "torn.svg", {316, 420});
        std::ofstream(markups / "torn.jpg") << "\xFF\xD8\xFF\xE0 cut short";
        for (const char* id : {"noink", "torn"})
            reader.AddBookmark({.bookmarkId = id,
                                .volumeId = kRich,
                                .contentId = kRich + "!!ch2.xhtml",
                                .startContainerPath = "span#kobo.6.1"});
        reader.Exec("UPDATE Bookmark SET Type = 'markup' WHERE BookmarkID IN ('noink', 'torn')");
    }

    ExportOptions Options(ExportFormat format) const {
        return {.format = format, .markupRenderer = std::make_shared<const InkOverPageRenderer>()};
    }
    std::string Export(ExportFormat format) {
        const ExportOptions options = Options(format);
        Load(options.reading);
        const ExportResult result =
            library.ExtractAnnotations(kRich, library.ExportTarget(kRich, results, options), options, progress);
        EXPECT_EQ(result.outcome, ExportOutcome::Written);
        return fixture::FileBytes(result.file);
    }

    const std::string m_folderName = "Notes_ _On_ Things - Ann Writer.markups";
};

TEST_F(MarkupExportTest, EachFormatNamesThePictureOrThatItIsMissing) {
    const std::string markdown = Export(ExportFormat::Markdown);
    EXPECT_NE(markdown.find("![Drawing](Notes_%20_On_%20Things%20-%20Ann%20Writer.markups/r5_0000.png)\n\n*Drawing"),
              std::string::npos);
    EXPECT_EQ(markdown.find("![Drawing]", markdown.find("r5_0000.png")), std::string::npos);
    std::size_t missing = 0;
    for (std::size_t at = 0; (at = markdown.find("*Drawing (picture missing)", at)) != std::string::npos; ++at)
        ++missing;
    EXPECT_EQ(missing, 2u);

    // The page with the ink over it, at the page's size.
    const std::filesystem::path picture = results / m_folderName / "r5_0000.png";
    const QImage png(QFile::decodeName(picture.c_str()), "PNG");
    ASSERT_EQ(png.size(), QSize(316, 420));
    EXPECT_TRUE(markup::Near(png.pixelColor(158, 210), markup::kInk));
    EXPECT_TRUE(markup::Near(png.pixelColor(158, 50), markup::kPrint));
    EXPECT_TRUE(markup::Near(png.pixelColor(158, 400), markup::kPaper));

    // The other formats name the same picture, written once.
    const nlohmann::json json = nlohmann::json::parse(Export(ExportFormat::Json));
    std::map<std::string, nlohmann::json> drawings;
    for (const nlohmann::json& record : json["annotations"])
        if (record["type"] == "markup")
            drawings[record["id"]] = record;
    ASSERT_EQ(drawings.size(), 3u);
    EXPECT_EQ(drawings["r5"]["image"], m_folderName + "/r5_0000.png");
    EXPECT_FALSE(drawings["r5"].contains("imageMissing"));
    for (const char* id : {"noink", "torn"}) {
        EXPECT_FALSE(drawings[id].contains("image")) << id;
        EXPECT_EQ(drawings[id]["imageMissing"], true) << id;
    }
    const std::string csv = Export(ExportFormat::Csv);
    const auto row = [&csv](const std::string& id) {
        const std::size_t start = csv.find("," + id + ",markup,");
        return start == std::string::npos ? std::string() : csv.substr(start, csv.find('\r', start) - start);
    };
    EXPECT_NE(row("r5").find(",," + m_folderName + "/r5_0000.png,"), std::string::npos) << row("r5");
    EXPECT_NE(row("noink").find(",,missing,"), std::string::npos) << row("noink");
    EXPECT_NE(row("torn").find(",,missing,"), std::string::npos) << row("torn");
    EXPECT_EQ(fixture::FolderNames(results / m_folderName), std::set<std::string>{"r5_0000.png"});

    // The formats that name no picture write none.
    std::filesystem::remove_all(results / m_folderName);
    for (const ExportFormat format : {ExportFormat::Readwise, ExportFormat::Html, ExportFormat::Clippings})
        Export(format);
    for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(results))
        EXPECT_FALSE(entry.is_directory()) << entry.path();
}

TEST_F(MarkupExportTest, NeverReplacesWhatIsThere) {
    // A file of the user's under the picture's name stays: the picture takes the next number.
    std::filesystem::create_directory(results / m_folderName);
    std::ofstream(results / m_folderName / "r5_0000.png") << "mine";
    EXPECT_NE(Export(ExportFormat::Markdown).find(".markups/r5_0001.png)"), std::string::npos);
    EXPECT_EQ(fixture::FileBytes(results / m_folderName / "r5_0000.png"), "mine");

    // A file, or a link, where the folder would be: it stays, and the book is written with its drawings missing.
    for (const bool link : {false, true}) {
        std::filesystem::remove_all(results / m_folderName);
        if (link)
            std::filesystem::create_directory_symlink(folder.Path(), results / m_folderName);
        else
            std::ofstream(results / m_folderName) << "mine";
        const ExportOptions options = Options(ExportFormat::Json);
        const ExportAllResult all = library.ExtractAllAnnotations({kRich, kStore}, results, options, progress);
        EXPECT_TRUE(all.failed.empty()) << all.failed[0].reason;
        ASSERT_EQ(all.written.size(), 2u);
        const std::string json = fixture::FileBytes(all.written[0]);
        EXPECT_NE(json.find("\"id\": \"r5\""), std::string::npos) << json;
        EXPECT_EQ(json.find(".markups/"), std::string::npos) << json;
        EXPECT_NE(json.find("\"imageMissing\": true"), std::string::npos) << json;
        if (link)
            EXPECT_FALSE(std::filesystem::exists(folder / "r5_0000.png")) << "nothing written through the link";
        else
            EXPECT_EQ(fixture::FileBytes(results / m_folderName), "mine");
    }
}

} // namespace
