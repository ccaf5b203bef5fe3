#include "LibraryIndex.h"

#include "ReaderConnection.h"
#include "ReaderQuery.h"
#include "VolumeMembership.h"
#include "VolumeReader.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>

void LibraryIndex::Clear() {
    Volumes.Clear();
    TitlePairs.Clear();
    AuthorPairs.Clear();
    Counts.reset();
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

void ReadVolumes(ReaderConnection& reader, IndexBuilder& builder, bool skipDeleted,
                 LibraryIndex::BookmarkCounts& counts) {
    // A bookmark the reader deleted counts as absent: it lists no volume.
    std::vector<QueryColumn> columns = {"VolumeID", "StartContainerChildIndex"};
    if (skipDeleted)
        columns.push_back(Optional("Hidden"));
    ReaderQuery rows(reader, "Bookmark", columns);
    counts.skippedDeleted = skipDeleted;
    std::string volume;
    while (rows.Step())
        if (!skipDeleted || !IsDeletedOnReader(rows.Text(2))) {
            builder.AddVolume(rows.Text(0), rows.Text(1));
            volume.assign(rows.Text(0));
            ++counts.ofVolume[volume];
        }
}

// Titles, authors or both from one pass over the content table; the two lists do not depend on each other, so one
// pass for both gives what two give.
void ReadContent(ReaderConnection& reader, IndexBuilder& builder, bool titles, bool authors) {
    std::vector<QueryColumn> columns;
    if (titles)
        columns.insert(columns.end(), {"BookID", "BookTitle"});
    if (authors)
        columns.insert(columns.end(), {"ContentID", "Attribution"});
    const std::size_t content = titles ? 2 : 0;
    ReaderQuery rows(reader, "content", columns);
    while (rows.Step()) {
        if (titles)
            builder.AddTitle(rows.Text(0), rows.Text(1));
        if (authors)
            builder.AddAuthor(rows.Text(content), rows.Text(content + 1));
    }
}

} // namespace

void ReadLibraryIndex(ReaderConnection& reader, LibraryIndex& index, const ReadingOptions& options) {
    index.Clear();
    IndexBuilder volumes(index);
    LibraryIndex::BookmarkCounts counts;
    ReadVolumes(reader, volumes, options.skipDeletedHighlights, counts);
    try {
        IndexBuilder builder(index);
        ReadContent(reader, builder, true, true);
    } catch (const ESQLiteException&) {
        // Read again the two ways the content table is described, so that a failure names the query that meets
        // it and leaves the lists as that query leaves them.
        index.TitlePairs.Clear();
        index.AuthorPairs.Clear();
        IndexBuilder builder(index);
        ReadContent(reader, builder, true, false);
        ReadContent(reader, builder, false, true);
    }
    index.Counts = std::move(counts);
}
