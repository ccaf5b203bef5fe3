#include "KOReaderSource.h"

#include "LuaSandbox.h"
#include "VolumeAssembly.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <system_error>

namespace {

// Larger than any sidecar KOReader writes, even for a book with thousands of highlights.
constexpr std::uintmax_t kLargestSidecar = 32u * 1024 * 1024;

bool EndsWith(const std::string& text, std::string_view end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string ReadSidecarText(const std::filesystem::path& file) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error)
        throw ESidecarRefused(file.string() + ": cannot be read: " + error.message());
    if (size > kLargestSidecar)
        throw ESidecarRefused(file.string() + ": larger than any sidecar");
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw ESidecarRefused(file.string() + ": cannot be read");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return text;
}

// The book's id: where KOReader says the book is, else where the sidecar's folder says it is.
std::string VolumeIdOf(const std::filesystem::path& sidecar, const SidecarBook& book) {
    if (!book.documentPath.empty())
        return IndexSafeId(book.documentPath);
    if (!IsSidecarFile(sidecar))
        return IndexSafeId(sidecar.string());
    std::string folder = sidecar.parent_path().string();
    folder.resize(folder.size() - std::string_view(".sdr").size());
    std::string extension = sidecar.filename().string(); // metadata.EXT.lua
    extension = extension.substr(std::string_view("metadata").size());
    extension.resize(extension.size() - std::string_view(".lua").size());
    return IndexSafeId(folder + extension);
}

std::string TitleOf(const std::string& volumeId, const SidecarBook& book) {
    if (!book.title.empty())
        return book.title;
    return BookFileName(volumeId);
}

std::string ColorName(const std::string& color) {
    return color == "gray" ? "grey" : color;
}

} // namespace

bool IsSidecarFile(const std::filesystem::path& file) {
    const std::string name = file.filename().string();
    return name.size() > std::string_view("metadata..lua").size() && name.starts_with("metadata.") &&
           EndsWith(name, ".lua") && EndsWith(file.parent_path().filename().string(), ".sdr");
}

std::vector<std::filesystem::path> FindSidecars(const std::filesystem::path& path) {
    std::error_code error;
    // A file named is read whatever its name: the user says it is a sidecar.
    if (!std::filesystem::is_directory(path, error))
        return std::filesystem::is_regular_file(path, error) ? std::vector<std::filesystem::path>{path}
                                                             : std::vector<std::filesystem::path>{};
    std::vector<std::filesystem::path> found;
    std::filesystem::recursive_directory_iterator walk(path, std::filesystem::directory_options::skip_permission_denied,
                                                       error);
    for (const std::filesystem::recursive_directory_iterator end; !error && walk != end; walk.increment(error)) {
        std::error_code kind;
        if (walk->is_regular_file(kind) && IsSidecarFile(walk->path()))
            found.push_back(walk->path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

KOReaderSource::KOReaderSource(std::filesystem::path path, ProgressReporter& progress, const TextOrder& order)
    : m_path(std::move(path)), m_index(order) {
    progress.SetStatus("reading KOReader's sidecars");
    std::error_code error;
    const bool folder = std::filesystem::is_directory(m_path, error);
    for (const std::filesystem::path& sidecar : FindSidecars(m_path)) {
        try {
            const std::string text = ReadSidecarText(sidecar);
            SidecarBook facts = ReadSidecarBook(RunSidecarChunk(text, sidecar.string(), SidecarBudget(text.size())));
            if (facts.annotations.empty())
                continue; // a book only opened
            const std::string id = VolumeIdOf(sidecar, facts);
            // The same book's sidecar twice (beside the book and in docsettings): the first is kept.
            if (m_books.contains(id))
                continue;
            m_index.Volumes.Add(id);
            m_index.TitlePairs.Add(id + "=" + TitleOf(id, facts));
            m_index.AuthorPairs.Add(id + "=" + facts.authors);
            m_books.emplace(id, Book{sidecar, std::move(facts)});
        } catch (const ESidecarRefused& refused) {
            m_refused.emplace_back(refused.what());
            if (folder)
                progress.Warn("KOReader sidecar not read: " + std::string(refused.what()));
        }
    }
    progress.SetStatus("");
}

std::string KOReaderSource::IsbnOf(const std::string& volumeId) const {
    const auto found = m_books.find(volumeId);
    return found == m_books.end() ? std::string() : found->second.facts.isbn;
}

std::optional<AnnotatedVolume> KOReaderSource::ReadVolume(const std::string& volumeId, const ReadingOptions&,
                                                          ProgressReporter& progress) const {
    const auto found = m_books.find(volumeId);
    if (found == m_books.end()) {
        AnnotatedVolume none;
        none.volumeId = volumeId;
        none.sources.push_back(Facts());
        return none;
    }
    std::error_code error;
    if (!std::filesystem::exists(found->second.sidecar, error))
        return std::nullopt;
    const SidecarBook& book = found->second.facts;
    AnnotatedVolume volume;
    volume.volumeId = volumeId;
    volume.title = TitleOf(volumeId, book);
    volume.author = book.authors;
    volume.isbn = book.isbn;
    volume.language = book.language;
    volume.series = book.series;
    volume.seriesNumber = book.seriesNumber;
    volume.description = book.description;
    volume.percentRead = book.percentRead;
    volume.readStatus = book.readStatus;
    volume.dateLastRead = book.lastRead;
    volume.progressInBook = book.pages && *book.pages > 0;
    // The book's own sidecar, more telling than the folder it was found in.
    volume.sources.push_back({SourceKind::KOReader, found->second.sidecar, {}});
    ChapterParts parts(volume);
    for (const SidecarAnnotation& annotation : book.annotations) {
        AnnotatedBookmark bookmark;
        bookmark.bookmarkId = volume.Keep(StableBookmarkId("koreader-", {annotation.place, annotation.created}));
        bookmark.text = volume.Keep(annotation.text);
        bookmark.annotation = volume.Keep(annotation.note);
        bookmark.part = parts.PartFor(annotation.chapter);
        bookmark.type = annotation.pageBookmark ? "dogear" : annotation.note.empty() ? "highlight" : "note";
        bookmark.color = volume.Keep(ColorName(annotation.color));
        bookmark.dateCreated = volume.Keep(StoredDateTime(annotation.created));
        bookmark.dateModified = volume.Keep(StoredDateTime(annotation.updated));
        if (volume.progressInBook && annotation.page)
            bookmark.chapterProgress = std::clamp((*annotation.page - 1) / *book.pages, 0.0, 1.0);
        volume.bookmarks.push_back(bookmark);
    }
    progress.SetStatus("");
    return volume;
}
