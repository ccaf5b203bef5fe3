#include "ClippingsSource.h"

#include "ClippingsReader.h"
#include "VolumeAssembly.h"

#include <fstream>
#include <stdexcept>
#include <system_error>

namespace {

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// Text lines after the blank line that follows the second; a Kindle ends each with a line break.
std::string TextOf(const RawClipping& entry) {
    std::string text;
    for (std::size_t i = 3; i < entry.lines.size(); ++i) {
        if (i > 3)
            text += '\n';
        text += entry.lines[i];
    }
    const std::size_t end = text.find_last_not_of(" \t\n");
    text.resize(end == std::string::npos ? 0 : end + 1);
    return text;
}

// An entry with its title, its kind line and, for any but a bookmark, its text: the rest was cut off.
bool IsWhole(const RawClipping& entry) {
    if (entry.holdsNul || entry.tooLong || entry.lines.size() < 2)
        return false;
    const std::string& meta = entry.lines[1];
    if (meta.empty() || meta[0] != '-' || meta.find('|') == std::string::npos)
        return false;
    if (entry.lines.size() > 2 && !Trimmed(entry.lines[2]).empty())
        return false;
    return entry.closed || entry.lines.size() >= 4;
}

const char* TypeOf(ClippingKind kind, const std::string& note) {
    switch (kind) {
    case ClippingKind::Bookmark:
        return "dogear";
    case ClippingKind::Note:
        return "note";
    case ClippingKind::Highlight:
    case ClippingKind::Unknown:
        break;
    }
    return note.empty() ? "highlight" : "note";
}

std::string Number(const std::optional<std::int64_t>& number) {
    return number ? std::to_string(*number) : std::string();
}

} // namespace

std::filesystem::path ClippingsFileOf(const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        return path / "documents" / "My Clippings.txt";
    return path;
}

ClippingsProblems ReadClippingsFile(const std::filesystem::path& file,
                                    const std::function<void(const std::string& book, Clipping&& clipping)>& take) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read the clippings file " + file.string());
    ClippingsProblems problems;
    ClippingsReader reader(in);
    RawClipping entry;
    while (reader.Next(entry)) {
        if (!IsWhole(entry)) {
            problems.badEntryLines.push_back(entry.firstLine);
            continue;
        }
        Clipping clipping{ReadClippingMeta(entry.lines[1]), TextOf(entry), entry.firstLine};
        if (clipping.meta.kind == ClippingKind::Unknown) {
            // Another language: the text is kept, as a highlight, without its place and date.
            if (problems.unknownLanguage++ == 0)
                problems.firstUnknownLine = entry.firstLine;
            clipping.meta.kind = clipping.text.empty() ? ClippingKind::Bookmark : ClippingKind::Highlight;
        }
        take(Trimmed(entry.lines[0]), std::move(clipping));
    }
    return problems;
}

std::string DescribeClippingsProblems(const std::filesystem::path& file, const ClippingsProblems& problems) {
    std::string told;
    if (!problems.badEntryLines.empty()) {
        const std::size_t count = problems.badEntryLines.size();
        told = file.string() + ": " + std::to_string(count) + (count == 1 ? " entry" : " entries") +
               " cut short or damaged, not read (line";
        told += count == 1 ? " " : "s ";
        constexpr std::size_t kNamed = 10;
        for (std::size_t i = 0; i < count && i < kNamed; ++i) {
            told += (i > 0 ? ", " : "");
            told += std::to_string(problems.badEntryLines[i]);
        }
        told += count > kNamed ? ", ...)" : ")";
    }
    if (problems.unknownLanguage > 0) {
        if (!told.empty())
            told += "\n";
        told += file.string() + ": " + std::to_string(problems.unknownLanguage) +
                (problems.unknownLanguage == 1 ? " entry" : " entries") +
                " in a language not known here, read without place or date (first at line " +
                std::to_string(problems.firstUnknownLine) + ")";
    }
    return told;
}

ClippingsSource::ClippingsSource(std::filesystem::path path, ProgressReporter& progress, const TextOrder& order)
    : m_file(ClippingsFileOf(path)), m_index(order) {
    progress.SetStatus("reading the Kindle's clippings");
    m_problems = ReadClippingsFile(m_file, [this](const std::string& book, Clipping&&) {
        const std::string id = IndexSafeId(book);
        if (!m_books.try_emplace(id, book).second)
            return;
        const ClippingTitle title = ReadClippingTitle(book);
        m_index.Volumes.Add(id);
        m_index.TitlePairs.Add(id + "=" + title.title);
        m_index.AuthorPairs.Add(id + "=" + title.author);
    });
    if (const std::string told = DescribeClippingsProblems(m_file, m_problems); !told.empty())
        progress.Warn(told);
    progress.SetStatus("");
}

std::optional<AnnotatedVolume> ClippingsSource::ReadVolume(const std::string& volumeId, const ReadingOptions&,
                                                           ProgressReporter& progress) const {
    AnnotatedVolume volume;
    volume.volumeId = volumeId;
    volume.sources.push_back(Facts());
    const auto found = m_books.find(volumeId);
    if (found == m_books.end())
        return volume;
    std::error_code error;
    if (!std::filesystem::exists(m_file, error))
        return std::nullopt;
    const ClippingTitle title = ReadClippingTitle(found->second);
    volume.title = title.title;
    volume.author = title.author;
    std::vector<Clipping> clippings;
    ReadClippingsFile(m_file, [&](const std::string& book, Clipping&& clipping) {
        if (book == found->second)
            clippings.push_back(std::move(clipping));
    });
    ChapterParts parts(volume);
    const std::uint32_t part = parts.PartFor("");
    for (const ClippingsBookmark& read : BookmarksOfClippings(std::move(clippings))) {
        AnnotatedBookmark bookmark;
        bookmark.bookmarkId = volume.Keep(
            StableBookmarkId("kindle-", {TypeOf(read.kind, {}), Number(read.meta.locationStart), Number(read.meta.page),
                                         read.kind == ClippingKind::Note ? read.note : read.text}));
        bookmark.text = volume.Keep(read.text);
        bookmark.annotation = volume.Keep(read.note);
        bookmark.part = part;
        bookmark.type = TypeOf(read.kind, read.note);
        bookmark.dateCreated = volume.Keep(StoredDateTime(read.meta.added));
        volume.bookmarks.push_back(bookmark);
    }
    progress.SetStatus("");
    return volume;
}
