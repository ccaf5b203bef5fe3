#include "HtmlIndexFile.h"

#include "AnnotatedVolume.h"
#include "AnnotationExport.h"
#include "ExportFile.h"
#include "HtmlIndexPage.h"

#include <algorithm>

namespace {

// Whether the file is the target's name or one of its numbered variants ("Title - Author_0003.html").
bool IsWrittenAs(const std::filesystem::path& file, const std::filesystem::path& target) {
    if (file.parent_path() != target.parent_path() || file.extension() != target.extension())
        return false;
    const std::string stem = file.stem().string(), targetStem = target.stem().string();
    if (stem == targetStem)
        return true;
    if (!stem.starts_with(targetStem + "_"))
        return false;
    const std::string_view number = std::string_view(stem).substr(targetStem.size() + 1);
    return !number.empty() && std::ranges::all_of(number, [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

std::filesystem::path WriteHtmlIndex(const AnnotationSource& library, const std::filesystem::path& resultsFolder,
                                     const ExportOptions& options, const std::vector<std::filesystem::path>& written) {
    const LibraryIndex& index = library.Index();
    const std::vector<std::string>& volumes = index.Volumes.Entries();
    std::vector<HtmlIndexEntry> books;
    bool pageNamedIndex = false;
    // The pages were written in the order of the list: each is its book's, the first after the one before it whose
    // name it has.
    std::size_t next = 0;
    for (const std::filesystem::path& page : written) {
        pageNamedIndex = pageNamedIndex || page.filename() == "index.html";
        HtmlIndexEntry& book = books.emplace_back();
        book.fileName = page.filename().string();
        for (std::size_t k = next; k < volumes.size(); ++k) {
            if (IsWrittenAs(page, ExportTarget(library, volumes[k], resultsFolder, options))) {
                // As the page is headed: a book without a title by its file's name.
                book.title = index.TitlePairs.ValueOf(volumes[k]);
                if (book.title.empty())
                    book.title = BookFileName(volumes[k]);
                book.author = index.AuthorPairs.ValueOf(volumes[k]);
                next = k + 1;
                break;
            }
        }
    }
    const ExportResult result =
        WriteExportFile(HtmlIndexPage(books, TodayLocalDate()), ".html", resultsFolder / "index.html", !pageNamedIndex);
    return result.file;
}
