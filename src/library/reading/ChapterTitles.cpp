#include "ChapterTitles.h"

#include "ReaderConnection.h"
#include "ReaderQuery.h"
#include "StoredValues.h"

namespace {

// Book order: a row with a VolumeIndex before one without, lower indexes first, then by ContentID.
bool ComesFirst(const std::optional<std::int64_t>& index, const std::string& contentId,
                const std::optional<std::int64_t>& otherIndex, const std::string& otherContentId) {
    if (index.has_value() != otherIndex.has_value())
        return index.has_value();
    if (index && *index != *otherIndex)
        return *index < *otherIndex;
    return contentId < otherContentId;
}

} // namespace

void ChapterTitles::AddBook(ReaderConnection& reader, const std::string& bookId) {
    Read(reader, &bookId);
}

ChapterTitles ChapterTitles::ForAll(ReaderConnection& reader) {
    ChapterTitles titles;
    titles.Read(reader, nullptr);
    return titles;
}

bool ChapterTitles::Readable(const ReaderSchema& schema) {
    return schema.Has("content", "ChapterIDBookmarked") && schema.Has("content", "ContentType") &&
           schema.Has("content", "BookID");
}

void ChapterTitles::Read(ReaderConnection& reader, const std::string* bookId) {
    // Databases of older firmware have no table-of-contents rows to read.
    if (!Readable(reader.Schema()))
        return;
    // A NULL BookID equals no bound value, so for all books such rows are left out too.
    ReaderQuery rows(reader, "content",
                     {kSpineFileColumn, "Title", Optional(kIndexColumn), "ContentID", "BookID", Optional(kDepthColumn)},
                     bookId ? "WHERE ContentType = '899' AND BookID = ?" : std::string("WHERE ") + kIsTocRow,
                     bookId ? BindValues{*bookId} : BindValues{});
    while (rows.Step())
        AddRow(rows.Text(4), rows.Text(0), rows.Text(1), rows.Text(2), rows.Text(3), rows.Text(5));
}

void ChapterTitles::AddRow(std::string_view bookId, std::string_view spineFile, std::string_view title,
                           std::string_view volumeIndex, std::string_view contentId, std::string_view depth) {
    Entry candidate{{std::string(title), WholeNumber<std::int64_t>(depth)},
                    WholeNumber<std::int64_t>(volumeIndex),
                    std::string(contentId)};
    auto book = m_titles.find(bookId);
    if (book == m_titles.end())
        book = m_titles.emplace(bookId, TextMap<Entry>()).first;
    auto it = book->second.find(spineFile);
    const bool added = it == book->second.end();
    if (added)
        it = book->second.emplace(spineFile, candidate).first;
    if (!added && ComesFirst(candidate.volumeIndex, candidate.contentId, it->second.volumeIndex, it->second.contentId))
        it->second = std::move(candidate);
}

const ChapterTitles::Chapter* ChapterTitles::Find(std::string_view bookId, std::string_view spineFileId) const {
    const auto book = m_titles.find(bookId);
    if (book == m_titles.end())
        return nullptr;
    const auto found = book->second.find(spineFileId);
    return found == book->second.end() ? nullptr : &found->second.chapter;
}
