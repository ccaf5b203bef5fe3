#include "LibraryIndex.h"

#include "DeletedBookmarks.h"

#include "TSQLiteCursor.h"
#include "TSQLiteDatabase.h"
#include "VolumeMembership.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

void LibraryIndex::Clear() {
    Volumes.Clear();
    TitlePairs.Clear();
    AuthorPairs.Clear();
}

namespace {

// The content table's rows name the same book over and over, mostly one row after another; these remember what was
// settled, so that each distinct id is looked up and each distinct entry offered to its list only once.
class IndexBuilder {
public:
    explicit IndexBuilder(LibraryIndex& index) : m_index(index) {}

    void AddVolume(std::string_view volume, std::string_view childIndex) {
        if (childIndex == "0" || (m_haveLastVolume && m_lastVolume == volume))
            return;
        m_lastVolume.assign(volume);
        m_haveLastVolume = true;
        if (m_offeredVolumes.insert(m_lastVolume).second)
            m_index.Volumes.Add(m_lastVolume);
    }

    void AddTitle(std::string_view book, std::string_view title) {
        if (!IsVolumeBook(book) || (book == m_lastTitleBook && title == m_lastTitle))
            return;
        m_lastTitleBook = book;
        m_lastTitle = title;
        std::string entry = std::string(book) + "=" + std::string(title);
        if (m_offeredTitles.insert(entry).second)
            m_index.TitlePairs.Add(entry);
    }

    void AddAuthor(std::string_view content, std::string_view author) {
        if (Membership().Contains(content))
            m_index.AuthorPairs.Add(std::string(content) + "=" + std::string(author));
    }

private:
    const VolumeMembership& Membership() {
        if (!m_membership)
            m_membership.emplace(m_index.Volumes);
        return *m_membership;
    }

    bool IsVolumeBook(std::string_view book) {
        if (m_haveLastBook && m_lastBook == book)
            return m_lastBookIsVolume;
        m_lastBook.assign(book);
        m_haveLastBook = true;
        const auto [known, inserted] = m_books.try_emplace(m_lastBook, false);
        if (inserted)
            known->second = Membership().Contains(book);
        m_lastBookIsVolume = known->second;
        return m_lastBookIsVolume;
    }

    LibraryIndex& m_index;
    std::optional<VolumeMembership> m_membership;
    std::string m_lastVolume; // the strings keep their room from row to row
    bool m_haveLastVolume = false;
    std::unordered_set<std::string> m_offeredVolumes;
    std::string m_lastBook;
    bool m_haveLastBook = false;
    bool m_lastBookIsVolume = false;
    std::unordered_map<std::string, bool> m_books;
    std::string m_lastTitleBook;
    std::string m_lastTitle;
    std::unordered_set<std::string> m_offeredTitles;
};

template <class EachRow> void ForEachRow(TSQLiteDatabase& db, const std::string& sql, EachRow&& eachRow) {
    TSQLiteCursor rows(db, sql);
    if (!rows.Step())
        return;
    eachRow(rows, true);
    while (rows.Step())
        eachRow(rows, false);
}

std::uint32_t Column(const TSQLiteCursor& rows, const char* name) {
    return static_cast<std::uint32_t>(rows.FieldIndex(name));
}

void ReadVolumes(TSQLiteDatabase& db, IndexBuilder& builder, bool skipDeletedHighlights) {
    // A bookmark the reader deleted counts as absent: it lists no volume.
    const bool leaveOutDeleted = LeavesOutDeleted(db, skipDeletedHighlights);
    const std::string sql = leaveOutDeleted ? "SELECT VolumeID, StartContainerChildIndex, Hidden FROM Bookmark"
                                            : "SELECT VolumeID, StartContainerChildIndex FROM Bookmark";
    std::uint32_t volume = 0, child = 0, hidden = 0;
    ForEachRow(db, sql, [&](TSQLiteCursor& rows, bool first) {
        if (first) {
            volume = Column(rows, "VolumeID");
            child = Column(rows, "StartContainerChildIndex");
            hidden = leaveOutDeleted ? Column(rows, "Hidden") : 0;
        }
        if (!leaveOutDeleted || !IsDeletedOnReader(rows.FieldAsText(hidden)))
            builder.AddVolume(rows.FieldAsText(volume), rows.FieldAsText(child));
    });
}

// Titles, authors or both from one pass over the content table; the two lists do not depend on each other, so one
// pass for both gives what two give.
void ReadContent(TSQLiteDatabase& db, IndexBuilder& builder, bool titles, bool authors) {
    const std::string sql = titles && authors ? "SELECT BookID, BookTitle, ContentID, Attribution FROM content"
                            : titles          ? "SELECT BookID, BookTitle FROM content"
                                              : "SELECT ContentID, Attribution FROM content";
    std::uint32_t book = 0, title = 0, content = 0, author = 0;
    ForEachRow(db, sql, [&](TSQLiteCursor& rows, bool first) {
        if (first && titles) {
            book = Column(rows, "BookID");
            title = Column(rows, "BookTitle");
        }
        if (first && authors) {
            content = Column(rows, "ContentID");
            author = Column(rows, "Attribution");
        }
        if (titles)
            builder.AddTitle(rows.FieldAsText(book), rows.FieldAsText(title));
        if (authors)
            builder.AddAuthor(rows.FieldAsText(content), rows.FieldAsText(author));
    });
}

} // namespace

void ReadLibraryIndex(const std::filesystem::path& database, LibraryIndex& index, bool skipDeletedHighlights) {
    index.Clear();
    TSQLiteDatabase db(database.string());
    IndexBuilder volumes(index);
    ReadVolumes(db, volumes, skipDeletedHighlights);
    try {
        IndexBuilder builder(index);
        ReadContent(db, builder, true, true);
    } catch (const ESQLiteException&) {
        // Read again the two ways the content table is described, so that a failure names the query that meets
        // it and leaves the lists as that query leaves them.
        index.TitlePairs.Clear();
        index.AuthorPairs.Clear();
        IndexBuilder builder(index);
        ReadContent(db, builder, true, false);
        ReadContent(db, builder, false, true);
    }
}
