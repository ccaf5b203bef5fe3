// The JSON export: each book one document that the published schema accepts, holding the database's texts as stored.
#include "EpubMaker.h"
#include "ExportRun.h"
#include "FileContents.h"
#include "ReaderFolderTest.h"
#include "RenderedExport.h"
#include "WholeRecordBooks.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <regex>

namespace {

using Json = nlohmann::ordered_json;

// Where the value breaks the schema's type, enum, pattern, required, items, properties or additionalProperties.
std::string Violation(const Json& value, const Json& schema, const std::string& at = "$") {
    if ((schema.contains("type") && value.type_name() != schema["type"]) ||
        (schema.contains("enum") && std::ranges::find(schema["enum"], value) == schema["enum"].end()) ||
        (schema.contains("pattern") && !std::regex_search(value.get<std::string>(), std::regex(schema["pattern"]))))
        return at + " breaks its type, enum or pattern; ";
    std::string found;
    for (const Json& name : schema.value("required", Json::array()))
        found += value.contains(name.get<std::string>()) ? "" : at + " lacks " + name.get<std::string>() + "; ";
    if (!value.is_structured())
        return found;
    for (const auto& [key, member] : value.items()) {
        const Json inner =
            schema.value(Json::json_pointer(value.is_array() ? "/items" : "/properties/" + key), Json::object());
        found += inner.empty() && !schema.value("additionalProperties", true)
                     ? at + " has " + key + "; "
                     : Violation(member, inner, at + "/" + key);
    }
    return found;
}

// The document's values in order, each object's on a line of its own, leaving out the book's id and the dates.
std::string Values(const Json& value) {
    if (!value.is_structured())
        return (value.is_string() ? value.get<std::string>() : value.dump()) + "|";
    std::string values;
    for (const auto& [key, member] : value.items())
        values += key == "volumeId" || key == "exported" || key == "created" || key == "modified" ? "" : Values(member);
    return values + (value.is_object() ? "\n" : "");
}

TEST_F(ReaderFolderTest, JsonFilesAreDocumentsOfTheSchemaHoldingTheTextsAsStored) {
    using namespace fixture::records;
    fixture::AddWholeRecordLibrary(reader);
    // A note that is not UTF-8: the export goes on, with U+FFFD in place of the stray byte.
    reader.Exec("UPDATE Bookmark SET Annotation = CAST(X'6F6BFF' AS TEXT) WHERE BookmarkID = 'r3'");
    // Control characters, a backslash and DEL: escaped as the JSON library escapes them (the re-dump below).
    reader.Exec(
        "UPDATE Bookmark SET Text = CAST(X'426F7567687401081F7F5C20746578742E' AS TEXT) WHERE BookmarkID = 's1'");
    std::filesystem::create_directory(folder / "markups");
    std::ofstream(folder / "markups/r5.svg") << "<svg/>";
    for (const bool skipDeleted : {true, false}) {
        const ExportOptions options{.format = ExportFormat::Json, .reading = {.skipDeletedHighlights = skipDeleted}};
        Load(options.reading);
        std::string seen;
        for (const std::string& volume : {kRich, kStore, kUntitled}) {
            const std::filesystem::path target = library.ExportTarget(volume, results, options);
            const std::string bytes =
                fixture::FileBytes(library.ExtractAnnotations(volume, target, options, progress).file);
            const Json document = Json::parse(bytes);
            EXPECT_EQ(Violation(document, Json::parse(fixture::FileBytes(MARVIK_ANNOTATION_SCHEMA))), "") << volume;
            EXPECT_EQ(bytes, document.dump(2) + "\n");
            seen += Values(document);
        }
        EXPECT_EQ(seen, "Notes: \"On\" Things|Ann Writer|Small Press|9780000000002|en|\n"
                        "r1|One|note|First line,\nsecond \"line\".|a note, with \"quotes\"|yellow|10.0|\n"
                        "r2|One|note|# not a heading\t> not a quote\n* not a list [not](a link)|Why?|pink|20.0|\n"
                        "r3|One|highlight|\xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7\t\xD8\xA8\xD8\xA7\xD9\x84\xD8\xB9"
                        "\xD8\xA7\xD9\x84\xD9\x85|ok\xEF\xBF\xBD|blue|30.0|\nr4|Two|dogear|40.0|\nr5|Two|markup|40.0|" +
                            (folder / "markups/r5.svg").string() + "|\n" +
                            (skipDeleted ? "" : "r6|Two|highlight|Deleted.|green|94.0|true|\n") +
                            "\nA Store Book|Bo Lind|\ns1|Start|highlight|Bought\x01\b\x1F\x7F\\ "
                            "text.|\n\n\nu1|untitled.html|highlight|No "
                            "title here.|\n\n");
    }
}

// A kepub's parts say where they are in the book and its progress is within the part; a plain EPUB's parts are
// table-of-contents entries that say nothing of their place, and its progress is the place in the whole book. A
// progress the reader never wrote is no place at all.
TEST_F(ReaderFolderTest, PositionsFollowWhatTheBookRecords) {
    using namespace fixture::records;
    fixture::AddWholeRecordLibrary(reader);
    const auto positions = [&](bool plainEpub, const char* p1, const char* p2, const char* p3) {
        if (plainEpub) {
            reader.Exec("UPDATE content SET MimeType = 'application/epub+zip' WHERE ContentID = '" + kRich + "'");
            reader.Exec("UPDATE content SET ___FileOffset = 0, ___FileSize = 0 WHERE BookID = '" + kRich + "'");
        }
        for (const auto& [id, value] : {std::pair{"r1", p1}, {"r2", p2}, {"r3", p3}})
            reader.Exec(std::string("UPDATE Bookmark SET ChapterProgress = ") + value + " WHERE BookmarkID = '" + id +
                        "'");
        const ExportOptions options{.format = ExportFormat::Json};
        Load(options.reading);
        const Json document = Json::parse(*RenderAnnotations(library, kRich, options, progress));
        std::string found;
        for (const Json& annotation : document["annotations"])
            found += annotation["id"].get<std::string>() + "=" + annotation.value("position", Json()).dump() + " ";
        return found;
    };
    EXPECT_EQ(positions(false, "9e999", "-50", "1e300"), "r1=null r2=null r3=null r4=40.0 r5=40.0 ");
    EXPECT_EQ(positions(true, "0.0100503", "0.477386934673367", "1.0"), "r1=1.0 r2=47.7 r3=100.0 r4=0.0 r5=0.0 ");
}

// A greyscale reader stores grey for every highlight, and a sideloaded book's ISBN column holds its EPUB's identifier:
// no format that shows colours names one there, and none calls an identifier an ISBN. A grey among colours is named.
TEST_F(ReaderFolderTest, GreyEverywhereIsLeftOutAndOnlyAnIsbnIsCalledOne) {
    using namespace fixture::records;
    fixture::AddWholeRecordLibrary(reader);
    const std::string uuid = "urn:uuid:0b8e6d2c-3f7a-4d1e-9a55-6c0f2e4b8a17";
    reader.Exec("UPDATE Bookmark SET Color = 4 WHERE Color IS NOT NULL");
    reader.Exec("UPDATE content SET ISBN = '" + uuid + "' WHERE ContentID = '" + kRich + "'");
    reader.Exec("UPDATE content SET ISBN = '0-8044-2957-X' WHERE ContentID = '" + kStore + "'");
    const auto render = [&](ExportFormat format, const std::string& volume) {
        const ExportOptions options{.format = format, .reading = {.skipDeletedHighlights = false}};
        Load(options.reading);
        return *RenderAnnotations(library, volume, options, progress);
    };
    const std::string markdown = render(ExportFormat::Markdown, kRich), csv = render(ExportFormat::Csv, kRich);
    EXPECT_EQ(markdown.find("grey"), std::string::npos) << markdown;
    EXPECT_NE(markdown.find("Small Press \xC2\xB7 identifier " + uuid + " \xC2\xB7 language: en"), std::string::npos);
    EXPECT_NE(csv.find(",image,isbn,identifier\r\n"), std::string::npos);
    EXPECT_EQ(csv.find("grey"), std::string::npos) << csv;
    EXPECT_NE(csv.find(",Deleted.,,,2024-11-20T08:00:00.000Z,2024-11-20T08:00:00.000Z,94.0,yes,,," + uuid + "\r\n"),
              std::string::npos)
        << csv;
    EXPECT_NE(render(ExportFormat::Markdown, kStore).find("ISBN 0-8044-2957-X"), std::string::npos);

    const Json schema = Json::parse(fixture::FileBytes(MARVIK_ANNOTATION_SCHEMA));
    const Json grey = Json::parse(render(ExportFormat::Json, kRich));
    EXPECT_EQ(Violation(grey, schema), "");
    EXPECT_EQ(grey["book"].value("identifier", ""), uuid);
    EXPECT_FALSE(grey["book"].contains("isbn"));
    EXPECT_EQ(grey.dump().find("color"), std::string::npos);
    EXPECT_EQ(Json::parse(render(ExportFormat::Json, kStore))["book"].value("isbn", ""), "0-8044-2957-X");

    reader.Exec("UPDATE Bookmark SET Color = 1 WHERE BookmarkID = 'r2'");
    const Json mixed = Json::parse(render(ExportFormat::Json, kRich));
    EXPECT_EQ(Violation(mixed, schema), "");
    std::string colors;
    for (const Json& annotation : mixed["annotations"])
        colors += annotation.value("color", "-") + " ";
    EXPECT_EQ(colors, "grey pink grey - - grey ");
}

} // namespace

