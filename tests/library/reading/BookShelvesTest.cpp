// A book's collections, rating and read status as the exports carry them: JSON members the schema knows, and the
// obsidian set's front matter tags as a YAML parser reads them. A book on no collection and unrated is written as
// before.
#include "FileContents.h"
#include "ReaderFolderTest.h"
#include "TemplateSet.h"
#include "WholeRecordBooks.h"
#include "YamlDocuments.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>

namespace {

using namespace fixture::records;
using Json = nlohmann::json;

class BookShelvesTest : public ReaderFolderTest {
protected:
    BookShelvesTest() { fixture::AddWholeRecordLibrary(reader); }

    std::string Render(const std::string& volume, ExportFormat format, const char* set = nullptr) {
        Load();
        ExportOptions options{.format = format};
        if (set)
            options.templates = TemplateSet::Named(set);
        return fixture::FileBytes(
            library.ExtractAnnotations(volume, library.ExportTarget(volume, results, options), options, progress).file);
    }

    // What Python's jsonschema says of the document against the published schema: empty when it is valid.
    std::string SchemaErrors(const std::string& document) {
        const std::filesystem::path file = folder / "document.json";
        std::ofstream(file, std::ios::binary) << document;
        const std::string command =
            MARVIK_PYTHON3 " -c 'import json,sys,jsonschema\n"
                           "jsonschema.validate(json.load(open(sys.argv[1])), json.load(open(sys.argv[2])))' '" +
            file.string() + "' '" MARVIK_ANNOTATION_SCHEMA "' 2>&1";
        const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
        std::string errors(1 << 14, '\0');
        errors.resize(pipe ? std::fread(errors.data(), 1, errors.size(), pipe.get()) : 0);
        return errors;
    }
};

TEST_F(BookShelvesTest, CollectionsRatingAndStatusInJsonAndFrontMatterOnlyWherePresent) {
    const std::string storeJson = Render(kStore, ExportFormat::Json);
    const std::string storeNote = Render(kStore, ExportFormat::Markdown, "obsidian");
    const std::string richText = Render(kRich, ExportFormat::Text);
    fixture::AddRichBookShelves(reader);

    const std::string json = Render(kRich, ExportFormat::Json);
    EXPECT_EQ(SchemaErrors(json), "");
    const Json book = Json::parse(json)["book"];
    EXPECT_EQ(book["status"], "finished");
    EXPECT_EQ(book["rating"], 4);
    // Deleted collections, and a book's place deleted from one, are gone; names as stored, in their order.
    EXPECT_EQ(book["collections"], Json::parse(R"j(["<b>Best</b> & \"more\"", "=HYPERLINK(1)", "To read"])j"));

    const std::filesystem::path note = folder / "note.md";
    std::ofstream(note, std::ios::binary) << Render(kRich, ExportFormat::Markdown, "obsidian");
    const Json frontMatter = YamlDocuments(note);
    ASSERT_TRUE(frontMatter.is_array() && !frontMatter.empty()) << fixture::FileBytes(note);
    EXPECT_EQ(frontMatter[0]["tags"], Json::parse(R"(["b-Best-b-more", "HYPERLINK-1", "To-read"])"));
    EXPECT_EQ(frontMatter[0]["rating"], 4);
    EXPECT_EQ(frontMatter[0]["status"], "finished");

    // Nothing changes for a book on no collection, nor for the text file of one on several.
    EXPECT_EQ(Render(kStore, ExportFormat::Json), storeJson);
    EXPECT_EQ(Render(kStore, ExportFormat::Markdown, "obsidian"), storeNote);
    EXPECT_EQ(Render(kRich, ExportFormat::Text), richText);

    // A damaged table of collections costs the collections, never the highlights.
    reader.Damage("ShelfContent", "leaf");
    const Json damaged = Json::parse(Render(kRich, ExportFormat::Json));
    EXPECT_FALSE(damaged["book"].contains("collections"));
    EXPECT_EQ(damaged["book"]["rating"], 4);
    EXPECT_EQ(damaged["annotations"].size(), 5u);
}

TEST_F(BookShelvesTest, TheLibraryTableKnowsEachBooksCollectionsInOneReading) {
    fixture::AddRichBookShelves(reader);
    Load();
    std::optional<LibraryOverview> overview = library.ReadOverview({}, progress);
    ASSERT_TRUE(overview);
    std::map<std::string, std::vector<std::string>> shelves;
    for (const OverviewBook& book : overview->books)
        shelves[book.volumeId] = book.collections;
    EXPECT_EQ(shelves[kRich], (std::vector<std::string>{"<b>Best</b> & \"more\"", "=HYPERLINK(1)", "To read"}));
    EXPECT_TRUE(shelves[kStore].empty());
    reader.Damage("ShelfContent", "leaf");
    Load();
    overview = library.ReadOverview({}, progress);
    ASSERT_TRUE(overview) << "a damaged table of collections costs the collections, never the library";
    EXPECT_TRUE(overview->books.front().collections.empty());
}

} // namespace
