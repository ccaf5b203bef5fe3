#include "ChapterTitles.h"

#include "DeletedBookmarks.h"
#include "TSQLiteCursor.h"
#include "TSQLiteDatabase.h"

#include <charconv>

namespace {

const char* const kTocRows = "SELECT ChapterIDBookmarked, Title, VolumeIndex, ContentID FROM content "
                             "WHERE ContentType = '899'";

std::optional<std::int64_t> Number(std::string_view text) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

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

void ChapterTitles::AddBook(TSQLiteDatabase& db, const std::string& bookId) {
    Read(db, std::string(kTocRows) + " AND BookID = ?", &bookId);
}

ChapterTitles ChapterTitles::ForAll(TSQLiteDatabase& db) {
    ChapterTitles titles;
    titles.Read(db, kTocRows, nullptr);
    return titles;
}

void ChapterTitles::Read(TSQLiteDatabase& db, const std::string& sql, const std::string* bookId) {
    // Databases of older firmware have no table of contents rows to read.
    if (!m_databaseHasToc)
        m_databaseHasToc = HasColumn(db, "content", "ChapterIDBookmarked");
    if (!*m_databaseHasToc)
        return;
    TSQLiteCursor rows(db, sql, bookId ? BindValues{*bookId} : BindValues{});
    while (rows.Step()) {
        const std::string spineFile(rows.FieldAsText(0));
        Entry candidate{std::string(rows.FieldAsText(1)), Number(rows.FieldAsText(2)),
                        std::string(rows.FieldAsText(3))};
        const auto [it, added] = m_titles.try_emplace(spineFile, candidate);
        if (!added &&
            ComesFirst(candidate.volumeIndex, candidate.contentId, it->second.volumeIndex, it->second.contentId))
            it->second = std::move(candidate);
    }
}

const std::string* ChapterTitles::Find(const std::string& spineFileId) const {
    const auto found = m_titles.find(spineFileId);
    return found == m_titles.end() ? nullptr : &found->second.title;
}
