// A book's cover found where the reader keeps it (.kobo-images) and in the book's own EPUB, and refused, with its
// reason, where it is no picture, too large, a zip bomb or a link out of the book.
#include "BookCover.h"
#include "EpubMaker.h"
#include "KoboImages.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using fixture::EpubMaker;
using fixture::PngHeader;

constexpr const char* kVolumeId = "file:///mnt/onboard/Books/A Book.epub";

// The first bytes of a JPEG of that size: an APP0 segment, then the frame header.
std::string JpegHeader(std::uint32_t width, std::uint32_t height) {
    std::string bytes("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 20);
    bytes += std::string("\xFF\xC0\x00\x11\x08", 5);
    for (const std::uint32_t side : {height, width}) {
        bytes += static_cast<char>(side >> 8);
        bytes += static_cast<char>(side & 0xFF);
    }
    return bytes + std::string(12, '\0');
}

void WriteFile(const std::filesystem::path& file, const std::string& bytes) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

const std::string kCoverItem =
    R"(<item id="c" href="images/cover.png" media-type="image/png" properties="cover-image"/>)"
    R"(<item id="t" href="text/one.xhtml" media-type="application/xhtml+xml"/>)";

class BookCoverTest : public ::testing::Test {
protected:
    std::filesystem::path Book() const { return volume / "Books" / "A Book.epub"; }
    void WriteBook(const EpubMaker& book) const {
        std::filesystem::create_directories(Book().parent_path());
        book.Write(Book());
    }
    CoverSearch Search(const std::string& imageId = {}) const {
        return FindBookCover({volume.Path(), kVolumeId, imageId});
    }

    TempFolder volume;
};

// The folders the reader's hash gives, as a public tool's tests record them for books on a reader.
TEST(KoboImageFoldersTest, FollowTheReadersHashOfTheImageId) {
    EXPECT_EQ(KoboImageFolders("file____mnt_onboard_perftesting_book0_kepub_epub"), "50/74");
    EXPECT_EQ(KoboImageFolders("file____mnt_onboard_perftesting_book40_kepub_epub"), "114/169");
    EXPECT_EQ(KoboImageFolders("file____mnt_onboard_perftesting_book80_kepub_epub"), "82/169");
    EXPECT_EQ(KoboImageFolders("file____mnt_onboard_perftesting_book120_kepub_epub"), "146/156");
    EXPECT_EQ(KoboImageFolders(""), "0/0");
}

TEST_F(BookCoverTest, TheReadersLargestPictureComesFirstAndAnImageIdNamingAPathFindsNone) {
    const std::string id = "file____mnt_onboard_perftesting_book0_kepub_epub";
    const std::filesystem::path folder = volume / ".kobo-images" / "50" / "74";
    WriteFile(folder / (id + " - N3_LIBRARY_GRID.parsed"), JpegHeader(149, 223));
    WriteFile(folder / (id + " - N3_FULL.parsed"), JpegHeader(1072, 1448));
    WriteFile(volume / ".kobo-images" / "0" / "0" / "x - N3_FULL.parsed", JpegHeader(10, 10)); // another book's

    const CoverSearch found = Search(id);
    ASSERT_TRUE(found.cover);
    EXPECT_EQ(found.cover->origin, (folder / (id + " - N3_FULL.parsed")).string());
    EXPECT_EQ(found.cover->facts.kind, PictureKind::Jpeg);
    EXPECT_EQ(found.cover->facts.width, 1072u);
    EXPECT_EQ(found.cover->facts.height, 1448u);
    EXPECT_FALSE(Search("some_other_book").cover);
    EXPECT_FALSE(FindKoboImagesCover(volume.Path(), "../50/74/" + id));
    // A database not read from the reader's volume has none at hand.
    EXPECT_FALSE(FindBookCover({{}, kVolumeId, id}).cover);
}

TEST_F(BookCoverTest, TheEpubNamesItsCoverByPropertyByMetaOrByItsGuide) {
    const std::string png = PngHeader(600, 800);
    WriteBook(EpubMaker().Package(kCoverItem, R"(<itemref idref="t"/>)").Add("OEBPS/images/cover.png", png));
    CoverSearch found = Search();
    ASSERT_TRUE(found.cover);
    EXPECT_EQ(found.cover->bytes, png);
    EXPECT_EQ(found.cover->origin, Book().string() + ": OEBPS/images/cover.png");
    EXPECT_EQ(found.cover->facts.kind, PictureKind::Png);

    const std::string gif = std::string("GIF89a\x58\x02\x20\x03", 10) + std::string(20, '\0');
    WriteBook(EpubMaker()
                  .Package(R"(<item id="cov" href="pics/c%20one.gif" media-type="image/gif"/>)", "",
                           R"(<meta name="cover" content="cov"/>)")
                  .Add("OEBPS/pics/c one.gif", gif));
    found = Search();
    ASSERT_TRUE(found.cover);
    EXPECT_EQ(found.cover->facts.width, 600u);
    EXPECT_EQ(found.cover->facts.height, 800u);

    WriteBook(EpubMaker()
                  .Package(R"(<item id="p" href="cover.xhtml" media-type="application/xhtml+xml"/>)", "", "",
                           R"(<reference type="cover" href="cover.xhtml"/>)")
                  .Add("OEBPS/cover.xhtml", R"(<html><body><div><img src="../art/front.png"/></div></body></html>)")
                  .Add("art/front.png", png));
    found = Search();
    ASSERT_TRUE(found.cover);
    EXPECT_EQ(found.cover->origin, Book().string() + ": art/front.png");
    EXPECT_TRUE(found.refused.empty());
}

TEST_F(BookCoverTest, HostileCoversAreRefusedAndNamed) {
    // No picture.
    WriteBook(EpubMaker().Package(kCoverItem, "").Add("OEBPS/images/cover.png", "#!/bin/sh\necho hello\n"));
    CoverSearch found = Search();
    EXPECT_FALSE(found.cover);
    ASSERT_EQ(found.refused.size(), 1u);
    EXPECT_EQ(found.refused[0],
              "the cover " + Book().string() + ": OEBPS/images/cover.png is no JPEG, PNG, GIF or WebP picture");

    // 60,000 pixels a side, told from the header alone.
    WriteBook(EpubMaker().Package(kCoverItem, "").Add("OEBPS/images/cover.png", PngHeader(60000, 60000)));
    found = Search();
    EXPECT_FALSE(found.cover);
    ASSERT_EQ(found.refused.size(), 1u);
    EXPECT_EQ(found.refused[0], "the cover " + Book().string() +
                                    ": OEBPS/images/cover.png is 60000x60000 pixels, more than 10000 a side");

    // A link that climbs out of the book.
    WriteBook(EpubMaker().Package(R"(<item id="c" href="../../../etc/passwd" properties="cover-image"/>)", ""));
    found = Search();
    EXPECT_FALSE(found.cover);
    ASSERT_EQ(found.refused.size(), 1u);
    EXPECT_EQ(found.refused[0], "the book " + Book().string() +
                                    " links ../../../etc/passwd, outside the book; it is "
                                    "not read");

    // A volume id that climbs out of the volume names no book.
    EXPECT_FALSE(FindBookCover({volume.Path(), "file:///mnt/onboard/../../etc/passwd", ""}).cover);
}

TEST_F(BookCoverTest, AZipBombIsNotUnpacked) {
    // 30 MB of zeros pack to a few kilobytes: both the stated size and the ratio refuse it.
    WriteBook(EpubMaker()
                  .Package(kCoverItem, "")
                  .Add("OEBPS/images/cover.png", PngHeader(10, 10) + std::string(30 << 20, '\0')));
    CoverSearch found = Search();
    EXPECT_FALSE(found.cover);
    ASSERT_EQ(found.refused.size(), 1u);
    EXPECT_EQ(found.refused[0], "the entry OEBPS/images/cover.png in the book " + Book().string() +
                                    " unpacks to more than 20 MB; it is not read");

    // Under the size bound, the ratio alone.
    WriteBook(EpubMaker()
                  .Package(kCoverItem, "")
                  .Add("OEBPS/images/cover.png", PngHeader(10, 10) + std::string(8 << 20, '\0')));
    found = Search();
    EXPECT_FALSE(found.cover);
    ASSERT_EQ(found.refused.size(), 1u);
    EXPECT_NE(found.refused[0].find("as a zip bomb does; it is not read"), std::string::npos) << found.refused[0];

    // A file that is no zip at all.
    WriteFile(Book(), "not a zip");
    found = Search();
    ASSERT_EQ(found.refused.size(), 1u);
    EXPECT_EQ(found.refused[0].rfind("the book " + Book().string() + " cannot be read as an EPUB: ", 0), 0u);
}

} // namespace
