#include "KoboDesktopDatabases.h"
#include "SourceFiles.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

TEST(KoboDesktopDatabasesTest, FindsTheAppsLibraryInWinePrefixesWindowsFoldersAndAMacHome) {
    TempFolder folder;
    const fs::path app = fs::path("Kobo") / "Kobo Desktop Edition" / "Kobo.sqlite";
    const fs::path wine = folder / "home" / ".wine", older = folder / "games";
    const fs::path current = wine / "drive_c" / "users" / "ann" / "AppData" / "Local" / app;
    const fs::path xp = older / "drive_c" / "users" / "bo" / "Local Settings" / "Application Data" / app;
    const fs::path windows = folder / "c" / "Users" / "carl" / "AppData" / "Local" / app;
    const fs::path mac = folder / "home" / "Library" / "Application Support" / app;
    for (const fs::path& file : {current, xp, windows, mac})
        fixture::WriteSourceFile(file, "SQLite format 3");
    fs::create_directories(wine / "drive_c" / "users" / "dan" / "AppData" / "Local" / "Kobo"); // no library there

    EXPECT_EQ(KoboDesktopDatabases(folder / "home", {wine, older, wine}, folder / "c" / "Users"),
              (std::vector<fs::path>{current, xp, windows, mac}));
    EXPECT_TRUE(KoboDesktopDatabases(folder / "nobody", {folder / "none"}, {}).empty());
}

} // namespace