// With the reader's volume at hand the book's cover is copied beside the file and named in it, as the schema says; a
// book without one is written as before.
TEST_F(ReaderFolderTest, TheCoverIsCopiedBesideTheFileAndNamedInIt) {
    using namespace fixture::records;
    fixture::AddWholeRecordLibrary(reader);
    TempFolder volume;
    const std::string cover = fixture::PngHeader(600, 800) + "picture";
    std::filesystem::create_directories(volume / "Ann Writer");
    fixture::EpubMaker()
        .Package(R"(<item id="c" href="c.png" media-type="image/png" properties="cover-image"/>)", "")
        .Add("OEBPS/c.png", cover)
        .Write(volume / "Ann Writer" / "Notes - Ann Writer.kepub.epub");
    ExportOptions options{.format = ExportFormat::Json};
    Load(ReadingFor(options));
    const std::string without =
        fixture::FileBytes(library.ExtractAnnotations(kRich, results / "plain.json", options, progress).file);
    options.coverVolume = volume.Path();
    const std::filesystem::path file = library.ExtractAnnotations(kRich, results / "book.json", options, progress).file;
    const Json document = Json::parse(fixture::FileBytes(file));
    EXPECT_EQ(Violation(document, Json::parse(fixture::FileBytes(MARVIK_ANNOTATION_SCHEMA))), "");
    EXPECT_EQ(document["book"]["cover"], "book.cover.png");
    EXPECT_EQ(fixture::FileBytes(results / "book.cover.png"), cover);
    // Else the same, but for when it was exported.
    Json withoutCover = document, plain = Json::parse(without);
    withoutCover["book"].erase("cover");
    withoutCover.erase("exported");
    plain.erase("exported");
    EXPECT_EQ(withoutCover, plain);
    // A book without a cover at hand: no member, no file.
    const std::filesystem::path store =
        library.ExtractAnnotations(kStore, results / "store.json", options, progress).file;
    EXPECT_FALSE(Json::parse(fixture::FileBytes(store))["book"].contains("cover"));
    EXPECT_FALSE(std::filesystem::exists(results / "store.cover.png"));
}
