// Which database the command line reads when none is named.
#include "DefaultDatabase.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;

TEST(DefaultDatabaseTest, ReaderDatabaseFirstThenTheCurrentFolder) {
    const TempFolder reader;
    const fs::path here = "/work/here";
    const ListedVolumes mounted({{"/", ""}, {reader.Path(), "koboereader"}});

    // A reader without its database does not count.
    EXPECT_EQ(DefaultDatabasePath(mounted, here), here / "KoboReader.sqlite");

    fs::create_directory(reader / ".kobo");
    std::ofstream(reader / ".kobo/KoboReader.sqlite") << "";
    EXPECT_EQ(DefaultDatabasePath(mounted, here), reader / ".kobo/KoboReader.sqlite");
    EXPECT_EQ(DefaultDatabasePath(ListedVolumes({{reader.Path(), "KOBOeReader2"}}), here), here / "KoboReader.sqlite");
}
