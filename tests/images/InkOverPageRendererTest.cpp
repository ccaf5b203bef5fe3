// The ink is painted over the page, stretched from its viewBox over the whole page; a file that is not its image
// gives no picture.
#include "InkOverPageRenderer.h"
#include "FileContents.h"
#include "MarkupPages.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

namespace {

using namespace markup;

QImage Decoded(const std::string& png) {
    return QImage::fromData(reinterpret_cast<const uchar*>(png.data()), static_cast<int>(png.size()), "PNG");
}

TEST(InkOverPageRendererTest, PaintsTheInkOverThePageAtThePagesSize) {
    TempFolder folder;
    // The page twice the ink's viewBox: the ink must still cover the same part of the page.
    WritePage(folder / "m.jpg", {400, 600});
    WriteInk(folder / "m.svg", {200, 300});
    const std::optional<std::string> png = InkOverPageRenderer().RenderPng(folder / "m.svg", folder / "m.jpg");
    ASSERT_TRUE(png);
    const QImage picture = Decoded(*png);
    ASSERT_EQ(picture.size(), QSize(400, 600));
    EXPECT_TRUE(Near(picture.pixelColor(200, 300), kInk));   // the middle of the ink
    EXPECT_TRUE(Near(picture.pixelColor(170, 250), kInk));   // near its corner, 42 % each way
    EXPECT_TRUE(Near(picture.pixelColor(150, 300), kPaper)); // left of it, 37 %
    EXPECT_TRUE(Near(picture.pixelColor(200, 75), kPrint));  // the page's text stays
    EXPECT_TRUE(Near(picture.pixelColor(10, 590), kPaper));
}

TEST(InkOverPageRendererTest, NoPictureWithoutBothImages) {
    TempFolder folder;
    WritePage(folder / "page.jpg", {100, 150});
    WriteInk(folder / "ink.svg", {100, 150});
    std::ofstream(folder / "damaged.jpg") << "\xFF\xD8\xFF\xE0 cut short";
    std::ofstream(folder / "damaged.svg") << "<svg><path d=";
    const InkOverPageRenderer renderer;
    EXPECT_FALSE(renderer.RenderPng(folder / "ink.svg", folder / "damaged.jpg"));
    EXPECT_FALSE(renderer.RenderPng(folder / "ink.svg", folder / "absent.jpg"));
    EXPECT_FALSE(renderer.RenderPng(folder / "damaged.svg", folder / "page.jpg"));
    EXPECT_FALSE(renderer.RenderPng(folder / "absent.svg", folder / "page.jpg"));
    EXPECT_TRUE(renderer.RenderPng(folder / "ink.svg", folder / "page.jpg"));
}

// The reader's ink with more put into it: each extra goes into the ink's group, after the square.
void WriteInkWith(const std::filesystem::path& svg, const std::string& extra) {
    WriteInk(svg, {100, 150});
    std::string text = fixture::FileBytes(svg);
    text.insert(text.find("</g>"), extra);
    std::ofstream(svg, std::ios::binary | std::ios::trunc) << text;
}

TEST(InkOverPageRendererTest, DrawsOnlyTheInkOfTheFileItself) {
    TempFolder folder;
    WritePage(folder / "page.jpg", {100, 150});
    // A picture of solid blue beside them that a drawing might try to read in.
    QImage blue(100, 150, QImage::Format_RGB32);
    blue.fill(QColor(0, 0, 255));
    ASSERT_TRUE(blue.save(QString::fromStdString((folder / "blue.png").string())));
    ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
    const std::string xlink = " xmlns:xlink=\"http://www.w3.org/1999/xlink\"";
    const InkOverPageRenderer renderer;
    const struct {
        std::string name;
        std::string extra;
    } drawings[] = {
        // Text needs fonts that a program without a window has not loaded: it is left out, never a crash.
        {"text", "<text x=\"10\" y=\"20\" font-size=\"12\">a note in the drawing</text>"},
        {"image", "<image" + xlink + " x=\"0\" y=\"0\" width=\"100\" height=\"150\" xlink:href=\"" +
                      (folder / "blue.png").string() + "\"/>"},
        {"fifo", "<image" + xlink + " width=\"100\" height=\"150\" xlink:href=\"" + (folder / "fifo").string() +
                     "\"/><image" + xlink + " width=\"100\" height=\"150\" xlink:href=\"/dev/stdin\"/>"},
        {"use", "<use" + xlink + " xlink:href=\"" + (folder / "other.svg").string() + "#all\"/>"},
        {"paint", "<rect width=\"100\" height=\"20\" fill=\"url(" + (folder / "other.svg").string() + "#p)\"/>"},
    };
    std::ofstream(folder / "other.svg") << "<svg xmlns=\"http://www.w3.org/2000/svg\"><rect id=\"all\" width=\"100\" "
                                           "height=\"150\" fill=\"#0000ff\"/></svg>";
    for (const auto& drawing : drawings) {
        const std::filesystem::path ink = folder / (drawing.name + ".svg");
        WriteInkWith(ink, drawing.extra);
        const std::optional<std::string> png = renderer.RenderPng(ink, folder / "page.jpg");
        ASSERT_TRUE(png) << drawing.name;
        const QImage picture = Decoded(*png);
        EXPECT_TRUE(Near(picture.pixelColor(50, 75), kInk)) << drawing.name;
        EXPECT_TRUE(Near(picture.pixelColor(10, 140), kPaper)) << drawing.name << ": nothing of another file";
    }

    // Neither file is waited for when it is no file: a FIFO, a folder.
    EXPECT_FALSE(renderer.RenderPng(folder / "fifo", folder / "page.jpg"));
    EXPECT_FALSE(renderer.RenderPng(folder / "text.svg", folder / "fifo"));
    EXPECT_FALSE(renderer.RenderPng(folder.Path(), folder / "page.jpg"));
}

} // namespace
