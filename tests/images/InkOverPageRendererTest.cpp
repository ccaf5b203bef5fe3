// The ink is painted over the page, stretched from its viewBox over the whole page; a file that is not its image
// gives no picture.
#include "InkOverPageRenderer.h"
#include "MarkupPages.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

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

} // namespace
