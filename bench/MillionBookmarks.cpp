#include "MillionBookmarks.h"

#include "ReaderDatabase.h"
#include "TimedChild.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr double kPeakGoalMb = 600;

// One book under /mnt/onboard with 100 parts and a million highlights of about 70 characters, every fifth with a
// note, spread over the parts and their positions.
void WriteMillionBookmarks(const std::filesystem::path& file) {
    fixture::ReaderDatabase database(file);
    database.Exec("BEGIN");
    database.Exec(
        "INSERT INTO content(ContentID, ContentType, MimeType, Title, Attribution, ___UserID, ___PercentRead) "
        "VALUES('/mnt/onboard/Big.epub', '6', 'application/epub+zip', 'Big Book', 'Some Author', 'u', 40)");
    database.Exec("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 99) "
                  "INSERT INTO content(ContentID, ContentType, MimeType, BookTitle, Title, ___UserID, VolumeIndex, "
                  "___FileOffset, ___FileSize) "
                  "SELECT '/mnt/onboard/Big.epub#(' || i || ')OEBPS/part' || i || '.xhtml', '9', "
                  "'application/xhtml+xml', 'Big Book', 'Part ' || i, 'u', i, i, 1 FROM n");
    database.Exec(
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 999999) "
        "INSERT INTO Bookmark(BookmarkID, VolumeID, ContentID, StartContainerPath, StartContainerChildIndex, "
        "StartOffset, EndContainerPath, EndContainerChildIndex, EndOffset, Text, Annotation, DateCreated, "
        "ChapterProgress, DateModified, Type) "
        "SELECT printf('%08x-0000-4000-8000-%012d', i, i), '/mnt/onboard/Big.epub', "
        "'/mnt/onboard/Big.epub#(' || (i % 100) || ')OEBPS/part' || (i % 100) || '.xhtml', "
        "'span#kobo\\.' || (i % 977) || '\\.1', 1 + i % 7, i % 50, 'span#kobo\\.' || (i % 977) || '\\.1', 1 + i % 7, "
        "i % 50 + 20, 'Highlighted text number ' || i || ' with some words to make it a realistic length.', "
        "CASE WHEN i % 5 = 0 THEN 'A note ' || i END, '2024-11-18T17:45:50.886', (i % 1000) / 1000.0, "
        "'2024-11-18T17:45:50Z', CASE WHEN i % 5 = 0 THEN 'note' ELSE 'highlight' END FROM n");
    database.Exec("COMMIT");
}

} // namespace

bool MillionBookmarkFigures(const std::filesystem::path& work) {
    const std::filesystem::path database = work / "million.sqlite";
    WriteMillionBookmarks(database);
    std::printf("\none book of 1,000,000 bookmarks (%.0f MB): peak memory of marvik-cli export --all\n",
                static_cast<double>(std::filesystem::file_size(database)) / 1e6);
    const std::filesystem::path bin = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    const std::vector<std::string> exportAll = {(bin / "marvik-cli").string(), "export", "--db", database.string(),
                                                "--all"};
    struct Mode {
        const char* name;
        std::vector<std::string> options;
        const char* results;
    };
    const std::vector<Mode> modes = {
        {"text", {}, "text"},
        {"Markdown", {"--format", "markdown"}, "markdown"},
        {"JSON", {"--format", "json"}, "json"},
        {"CSV", {"--format", "csv"}, "csv"},
        {"text, --new-only, first run", {"--new-only"}, "new"},
        {"text, --new-only, second run (nothing new)", {"--new-only"}, "new"},
    };
    bool allMet = true;
    for (const Mode& mode : modes) {
        std::vector<std::string> argv = exportAll;
        argv.insert(argv.end(), mode.options.begin(), mode.options.end());
        argv.insert(argv.end(), {"--results", (work / "million-results" / mode.results).string()});
        const ChildFigure figure = RunTimed(argv, work, work / "million.out");
        const bool met = figure.peakMb < kPeakGoalMb;
        allMet = allMet && met;
        std::printf("  %-46s %7.1f s %7.0f MB (own %4.0f MB)   goal < %.0f MB: %s\n", mode.name, figure.seconds,
                    figure.peakMb, figure.anonPeakMb, kPeakGoalMb, met ? "met" : "MISSED");
    }
    std::filesystem::remove_all(work / "million-results");
    std::filesystem::remove(database);
    return allMet;
}
